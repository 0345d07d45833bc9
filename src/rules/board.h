// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The nine digits and the prompted digit. The board has no copy of its own: it lives in the captions of
// the game window's digit labels, and answers are judged by reading them back.

#include <string>

namespace pelindra {

class Runtime;
struct GameState;

std::string drawDigit(Runtime& rt);
void dealPrompt(Runtime& rt, GameState& state);
void dealBoard(Runtime& rt);
// A deal is always the prompt followed at once by the board.
void deal(Runtime& rt, GameState& state);
void clearBoard(Runtime& rt, GameState& state);

} // namespace pelindra
