// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The whole program on the headless runtime, with the moves a player makes and the looks a test needs.

#include "rules/game_state.h"
#include "rules/names.h"
#include "runtime/headless/headless_runtime.h"
#include "screens/program.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace pelindra::fixtures {

class GameFixture : public ::testing::Test
{
protected:
    static constexpr std::string_view kDataFile = "/opt/pelindra/data.dat";

    GameFixture()
    {
        // Modal windows are left the way a player leaves them, unless a test says otherwise.
        rt.setModalDriver([this](std::string_view window) {
            ++modalsOpened;
            if (onModal)
                onModal(window);
            if (rt.isOpen(window))
                rt.click(window, window == names::kRecordWindow ? "按钮2" : "超级链接框1");
        });
    }

    // Start-up, as far as the menu on the screen.
    void launch() { startProgram(rt, state); }

    void launchIntoGame()
    {
        launch();
        ASSERT_TRUE(rt.click(names::kMenuWindow, "超级链接框1"));
    }

    // The next deal: the target digit, then the board in reading order ("918273645").
    void scriptDeal(char target, std::string_view board)
    {
        ASSERT_EQ(board.size(), 9u);
        // Boxes are dealt 1, 2, 3, 4, 6, 5, 7, 8, 9.
        static constexpr int kDrawOf[9] = {0, 1, 2, 3, 5, 4, 6, 7, 8};
        std::vector<std::int32_t> draws{target - '0'};
        for (const int box : kDrawOf)
            draws.push_back(board[static_cast<std::size_t>(box)] - '0');
        rt.scriptRandom(draws);
    }

    void startGame(char target, std::string_view board)
    {
        scriptDeal(target, board);
        ASSERT_TRUE(rt.click(names::kGameWindow, names::game::kStartLink));
    }

    // Box 1 to 9 in reading order.
    bool clickBox(int box)
    {
        return rt.click(names::kGameWindow, names::game::kBoxes[static_cast<std::size_t>(box - 1)]);
    }
    bool claimNoDigit() { return rt.click(names::kGameWindow, names::game::kNoDigitLink); }

    // The nine captions in reading order, "." for an empty box.
    std::string board() const
    {
        std::string out;
        for (const auto box : names::game::kBoxes) {
            const auto caption = text(box);
            out += caption.empty() ? "." : caption;
        }
        return out;
    }

    std::string text(std::string_view control, std::string_view window = names::kGameWindow) const
    {
        return rt.peekText(window, control, Property::Caption);
    }
    std::int32_t colour(std::string_view control) const
    {
        return rt.peekInteger(names::kGameWindow, control, Property::TextColour);
    }
    std::int32_t interval(std::string_view timer) const
    {
        return rt.peekInteger(names::kGameWindow, timer, Property::Interval);
    }
    bool shown(std::string_view control, std::string_view window = names::kGameWindow) const
    {
        return rt.peekInteger(window, control, Property::Visible) != 0;
    }
    std::string stored() const
    {
        const auto it = rt.store.files.find(kDataFile);
        return it == rt.store.files.end() ? std::string("<none>") : it->second;
    }

    headless::HeadlessRuntime rt;
    GameState state;
    std::function<void(std::string_view)> onModal;
    int modalsOpened = 0;
};

} // namespace pelindra::fixtures
