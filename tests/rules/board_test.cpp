// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fixture.h"
#include "rules/board.h"

#include <gmock/gmock.h>

namespace pelindra {
namespace {

using names::kGameWindow;
using namespace names::game;
using ::testing::ElementsAre;

class Board : public fixtures::GameFixture
{
protected:
    void SetUp() override
    {
        launchIntoGame();
        state.gameRunning = true;
        rt.clearCalls();
    }
};

TEST_F(Board, ADealDrawsTheTargetThenTheBoxesInDealOrderReseedingBeforeEveryDraw)
{
    rt.scriptRandom({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    deal(rt, state);
    std::vector<std::string> trace;
    for (const auto& call : rt.calls())
        if (call == "SeedRandom" || call.starts_with("RandomInt") || call.starts_with("Set "))
            trace.push_back(call);
    EXPECT_THAT(trace,
                ElementsAre("SeedRandom", "RandomInt 0 9 -> 0", "Set GameWindow.透明标签15.Caption \"0\"",
                            "SeedRandom", "RandomInt 0 9 -> 1", "Set GameWindow.透明标签3.Caption \"1\"",
                            "SeedRandom", "RandomInt 0 9 -> 2", "Set GameWindow.透明标签4.Caption \"2\"",
                            "SeedRandom", "RandomInt 0 9 -> 3", "Set GameWindow.透明标签5.Caption \"3\"",
                            "SeedRandom", "RandomInt 0 9 -> 4", "Set GameWindow.透明标签7.Caption \"4\"",
                            "SeedRandom", "RandomInt 0 9 -> 5", "Set GameWindow.透明标签6.Caption \"5\"",
                            "SeedRandom", "RandomInt 0 9 -> 6", "Set GameWindow.透明标签8.Caption \"6\"",
                            "SeedRandom", "RandomInt 0 9 -> 7", "Set GameWindow.透明标签9.Caption \"7\"",
                            "SeedRandom", "RandomInt 0 9 -> 8", "Set GameWindow.透明标签10.Caption \"8\"",
                            "SeedRandom", "RandomInt 0 9 -> 9", "Set GameWindow.透明标签11.Caption \"9\""));
    // Box 5 (透明标签8) got the sixth draw and box 6 (透明标签6) the fifth.
    EXPECT_EQ(board(), "123465789");
    EXPECT_EQ(state.targetDigit, "0");
}

TEST_F(Board, BoardsStandAsDealtWithRepeatsAndTheTargetAnywhereOrNowhere)
{
    for (const auto& [target, dealt] : std::vector<std::pair<char, std::string>>{{'7', "777777777"},
                                                                                 {'3', "313131313"},
                                                                                 {'5', "012346789"},
                                                                                 {'0', "000000000"},
                                                                                 {'9', "918273645"}}) {
        scriptDeal(target, dealt);
        deal(rt, state);
        EXPECT_EQ(board(), dealt);
        EXPECT_EQ(state.targetDigit, std::string(1, target));
        EXPECT_EQ(text(kPromptLabel), std::string(1, target));
    }
}

TEST_F(Board, EveryDealtCaptionIsExactlyOneDigit)
{
    rt.setRandomFallback(
        [n = 0](std::int32_t min, std::int32_t max) mutable { return min + (n++ % (max - min + 1)); });
    for (int i = 0; i < 30; ++i) {
        deal(rt, state);
        for (const auto box : kBoxes) {
            const auto caption = text(box);
            ASSERT_EQ(caption.size(), 1u);
            ASSERT_TRUE(caption[0] >= '0' && caption[0] <= '9') << caption;
        }
        ASSERT_EQ(state.targetDigit.size(), 1u);
    }
}

TEST_F(Board, ClearingEmptiesTheBoxesAndShowsZeroWhileTheTargetIsEmpty)
{
    scriptDeal('4', "123456789");
    deal(rt, state);
    rt.clearCalls();
    clearBoard(rt, state);
    EXPECT_EQ(board(), ".........");
    EXPECT_EQ(text(kPromptLabel), "0");
    EXPECT_EQ(state.targetDigit, "");
    const auto writes = rt.callsStartingWith("Set ");
    ASSERT_EQ(writes.size(), 10u);
    EXPECT_EQ(writes[4], "Set GameWindow.透明标签6.Caption \"\"") << "cleared in deal order";
    EXPECT_EQ(writes[9], "Set GameWindow.透明标签15.Caption \"0\"");
}

} // namespace
} // namespace pelindra
