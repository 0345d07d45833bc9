// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The frame of one game: starting it, its fifteen one-second ticks, game over and leaving for the menu.

#include "runtime/runtime.h"

#include <cstdint>

namespace pelindra {

struct GameState;

namespace clock {
inline constexpr std::int32_t kPeriodMs = 1000;
inline constexpr std::int32_t kTimeLimit = 15;
inline constexpr std::int32_t kFirstWarningTick = 12;
inline constexpr std::int32_t kWarningColour = 255;     // red
inline constexpr std::int32_t kNormalColour = 16777215; // white
} // namespace clock

void startGame(Runtime& rt, GameState& state);
void clockTick(Runtime& rt, GameState& state);
// then runs once the game is over, which is after the record window has closed when there was a record.
void endGame(Runtime& rt, GameState& state, Handler then = {});
void returnToMenu(Runtime& rt, GameState& state);

} // namespace pelindra
