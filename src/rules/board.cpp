// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "board.h"

#include "display.h"
#include "game_state.h"
#include "names.h"

namespace pelindra {

using namespace names::game;

std::string drawDigit(Runtime& rt)
{
    rt.SeedRandom();
    return rt.ToText(rt.RandomInt(0, 9));
}

void dealPrompt(Runtime& rt, GameState& state)
{
    state.targetDigit = drawDigit(rt);
    display::setText(rt, kPromptLabel, state.targetDigit);
}

void dealBoard(Runtime& rt)
{
    for (const auto box : kDealOrder)
        display::setText(rt, box, drawDigit(rt));
}

void deal(Runtime& rt, GameState& state)
{
    dealPrompt(rt, state);
    dealBoard(rt);
}

void clearBoard(Runtime& rt, GameState& state)
{
    for (const auto box : kDealOrder)
        display::setText(rt, box, {});
    display::setText(rt, kPromptLabel, "0");
    state.targetDigit.clear();
}

} // namespace pelindra
