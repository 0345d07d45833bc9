// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"

#include "about_window.h"
#include "game_window.h"
#include "menu_window.h"
#include "record_window.h"
#include "rules/best_record.h"
#include "rules/game_state.h"
#include "rules/names.h"
#include "runtime/runtime.h"

namespace pelindra {

void defineWindows(Runtime& rt, GameState& state)
{
    rt.DefineWindow(menuWindow(rt, state));
    rt.DefineWindow(gameWindow(rt, state));
    rt.DefineWindow(recordWindow(rt, state));
    rt.DefineWindow(aboutWindow(rt));
}

void startProgram(Runtime& rt, GameState& state)
{
    defineWindows(rt, state);
    rt.RegisterEnding([&rt, &state] { saveRecordOnScreen(rt, state); });
    rt.RegisterCleanup([&state] {
        state.bestScore = {};
        state.bestTime = {};
        state.targetDigit = {};
    });
    rt.OpenStartWindow(names::kMenuWindow);
}

void runProgram(Runtime& rt, GameState& state)
{
    startProgram(rt, state);
    rt.RunMessageLoop();
    rt.ExitProgram(0);
}

} // namespace pelindra
