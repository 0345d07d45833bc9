// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "case_names.h"
#include "runtime/look.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pelindra::look {
namespace {

struct LinesCase
{
    std::string name;
    std::string caption;
    std::vector<std::string_view> lines;
};

class CaptionLines : public ::testing::TestWithParam<LinesCase>
{};

TEST_P(CaptionLines, EndAtCrLfCrOrLfButStartNoneAfterTheLast)
{
    EXPECT_EQ(linesOf(GetParam().caption), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Captions, CaptionLines,
                         ::testing::Values(LinesCase{"Empty", "", {}}, LinesCase{"OneLine", "0秒", {"0秒"}},
                                           LinesCase{"EndedByCrLf", "a\r\n", {"a"}},
                                           LinesCase{"TwoLines", "a\r\nb", {"a", "b"}},
                                           LinesCase{"LoneCrAndLf", "a\rb\nc", {"a", "b", "c"}},
                                           LinesCase{"EmptyLinesFirst", "\r\n\r\nx\r\n", {"", "", "x"}},
                                           LinesCase{"EmptyLineLast", "a\r\n\r\n", {"a", ""}},
                                           LinesCase{"LineEndAlone", "\r\n", {""}},
                                           LinesCase{"LfThenCrIsTwoEnds", "a\n\r", {"a", ""}}),
                         fixtures::ByCaseName{});

// What a control draws its caption in and where: the text area, the font, and the top of a single line,
// which is centred on the area; several lines start at its top.
struct Placed
{
    layout::Rect area;
    Font font;
    layout::Align align;
    bool wrap;
    double oneLineTop;
};
struct BoxCase
{
    std::string name;
    layout::Control control;
    Placed want;
};

class ControlText : public ::testing::TestWithParam<BoxCase>
{};

TEST_P(ControlText, IsPlacedAndSetInItsFont)
{
    const auto& want = GetParam().want;
    const auto box = textBox(GetParam().control);
    EXPECT_EQ(std::vector({box.area.left, box.area.top, box.area.width, box.area.height}),
              std::vector({want.area.left, want.area.top, want.area.width, want.area.height}));
    EXPECT_EQ(box.font.families, want.font.families);
    EXPECT_EQ(box.font.pixels, want.font.pixels);
    EXPECT_EQ(std::vector({box.font.bold, box.font.italic, box.font.underline, box.wrap}),
              std::vector({want.font.bold, want.font.italic, want.font.underline, want.wrap}));
    EXPECT_EQ(box.align, want.align);
    EXPECT_EQ(firstLineTop(box, 1), want.oneLineTop);
    EXPECT_EQ(firstLineTop(box, 3), 0);
}

using enum layout::ControlType;
using layout::Align;
const std::vector<std::string_view> kDefaultFamilies{kFamily, kSystemFamily};

INSTANTIATE_TEST_SUITE_P(
    Controls, ControlText,
    ::testing::Values(
        BoxCase{"ALinkBoxKeepsItsTextFourPixelsInsideItsFrame",
                {.type = LinkBox, .geometry = {312, 344, 96, 24}},
                {{4, 0, 88, 24}, {kDefaultFamilies, 12}, Align::Left, false, 6}},
        BoxCase{"ALinkTextIsUnderlinedOnOneLineFromTheLeftWhateverItsLayoutSays",
                {.type = LinkText,
                 .geometry = {0, 0, 64, 24},
                 .font = layout::Font{.pixels = 20},
                 .wordWrap = true,
                 .align = Align::Centre},
                {{0, 0, 64, 24}, {kDefaultFamilies, 12, false, false, true}, Align::Left, false, 6}},
        BoxCase{"ADigitTallerThanItsLabelIsCentredOverIt",
                {.geometry = {14, 10, 32, 40}, .font = layout::Font{.pixels = 53}},
                {{0, 0, 32, 40}, {kDefaultFamilies, 53}, Align::Left, false, -6.5}},
        BoxCase{"ADisplayFaceIsAskedForByItsNamesThenByOurHeavyCut",
                {.geometry = {0, 0, 90, 50},
                 .font = layout::Font{.face = "华文琥珀", .pixels = 35, .italic = true}},
                {{0, 0, 90, 50},
                 {{"华文琥珀", "STHupo", kHeavyFamily, kFamily}, 35, false, true},
                 Align::Left,
                 false,
                 7.5}},
        BoxCase{"TheRecordHeadingIsCentredAndBoldFromWeight700",
                {.type = Label,
                 .geometry = {0, 0, 100, 30},
                 .font = layout::Font{.face = "华文彩云", .weight = 700}},
                {{0, 0, 100, 30},
                 {{"华文彩云", "STCaiyun", kHeavyFamily, kFamily}, 12, true},
                 Align::Centre,
                 false,
                 9}},
        BoxCase{"ALabelWrapsAndAlignsAsItsLayoutSaysAndStaysLightBelow700",
                {.geometry = {0, 0, 200, 100},
                 .font = layout::Font{.pixels = 13, .weight = 600, .underline = true},
                 .wordWrap = true,
                 .align = Align::Centre},
                {{0, 0, 200, 100}, {kDefaultFamilies, 13, false, false, true}, Align::Centre, true, 43.5}}),
    fixtures::ByCaseName{});

} // namespace
} // namespace pelindra::look
