// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The best score and the seconds of its game, kept in data.dat between runs.
//
// Other copies of the program, and the player's own editor, may change the file while this one runs.
// Saving therefore reads the file again under a lock and never replaces a record higher than the new
// one; the best labels then show the record that the file holds. A save that cannot reach the file
// beside the program goes to the per-user data file instead, and says so on the way. Start-up reads
// both places and takes the higher record, without the lock when the lock cannot be had at once.

#include "runtime/runtime.h"

#include <string>

namespace pelindra {

struct GameState;

namespace datafile {
inline constexpr const char* kFileName = "data.dat";
inline constexpr const char* kSection = "Mybest";
inline constexpr const char* kScoreItem = "Score";
inline constexpr const char* kTimeItem = "Time";
} // namespace datafile

// Beside the program, as always; in the per-user data directory when the program's directory cannot
// take the file (a system-wide install, say), since the record would otherwise be lost on every run, and
// when data.dat is a link that the player does not own.
std::string chooseRecordFile(Runtime& rt);

void loadBestRecord(Runtime& rt, GameState& state);
void showBestRecord(Runtime& rt, const GameState& state);
// then runs once the check is done: at once without a record, after the record window has closed and
// the record has been saved with one.
void checkNewRecord(Runtime& rt, GameState& state, Handler then = {});
void saveBestRecord(Runtime& rt, GameState& state);
// Saves the record whose window is up, once: when the window closes, or before that when the program
// is being ended with it still up. Nothing else is saved then.
void saveRecordOnScreen(Runtime& rt, GameState& state);

} // namespace pelindra
