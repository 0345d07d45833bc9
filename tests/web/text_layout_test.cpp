// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/web/text_layout.h"

#include <gtest/gtest.h>

namespace pelindra::web {
namespace {

struct LinesCase
{
    std::string caption;
    std::string shown;
    int lines;
};

class DisplayedLines : public ::testing::TestWithParam<LinesCase>
{};

TEST_P(DisplayedLines, EndEveryLineAtCrLfCrOrLfButStartNoneAfterTheLast)
{
    const auto shown = displayedText(GetParam().caption);
    EXPECT_EQ(shown.text, GetParam().shown);
    EXPECT_EQ(shown.lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Captions, DisplayedLines,
                         ::testing::Values(LinesCase{"", "", 0}, LinesCase{"0秒", "0秒", 1},
                                           LinesCase{"a\r\n", "a", 1}, LinesCase{"a\r\nb", "a\nb", 2},
                                           LinesCase{"a\rb\nc", "a\nb\nc", 3},
                                           LinesCase{"\r\n\r\nx\r\n", "\n\nx", 3},
                                           LinesCase{"a\r\n\r\n", "a\n", 2}, LinesCase{"\r\n", "", 1}));

TEST(TextBox, KeepsALinkBoxsTextFourPixelsInsideItsFrameInTheDefaultFont)
{
    const layout::Control link{.type = layout::ControlType::LinkBox, .geometry = {312, 344, 96, 24}};
    const auto box = textBox(link);
    EXPECT_EQ(box.left, 4);
    EXPECT_EQ(box.width, 88);
    EXPECT_EQ(box.pixels, 12);
    EXPECT_FALSE(box.underline);
    EXPECT_EQ(lineTop(box, 1), 6.0);
}

TEST(TextBox, UnderlinesALinkTextAndCentresASingleLineEvenWhenTheFontIsTallerThanTheLabel)
{
    EXPECT_TRUE(textBox(layout::Control{.type = layout::ControlType::LinkText}).underline);
    const layout::Control digit{.geometry = {14, 10, 32, 40}, .font = layout::Font{.pixels = 53}};
    EXPECT_EQ(lineTop(textBox(digit), 1), -6.5);
    EXPECT_EQ(lineTop(textBox(digit), 3), 0.0) << "several lines start at the top";
}

TEST(TextBox, AsksForADisplayFaceByItsNamesThenForOurHeavyCut)
{
    const layout::Control hit{.font = layout::Font{.face = "华文琥珀", .pixels = 35, .italic = true}};
    const auto box = textBox(hit);
    EXPECT_EQ(box.families, R"("华文琥珀", "STHupo", "Pelindra Sans SC Heavy", "Pelindra Sans SC")");
    EXPECT_TRUE(box.italic);
    EXPECT_EQ(textBox(layout::Control{.font = layout::Font{.face = "", .pixels = 13}}).families, "");
}

} // namespace
} // namespace pelindra::web
