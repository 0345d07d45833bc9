// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/game_state.h"
#include "runtime/win32/dpi.h"
#include "runtime/win32/win32_runtime.h"
#include "runtime/win32/windows_files.h"
#include "screens/program.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Before the first window: Windows fixes a process's awareness once it has made one.
    pelindra::win32::enableDpiAwareness();
    auto store = pelindra::win32::storeOfThisProgram("Pelindra");
    pelindra::win32::Win32Runtime runtime(store);
    pelindra::GameState state;
    pelindra::runProgram(runtime, state);
    return runtime.exitCode();
}
