// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/layout.h"
#include "runtime/runtime.h"

namespace pelindra {

struct GameState;

const layout::Window& recordLayout();
WindowDefinition recordWindow(Runtime& rt, GameState& state);

// Fills the window with the new best record and hides the game window beneath it.
void showNewRecord(Runtime& rt, const GameState& state);
// Brings the game window back and closes this one, which lets the record be saved.
void leaveRecordWindow(Runtime& rt);

} // namespace pelindra
