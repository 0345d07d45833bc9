// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace pelindra {

class Runtime;
struct GameState;

// Makes the four windows known to the runtime, bound to the game state.
void defineWindows(Runtime& rt, GameState& state);

// Start-up up to the message loop: what to do when the program is being ended, the clean-up routine,
// then the menu, which loads the game window hidden and reads the best record.
void startProgram(Runtime& rt, GameState& state);

// The whole run: start-up, the message loop, and the exit should the loop ever return.
void runProgram(Runtime& rt, GameState& state);

} // namespace pelindra
