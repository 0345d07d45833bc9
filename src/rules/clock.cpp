// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock.h"

#include "best_record.h"
#include "board.h"
#include "display.h"
#include "game_state.h"
#include "names.h"

#include <string>

namespace pelindra {

using namespace names;
using namespace names::game;
using display::set;
using display::setText;

void startGame(Runtime& rt, GameState& state)
{
    // The stored record first shows here, as it stands, even when the file left it empty.
    setText(rt, kBestScoreLabel, state.bestScore);
    setText(rt, kBestTimeLabel, state.bestTime + "秒");
    set(rt, kStartLink, Property::Visible, 0);
    set(rt, kClockTimer, Property::Interval, clock::kPeriodMs);
    state.score = 0;
    state.elapsedSeconds = 0;
    setText(rt, kClockLabel, "0秒");
    setText(rt, kScoreLabel, "0");
    set(rt, kGameOverNotice, Property::Visible, 0);
    state.gameRunning = true;
    deal(rt, state);
}

void clockTick(Runtime& rt, GameState& state)
{
    ++state.elapsedSeconds;
    if (state.elapsedSeconds >= clock::kFirstWarningTick && state.elapsedSeconds <= clock::kTimeLimit)
        set(rt, kClockLabel, Property::TextColour, clock::kWarningColour);
    setText(rt, kClockLabel, rt.ToText(state.elapsedSeconds) + "秒");
    if (state.elapsedSeconds >= clock::kTimeLimit)
        endGame(rt, state);
}

void endGame(Runtime& rt, GameState& state, Handler then)
{
    set(rt, kGameOverNotice, Property::Visible, 1);
    clearBoard(rt, state);
    set(rt, kStartLink, Property::Visible, 1);
    set(rt, kClockTimer, Property::Interval, 0);
    set(rt, kClockLabel, Property::TextColour, clock::kNormalColour);
    setText(rt, kBestTimeLabel, state.bestTime + "秒");
    state.gameRunning = false;
    checkNewRecord(rt, state, std::move(then));
}

void returnToMenu(Runtime& rt, GameState& state)
{
    set(rt, kClockTimer, Property::Interval, 0);
    state.elapsedSeconds = 0;
    setText(rt, kClockLabel, "0秒");
    set(rt, kStartLink, Property::Visible, 1);
    clearBoard(rt, state);
    setText(rt, kScoreLabel, "0");
    state.score = 0;
    state.gameRunning = false;
    // A record, possible only against a negative best, is announced and saved before the menu returns.
    endGame(rt, state, [&rt] {
        rt.SetProperty(kMenuWindow, kWindowItself, Property::Visible, std::int32_t{1});
        rt.SetProperty(kGameWindow, kWindowItself, Property::Visible, std::int32_t{0});
    });
}

} // namespace pelindra
