// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fixture.h"
#include "rules/clock.h"

#include <gmock/gmock.h>

namespace pelindra {
namespace {

using names::kGameWindow;
using names::kMenuWindow;
using namespace names::game;
using ::testing::ElementsAre;

constexpr auto kRed = clock::kWarningColour;
constexpr auto kWhite = clock::kNormalColour;

class Clock : public fixtures::GameFixture
{
protected:
    void SetUp() override { launchIntoGame(); }
};

TEST_F(Clock, StartingAGameWritesItsStepsInOrder)
{
    state.bestScore = "7";
    state.bestTime = "15";
    scriptDeal('1', "123456789");
    rt.clearCalls();
    ASSERT_TRUE(rt.click(kGameWindow, kStartLink));
    const auto sets = rt.callsStartingWith("Set ");
    ASSERT_EQ(sets.size(), 7u + 10u);
    EXPECT_THAT(
        std::vector<std::string>(sets.begin(), sets.begin() + 7),
        ElementsAre("Set GameWindow.透明标签21.Caption \"7\"", "Set GameWindow.透明标签19.Caption \"15秒\"",
                    "Set GameWindow.超级链接框1.Visible 0", "Set GameWindow.time.Interval 1000",
                    "Set GameWindow.透明标签2.Caption \"0秒\"", "Set GameWindow.透明标签13.Caption \"0\"",
                    "Set GameWindow.透明标签17.Visible 0"));
    EXPECT_TRUE(state.gameRunning);
    EXPECT_EQ(state.score, 0);
    EXPECT_EQ(state.elapsedSeconds, 0);
    EXPECT_FALSE(shown(kStartLink));
}

TEST_F(Clock, TicksEverySecondTurnRedFromTwelveAndEndWhiteAtFifteen)
{
    startGame('1', "000000000");
    std::vector<std::string> captions;
    std::vector<std::int32_t> colours;
    for (int second = 1; second <= 15; ++second) {
        rt.advance(999);
        ASSERT_EQ(state.elapsedSeconds, second - 1) << "the tick comes a full second after the last";
        rt.advance(1);
        captions.push_back(text(kClockLabel));
        colours.push_back(colour(kClockLabel));
    }
    EXPECT_THAT(captions, ElementsAre("1秒", "2秒", "3秒", "4秒", "5秒", "6秒", "7秒", "8秒", "9秒", "10秒",
                                      "11秒", "12秒", "13秒", "14秒", "15秒"));
    EXPECT_THAT(colours, ElementsAre(kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite,
                                     kWhite, kWhite, kRed, kRed, kRed, kWhite));
    EXPECT_FALSE(state.gameRunning);
    EXPECT_EQ(state.elapsedSeconds, 15);
    EXPECT_EQ(interval(kClockTimer), 0);
    rt.advance(10000);
    EXPECT_EQ(state.elapsedSeconds, 15) << "no tick after the game is over";
}

TEST_F(Clock, TheLastTickTurnsTheClockRedAndBackToWhiteWithinItself)
{
    startGame('1', "000000000");
    rt.advance(14000);
    rt.clearCalls();
    rt.advance(1000);
    const auto colourWrites = rt.callsStartingWith("Set GameWindow.透明标签2.TextColour");
    EXPECT_THAT(colourWrites, ElementsAre("Set GameWindow.透明标签2.TextColour 255",
                                          "Set GameWindow.透明标签2.TextColour 16777215"));
}

TEST_F(Clock, AGameOverLeavesTheFinalTimeAndScoreInView)
{
    startGame('1', "100000000");
    scriptDeal('2', "000000000");
    clickBox(1);
    scriptDeal('3', "000000000");
    claimNoDigit();
    ASSERT_EQ(state.score, 2);
    rt.advance(15000);
    EXPECT_EQ(text(kClockLabel), "15秒");
    EXPECT_EQ(text(kScoreLabel), "2");
    EXPECT_TRUE(shown(kGameOverNotice));
    EXPECT_TRUE(shown(kStartLink));
    EXPECT_EQ(board(), ".........");
    EXPECT_EQ(text(kPromptLabel), "0");
}

TEST_F(Clock, AWrongBoxLeavesTheClockRedIntoTheNextGameUntilAFullGameOver)
{
    startGame('1', "000000000");
    rt.advance(12000);
    ASSERT_EQ(colour(kClockLabel), kRed);
    clickBox(1);
    EXPECT_EQ(colour(kClockLabel), kRed);
    EXPECT_EQ(text(kClockLabel), "12秒");
    startGame('1', "000000000");
    EXPECT_EQ(text(kClockLabel), "0秒");
    EXPECT_EQ(colour(kClockLabel), kRed) << "starting a game does not set the colour";
    rt.advance(3000);
    EXPECT_EQ(colour(kClockLabel), kRed);
    ASSERT_TRUE(rt.click(kGameWindow, kBackLink));
    EXPECT_EQ(colour(kClockLabel), kWhite);
}

TEST_F(Clock, TheGameOverStepsComeInTheirOrder)
{
    state.bestTime = "9";
    startGame('1', "000000000");
    rt.advance(14000);
    rt.clearCalls();
    rt.advance(1000);
    std::vector<std::string> sets;
    for (const auto& call : rt.callsStartingWith("Set "))
        if (call.find("透明标签2.Caption") == std::string::npos &&
            call.find(".Caption \"\"") == std::string::npos && call.find("透明标签15") == std::string::npos)
            sets.push_back(call);
    EXPECT_THAT(sets,
                ElementsAre("Set GameWindow.透明标签2.TextColour 255", "Set GameWindow.透明标签17.Visible 1",
                            "Set GameWindow.超级链接框1.Visible 1", "Set GameWindow.time.Interval 0",
                            "Set GameWindow.透明标签2.TextColour 16777215",
                            "Set GameWindow.透明标签19.Caption \"9秒\""));
}

TEST_F(Clock, BackDuringAGameAbandonsItWithNoRecordAndShowsTheMenu)
{
    state.bestScore = "0";
    startGame('1', "111111111");
    for (int i = 0; i < 3; ++i) {
        scriptDeal('1', "111111111");
        clickBox(1);
    }
    rt.advance(4000);
    ASSERT_EQ(state.score, 3);
    rt.clearCalls();
    ASSERT_TRUE(rt.click(kGameWindow, kBackLink));
    EXPECT_EQ(modalsOpened, 0) << "the score is reset before the record check";
    EXPECT_EQ(state.score, 0);
    EXPECT_EQ(state.elapsedSeconds, 0);
    EXPECT_FALSE(state.gameRunning);
    EXPECT_EQ(text(kClockLabel), "0秒");
    EXPECT_EQ(text(kScoreLabel), "0");
    EXPECT_TRUE(shown(kGameOverNotice));
    EXPECT_TRUE(rt.isShown(kMenuWindow));
    EXPECT_FALSE(rt.isShown(kGameWindow));
    const auto windows = rt.callsStartingWith("Set ");
    EXPECT_THAT(std::vector<std::string>(windows.end() - 2, windows.end()),
                ElementsAre("Set MenuWindow.Visible 1", "Set GameWindow.Visible 0"));
    rt.advance(5000);
    EXPECT_EQ(state.elapsedSeconds, 0) << "the clock is stopped";
}

TEST_F(Clock, BackWhileIdleRunsTheSameStepsAndTheWindowComesBackAsItWasLeft)
{
    ASSERT_TRUE(rt.click(kGameWindow, kBackLink));
    EXPECT_TRUE(rt.isShown(kMenuWindow));
    ASSERT_TRUE(rt.click(kMenuWindow, "超级链接框1"));
    EXPECT_TRUE(shown(kGameOverNotice));
    EXPECT_EQ(text(kClockLabel), "0秒");
    EXPECT_EQ(text(kScoreLabel), "0");
    EXPECT_TRUE(shown(kStartLink));
    EXPECT_EQ(modalsOpened, 0);
}

TEST_F(Clock, NeitherStartNorGameOverTouchesTheHintOrTheHitMark)
{
    startGame('1', "100000000");
    claimNoDigit(); // wrong: the hint shows for 1.5 s
    rt.clearCalls();
    clickBox(2); // wrong box: game over
    startGame('2', "000000000");
    rt.advance(1499);
    EXPECT_TRUE(shown(kHint));
    rt.advance(1);
    EXPECT_FALSE(shown(kHint));
    EXPECT_THAT(rt.callsStartingWith("Set GameWindow.透明标签16"),
                ElementsAre("Set GameWindow.透明标签16.Visible 0"));
    EXPECT_TRUE(rt.callsStartingWith("Set GameWindow.透明标签22").empty());
}

} // namespace
} // namespace pelindra
