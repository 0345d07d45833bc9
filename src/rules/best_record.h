// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The best score and the seconds of its game, kept in data.dat between runs.

#include <string>

namespace pelindra {

class Runtime;
struct GameState;

namespace datafile {
inline constexpr const char* kFileName = "data.dat";
inline constexpr const char* kSection = "Mybest";
inline constexpr const char* kScoreItem = "Score";
inline constexpr const char* kTimeItem = "Time";
} // namespace datafile

// Beside the program, as always; in the per-user data directory when the program's directory cannot
// take the file (a system-wide install, say), since the record would otherwise be lost on every run.
std::string chooseRecordFile(Runtime& rt);

void loadBestRecord(Runtime& rt, GameState& state);
void showBestRecord(Runtime& rt, const GameState& state);
void checkNewRecord(Runtime& rt, GameState& state);
void saveBestRecord(Runtime& rt, GameState& state);

} // namespace pelindra
