// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints every text the program shows, one after another, each followed by a line feed: the captions and
// texts of the four windows' layouts, then the pieces of the texts the game puts together as it runs.
// The font subsets keep the glyphs of these characters and of printable ASCII, and nothing else.

#include "screens/about_window.h"
#include "screens/game_window.h"
#include "screens/menu_window.h"
#include "screens/record_window.h"

#include <cstdio>
#include <string_view>

namespace {

void print(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

} // namespace

int main()
{
    using namespace pelindra;
    for (const auto* window : {&menuLayout(), &gameLayout(), &recordLayout(), &aboutLayout()}) {
        print(window->caption);
        for (const auto& control : window->controls)
            print(control.text);
    }
    // The clock, the best time and the record window show seconds as a number and "秒"; the numbers,
    // scores and digits are ASCII.
    print("秒");
    return std::fflush(stdout) == 0 ? 0 : 1;
}
