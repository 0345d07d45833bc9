// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Another copy of the program, for the store's tests: "store_writer <n> [<path>]" adds one to Score and
// Time n times (0: for ever), in data.dat beside itself through the program's own store when no path
// is given. Exits with 2 when an update fails, saying why.

#include "runtime/win32/text.h"
#include "runtime/win32/windows_files.h"

#include <cstdio>
#include <cstdlib>

using namespace pelindra;

int wmain(int argc, wchar_t** argv)
{
    auto store = argc > 2 ? win32::storeIn({}, {}) : win32::storeOfThisProgram("Pelindra");
    const auto path = argc > 2 ? win32::toUtf8(argv[2]) : store.join(store.programDirectory(), "data.dat");
    const auto add = [](const ConfigSnapshot& now) {
        const auto k = std::to_string(std::strtol(now.item("Mybest", "Score").c_str(), nullptr, 10) + 1);
        return std::vector<ConfigItem>{{"Mybest", "Score", k}, {"Mybest", "Time", k}};
    };
    for (long i = 0, times = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 1; times == 0 || i < times; ++i) {
        if (const auto result = store.update(path, add, kLockWait);
            result.outcome != UpdateResult::Outcome::Written) {
            std::fprintf(stderr, "store_writer: update %ld: %s\n", i + 1, result.reason.c_str());
            return 2;
        }
    }
    return 0;
}
