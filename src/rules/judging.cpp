// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "judging.h"

#include "best_record.h"
#include "board.h"
#include "clock.h"
#include "display.h"
#include "game_state.h"
#include "names.h"

namespace pelindra {

using namespace names;
using namespace names::game;
using display::set;

namespace {

constexpr std::int32_t kHitMarkMs = 1000;
constexpr std::int32_t kHintMs = 1500;

void showScore(Runtime& rt, const GameState& state)
{
    display::setText(rt, kScoreLabel, rt.ToText(state.score));
}

std::string captionOf(Runtime& rt, std::string_view box)
{
    return textOf(rt.GetProperty(kGameWindow, box, Property::Caption));
}

} // namespace

void judgeBoxClick(Runtime& rt, GameState& state, std::string_view box)
{
    if (!state.gameRunning)
        return;
    if (captionOf(rt, box) == state.targetDigit)
        scoreHit(rt, state);
    else
        endOnWrongBox(rt, state);
}

void scoreHit(Runtime& rt, GameState& state)
{
    ++state.score;
    set(rt, kHitTimer, Property::Interval, kHitMarkMs);
    set(rt, kHitMark, Property::Visible, 1);
    showScore(rt, state);
    deal(rt, state);
}

void hideHitMark(Runtime& rt)
{
    set(rt, kHitMark, Property::Visible, 0);
    set(rt, kHitTimer, Property::Interval, 0);
}

void endOnWrongBox(Runtime& rt, GameState& state)
{
    // endGame without its colour steps: a game lost on a wrong box leaves the clock as red as it was.
    set(rt, kGameOverNotice, Property::Visible, 1);
    clearBoard(rt, state);
    set(rt, kStartLink, Property::Visible, 1);
    set(rt, kClockTimer, Property::Interval, 0);
    state.gameRunning = false;
    checkNewRecord(rt, state);
}

void judgeNoDigitClaim(Runtime& rt, GameState& state)
{
    if (!state.gameRunning)
        return;
    if (state.score < 0) {
        endGame(rt, state);
        return;
    }
    for (const auto box : kClaimOrder) {
        if (captionOf(rt, box) == state.targetDigit) {
            --state.score;
            set(rt, kHintTimer, Property::Interval, kHintMs);
            set(rt, kHint, Property::Visible, 1);
            showScore(rt, state);
            return;
        }
    }
    deal(rt, state);
    ++state.score;
    set(rt, kHintTimer, Property::Interval, 0);
    set(rt, kHint, Property::Visible, 0);
    showScore(rt, state);
}

void hideHint(Runtime& rt)
{
    set(rt, kHint, Property::Visible, 0);
    set(rt, kHintTimer, Property::Interval, 0);
}

} // namespace pelindra
