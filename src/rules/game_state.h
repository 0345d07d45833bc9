// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace pelindra {

// The one game state of a run. The program owns it and hands it, with the runtime, to every rule.
struct GameState
{
    std::int32_t score = 0;          // may go below zero
    std::int32_t elapsedSeconds = 0; // ticks of the clock since the game started, at most 15
    bool gameRunning = false;
    std::string targetDigit; // "" while no game runs
    std::string bestScore;   // decimal texts, as stored; "" until read, or when the file lacks them
    std::string bestTime;
    std::string recordFile;      // where data.dat lives for this run; chosen once, when the record is loaded
    bool recordUnsaved = false;  // the last save failed everywhere, and the player has been told so
    bool recordOnScreen = false; // a record window is up, and its record is not saved yet
};

} // namespace pelindra
