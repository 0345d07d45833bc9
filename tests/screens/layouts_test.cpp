// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fixture.h"
#include "screens/about_window.h"
#include "screens/game_window.h"
#include "screens/menu_window.h"
#include "screens/record_window.h"

#include <set>

namespace pelindra {
namespace {

using layout::ControlType;
using namespace names::game;

const layout::Window* const kAll[] = {&menuLayout(), &gameLayout(), &recordLayout(), &aboutLayout()};

TEST(Layouts, EveryParentIsAContainerListedInTheSameWindowAndNamesAreUnique)
{
    for (const auto* window : kAll) {
        std::set<std::string_view> names;
        for (const auto& control : window->controls) {
            EXPECT_TRUE(names.insert(control.name).second)
                << window->name << ": " << control.name << " twice";
            if (control.parent.empty())
                continue;
            const auto* parent = layout::find(*window, control.parent);
            ASSERT_NE(parent, nullptr) << control.name;
            if (control.type != ControlType::Timer) {
                EXPECT_TRUE(parent->type == ControlType::GroupBox || parent->type == ControlType::PictureBox)
                    << control.name;
            }
        }
    }
}

TEST(Layouts, TheRulesNamesAreControlsOfTheGameWindowOfTheRightType)
{
    const auto& game = gameLayout();
    auto typeOf = [&](std::string_view name) {
        const auto* c = layout::find(game, name);
        EXPECT_NE(c, nullptr) << name;
        return c ? c->type : ControlType::Timer;
    };
    for (const auto box : kBoxes) {
        EXPECT_EQ(typeOf(box), ControlType::TransparentLabel) << box;
        EXPECT_TRUE(layout::find(game, box)->handCursor) << box;
    }
    for (const auto label : {kClockLabel, kScoreLabel, kBestTimeLabel, kBestScoreLabel, kPromptLabel,
                             kHitMark, kHint, kGameOverNotice})
        EXPECT_EQ(typeOf(label), ControlType::TransparentLabel) << label;
    for (const auto timer : {kHitTimer, kHintTimer, kClockTimer, kIdleTimer})
        EXPECT_EQ(typeOf(timer), ControlType::Timer) << timer;
    EXPECT_EQ(typeOf(kBackLink), ControlType::LinkText);
    EXPECT_EQ(std::set<std::string_view>(kDealOrder.begin(), kDealOrder.end()),
              std::set<std::string_view>(kBoxes.begin(), kBoxes.end()));
}

TEST(Layouts, TheGridRunsInReadingOrderWhateverTheNamesSay)
{
    const auto& game = gameLayout();
    int previous = -1;
    for (const auto box : kBoxes) {
        const auto* cell = layout::find(game, layout::find(game, box)->parent);
        const int place = (cell->geometry.top - 200) / 56 * 3 + (cell->geometry.left - 136) / 56;
        EXPECT_EQ(place, previous + 1) << box;
        previous = place;
    }
}

class NewGameWindow : public fixtures::GameFixture
{};

TEST_F(NewGameWindow, StartsIdleWithAnEmptyGridAndItsMessagesHidden)
{
    launch();
    EXPECT_EQ(board(), ".........");
    EXPECT_EQ(text("透明标签14"), "请按下： ");
    EXPECT_EQ(text(kPromptLabel), "0 ");
    EXPECT_EQ(text(kScoreLabel), "0");
    EXPECT_EQ(text(kClockLabel), "0秒");
    EXPECT_FALSE(shown(kHitMark));
    EXPECT_FALSE(shown(kHint));
    EXPECT_FALSE(shown(kGameOverNotice));
    EXPECT_TRUE(shown(kStartLink));
    for (const auto timer : {kHitTimer, kHintTimer, kClockTimer, kIdleTimer})
        EXPECT_EQ(interval(timer), 0) << timer;
    EXPECT_EQ(colour(kClockLabel), 16777215);
}

TEST(Layouts, TheInstructionsAreSixLinesWithBlankLinesBetween)
{
    const auto* label = layout::find(menuLayout(), "透明标签2");
    ASSERT_NE(label, nullptr);
    std::string_view text = label->text;
    int lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string_view::npos; at += 2)
        ++lines;
    EXPECT_EQ(lines, 11) << "five doubled line ends and a single last one";
    EXPECT_TRUE(text.ends_with("玩下去！\r\n"));
    EXPECT_FALSE(text.ends_with("\r\n\r\n"));
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "no bare line feeds";
}

TEST(Layouts, TheCreditsAreTwentySixLinesStartingWithTenEmptyOnes)
{
    const auto* label = layout::find(aboutLayout(), "透明标签1");
    ASSERT_NE(label, nullptr);
    std::string_view text = label->text;
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const auto end = text.find("\r\n", start);
        ASSERT_NE(end, std::string_view::npos) << "every line ends in CR LF";
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 26u);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(lines[static_cast<std::size_t>(i)].empty());
    EXPECT_EQ(lines[10], "*******关于信息********");
    EXPECT_EQ(lines[18], "游戏原名：Pelindra");
    for (const int i : {12, 14, 16, 20, 22})
        EXPECT_FALSE(lines[static_cast<std::size_t>(i)].empty()) << i;
    for (const int i : {11, 13, 15, 17, 19, 21, 23})
        EXPECT_TRUE(lines[static_cast<std::size_t>(i)].empty()) << i;
    EXPECT_TRUE(lines[25].ends_with("请联系@E-mail"));
}

} // namespace
} // namespace pelindra
