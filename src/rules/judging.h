// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace pelindra {

class Runtime;
struct GameState;

// A click on one of the nine digit labels, named by its layout name.
void judgeBoxClick(Runtime& rt, GameState& state, std::string_view box);
void scoreHit(Runtime& rt, GameState& state);
void endOnWrongBox(Runtime& rt, GameState& state);
// A click on "没有这个数字".
void judgeNoDigitClaim(Runtime& rt, GameState& state);

// The one-shot timers of the hit mark and the hint.
void hideHitMark(Runtime& rt);
void hideHint(Runtime& rt);

} // namespace pelindra
