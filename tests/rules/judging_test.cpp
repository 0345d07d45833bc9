// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fixture.h"
#include "rules/clock.h"

#include <gmock/gmock.h>

namespace pelindra {
namespace {

using names::kGameWindow;
using namespace names::game;
using ::testing::ElementsAre;

class Judging : public fixtures::GameFixture
{
protected:
    void SetUp() override { launchIntoGame(); }
};

TEST_F(Judging, AnswersBeforeTheFirstGameAndAfterAGameChangeNothing)
{
    rt.clearCalls();
    EXPECT_TRUE(clickBox(1)) << "the click reaches the rules";
    EXPECT_TRUE(claimNoDigit());
    EXPECT_TRUE(rt.callsStartingWith("Set ").empty());

    startGame('5', "123456789");
    ASSERT_TRUE(clickBox(1)); // wrong: ends the game
    rt.clearCalls();
    for (int box = 1; box <= 9; ++box)
        clickBox(box);
    claimNoDigit();
    EXPECT_TRUE(rt.callsStartingWith("Set ").empty());
    EXPECT_EQ(state.score, 0);
}

TEST_F(Judging, ARightBoxScoresShowsTheHitMarkAndDealsAnew)
{
    startGame('3', "313131313");
    rt.clearCalls();
    scriptDeal('8', "000000008");
    ASSERT_TRUE(clickBox(3));
    const auto sets = rt.callsStartingWith("Set ");
    ASSERT_GE(sets.size(), 3u);
    EXPECT_THAT(std::vector<std::string>(sets.begin(), sets.begin() + 3),
                ElementsAre("Set GameWindow.hit.Interval 1000", "Set GameWindow.透明标签22.Visible 1",
                            "Set GameWindow.透明标签13.Caption \"1\""));
    EXPECT_EQ(state.score, 1);
    EXPECT_EQ(board(), "000000008");
    EXPECT_EQ(state.targetDigit, "8");
}

TEST_F(Judging, EveryBoxHoldingTheTargetIsARightAnswer)
{
    startGame('3', "313131313");
    for (const int box : {1, 3, 5, 7, 9}) {
        scriptDeal('3', "313131313");
        ASSERT_TRUE(clickBox(box));
        EXPECT_TRUE(state.gameRunning) << "box " << box;
    }
    EXPECT_EQ(state.score, 5);
    EXPECT_EQ(text(kScoreLabel), "5");
}

TEST_F(Judging, TheHitMarkVanishesOnTheNextTickOfItsTimerEvenAfterTheGameEnded)
{
    startGame('1', "111111111");
    rt.advance(400);
    scriptDeal('2', "345678902");
    clickBox(5);
    EXPECT_TRUE(shown(kHitMark));
    rt.advance(999);
    EXPECT_TRUE(shown(kHitMark));
    clickBox(1); // wrong: the game ends, the mark stays for its timer
    EXPECT_FALSE(state.gameRunning);
    EXPECT_TRUE(shown(kHitMark));
    rt.advance(1);
    EXPECT_FALSE(shown(kHitMark));
    EXPECT_EQ(interval(kHitTimer), 0);
}

TEST_F(Judging, AWrongBoxEndsTheGameAtOnceEvenWhenNoBoxHoldsTheTarget)
{
    startGame('0', "123456789");
    rt.clearCalls();
    ASSERT_TRUE(clickBox(2));
    EXPECT_FALSE(state.gameRunning);
    EXPECT_TRUE(shown(kGameOverNotice));
    EXPECT_TRUE(shown(kStartLink));
    EXPECT_EQ(board(), ".........");
    EXPECT_EQ(text(kPromptLabel), "0");
    EXPECT_EQ(interval(kClockTimer), 0);
    EXPECT_EQ(modalsOpened, 0) << "a score of 0 is no record";
    const auto sets = rt.callsStartingWith("Set ");
    EXPECT_EQ(sets.front(), "Set GameWindow.透明标签17.Visible 1");
    EXPECT_EQ(sets[sets.size() - 2], "Set GameWindow.超级链接框1.Visible 1");
    EXPECT_EQ(sets.back(), "Set GameWindow.time.Interval 0");
}

TEST_F(Judging, AWrongClaimCostsAPointShowsTheHintAndKeepsTheDeal)
{
    startGame('4', "000040000");
    rt.clearCalls();
    ASSERT_TRUE(claimNoDigit());
    EXPECT_THAT(rt.callsStartingWith("Set "),
                ElementsAre("Set GameWindow.label.Interval 1500", "Set GameWindow.透明标签16.Visible 1",
                            "Set GameWindow.透明标签13.Caption \"-1\""));
    EXPECT_EQ(state.score, -1);
    EXPECT_EQ(board(), "000040000");
    EXPECT_EQ(state.targetDigit, "4");
    EXPECT_TRUE(state.gameRunning);
    rt.advance(1499);
    EXPECT_TRUE(shown(kHint));
    rt.advance(1);
    EXPECT_FALSE(shown(kHint));
    EXPECT_EQ(interval(kHintTimer), 0);
}

TEST_F(Judging, AClaimWithANegativeScoreEndsTheGameUnjudged)
{
    startGame('4', "000040000");
    claimNoDigit();
    ASSERT_EQ(state.score, -1);
    rt.clearCalls();
    ASSERT_TRUE(claimNoDigit());
    EXPECT_FALSE(state.gameRunning);
    EXPECT_EQ(state.score, -1) << "the claim is not judged";
    EXPECT_EQ(text(kScoreLabel), "-1");
    EXPECT_TRUE(shown(kGameOverNotice));
    EXPECT_EQ(colour(kClockLabel), clock::kNormalColour) << "this is the full game over";
    EXPECT_TRUE(rt.callsStartingWith("RandomInt").empty());
    EXPECT_TRUE(rt.callsStartingWith("Get GameWindow.透明标签").empty()) << "no box was looked at";
}

TEST_F(Judging, AClaimWithANegativeScoreEndsTheGameEvenWhenItWouldBeRight)
{
    startGame('4', "000000000");
    state.score = -1; // play cannot reach this with the target missing; the rule holds all the same
    ASSERT_TRUE(claimNoDigit());
    EXPECT_FALSE(state.gameRunning);
    EXPECT_EQ(state.score, -1);
}

TEST_F(Judging, ARightBoxRaisesANegativeScoreAsUsual)
{
    startGame('4', "000040000");
    claimNoDigit();
    scriptDeal('1', "100000000");
    ASSERT_TRUE(clickBox(5));
    EXPECT_EQ(state.score, 0);
    EXPECT_TRUE(state.gameRunning);
}

TEST_F(Judging, ARightClaimDealsAnewHidesAShownHintAndShowsNoHitMark)
{
    startGame('5', "123456789");
    claimNoDigit(); // wrong: 5 is in box 5
    EXPECT_TRUE(shown(kHint));
    scriptDeal('9', "000000000");
    clickBox(5); // right: back to 0, and 9 is nowhere on the new board
    rt.clearCalls();
    scriptDeal('2', "222222222");
    ASSERT_TRUE(claimNoDigit());
    EXPECT_FALSE(shown(kHint));
    EXPECT_EQ(interval(kHintTimer), 0);
    EXPECT_EQ(state.score, 1);
    EXPECT_EQ(text(kScoreLabel), "1");
    EXPECT_EQ(board(), "222222222");
    const auto sets = rt.callsStartingWith("Set ");
    EXPECT_THAT(std::vector<std::string>(sets.end() - 3, sets.end()),
                ElementsAre("Set GameWindow.label.Interval 0", "Set GameWindow.透明标签16.Visible 0",
                            "Set GameWindow.透明标签13.Caption \"1\""));
    for (const auto& set : sets)
        EXPECT_EQ(set.find("透明标签22"), std::string::npos) << set;
}

TEST_F(Judging, AClaimLooksAtTheBoxesInTheOrderOfTheirLabelsNumbers)
{
    startGame('1', "000001000"); // box 6 is 透明标签6
    rt.clearCalls();
    claimNoDigit();
    std::vector<std::string> reads;
    for (const auto& call : rt.callsStartingWith("Get "))
        reads.push_back(call);
    EXPECT_THAT(reads, ElementsAre("Get GameWindow.透明标签3.Caption", "Get GameWindow.透明标签4.Caption",
                                   "Get GameWindow.透明标签5.Caption", "Get GameWindow.透明标签6.Caption"));
}

TEST_F(Judging, TheScoreLabelAlwaysShowsTheScore)
{
    startGame('1', "000000001");
    claimNoDigit();
    EXPECT_EQ(text(kScoreLabel), "-1");
    scriptDeal('2', "000000002");
    clickBox(9);
    EXPECT_EQ(text(kScoreLabel), "0");
    scriptDeal('3', "000000000");
    clickBox(9);
    EXPECT_EQ(text(kScoreLabel), "1");
    ASSERT_TRUE(state.gameRunning);
    scriptDeal('4', "000000000");
    claimNoDigit();
    EXPECT_EQ(text(kScoreLabel), "2");
}

} // namespace
} // namespace pelindra
