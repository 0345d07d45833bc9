// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fixture.h"

#include <gmock/gmock.h>

namespace pelindra {
namespace {

using names::kGameWindow;
using names::kRecordWindow;
using ::testing::ElementsAre;

class Record : public fixtures::GameFixture
{
protected:
    // Ends a game with score points at seconds seconds, a new record over a best of 0.
    void setRecord(int points, int seconds)
    {
        launchIntoGame();
        startGame('1', "111111111");
        for (int i = 0; i < points; ++i) {
            scriptDeal('1', i + 1 < points ? "111111111" : "222222222");
            clickBox(1);
        }
        rt.advance(seconds * 1000);
        clickBox(5);
    }
};

TEST_F(Record, ShowsTheNewTimeAndScoreAndHidesTheGameWindowBeneathIt)
{
    std::vector<std::string> seen;
    onModal = [&](std::string_view) {
        seen = {text("透明标签2", kRecordWindow), text("透明标签13", kRecordWindow),
                text("标签1", kRecordWindow)};
        EXPECT_FALSE(rt.isShown(kGameWindow));
        EXPECT_FALSE(rt.isShown(names::kMenuWindow));
        EXPECT_TRUE(rt.isShown(kRecordWindow));
    };
    setRecord(7, 9);
    EXPECT_THAT(seen, ElementsAre("9秒", "7", "新记录，恭喜你"));
    EXPECT_THAT(rt.callsStartingWith("Set RecordWindow"),
                ElementsAre("Set RecordWindow.透明标签2.Caption \"9秒\"",
                            "Set RecordWindow.透明标签13.Caption \"7\""));
}

TEST_F(Record, ShowOffDoesNothingHoweverOftenItIsClicked)
{
    onModal = [&](std::string_view) {
        rt.clearCalls();
        for (int i = 0; i < 5; ++i)
            EXPECT_FALSE(rt.click(kRecordWindow, "超级链接框2"));
        EXPECT_TRUE(rt.calls().empty());
        EXPECT_TRUE(rt.isOpen(kRecordWindow));
    };
    setRecord(1, 1);
}

TEST_F(Record, BackShowsTheGameWindowFirstThenClosesAndLeavesTheGameIdle)
{
    onModal = [&](std::string_view) { rt.clearCalls(); };
    setRecord(2, 5);
    const auto calls = rt.calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "Clicked RecordWindow.按钮2");
    EXPECT_EQ(calls[1], "Set GameWindow.Visible 1");
    EXPECT_EQ(calls[2], "CloseWindow RecordWindow");
    EXPECT_TRUE(rt.isShown(kGameWindow));
    EXPECT_FALSE(rt.isShown(names::kMenuWindow));
    EXPECT_FALSE(rt.isOpen(kRecordWindow));
    EXPECT_TRUE(shown(names::game::kStartLink));
    EXPECT_TRUE(shown(names::game::kGameOverNotice));
}

TEST_F(Record, ItsCloseButtonLeadsBackToTheGameWindowLikeBack)
{
    onModal = [&](std::string_view window) { ASSERT_TRUE(rt.closeByUser(window)); };
    setRecord(3, 2);
    EXPECT_TRUE(rt.isShown(kGameWindow));
    EXPECT_FALSE(rt.isOpen(kRecordWindow));
    EXPECT_FALSE(rt.exitCode());
    EXPECT_EQ(stored(), "[Mybest]\r\nTime=2\r\nScore=3\r\n");
}

TEST_F(Record, EveryNewRecordBuildsTheWindowAfresh)
{
    std::vector<std::string> firstCaptions;
    onModal = [&](std::string_view) { firstCaptions.push_back(text("透明标签13", kRecordWindow)); };
    setRecord(1, 1);
    startGame('1', "111111111");
    for (int i = 0; i < 2; ++i) {
        scriptDeal('1', i == 0 ? "111111111" : "222222222");
        clickBox(1);
    }
    clickBox(5);
    EXPECT_THAT(firstCaptions, ElementsAre("1", "2"));
    EXPECT_EQ(rt.callsStartingWith("LoadWindow RecordWindow modal").size(), 2u);
}

} // namespace
} // namespace pelindra
