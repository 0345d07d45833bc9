// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/win32/fonts.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pelindra::win32 {
namespace {

// The face GDI really chose for a request, and how tall its em came out.
struct Chosen
{
    std::wstring face;
    int em = 0;
    bool italic = false;
    bool coversChinese = false;
};

Chosen choose(const Fonts& fonts, const FontRequest& request)
{
    const UniqueFont font = fonts.create(request);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font.get());
    Chosen chosen;
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    chosen.face = face;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    chosen.em = metrics.tmHeight - metrics.tmInternalLeading;
    chosen.italic = metrics.tmItalic != 0;
    const std::wstring text = L"开始游戏！最佳记录：返回【显示】";
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
    chosen.coversChinese = std::find(glyphs.begin(), glyphs.end(), WORD(0xffff)) == glyphs.end();
    SelectObject(dc, previous);
    DeleteDC(dc);
    return chosen;
}

TEST(Fonts, TheFirstFamilyAtHandIsTakenAndOurFacesAreAlwaysAtHand)
{
    const Fonts fonts(GetModuleHandleW(nullptr));
    ASSERT_TRUE(fonts.embeddedLoaded());
    struct Case
    {
        std::vector<std::wstring> families;
        std::wstring face;
    };
    const std::vector<Case> cases{
        {{L"No Such Face 7f3a", kHeavyFamily, kFamily}, kHeavyFamily},
        {{L"pelindra sans sc"}, L"pelindra sans sc"},
        {{L"No Such Face 7f3a", L"Nor This One 7f3a"}, L"Nor This One 7f3a"},
        {{}, kFamily},
    };
    for (const auto& [families, face] : cases)
        EXPECT_EQ(fonts.pick(families), face) << families.size();
}

TEST(Fonts, AFontHasTheEmAskedForAndDrawsEveryChineseTextOfTheGame)
{
    const Fonts fonts(GetModuleHandleW(nullptr));
    for (const auto& family : {kFamily, kHeavyFamily}) {
        const Chosen chosen = choose(fonts, {.families = {L"No Such Face 7f3a", family}, .pixels = 29});
        EXPECT_EQ(chosen.face, family);
        EXPECT_EQ(chosen.em, 29);
        EXPECT_TRUE(chosen.coversChinese) << "boxes for characters in " << chosen.face.size();
    }
    EXPECT_TRUE(choose(fonts, {.families = {kHeavyFamily}, .pixels = 35, .italic = true}).italic);
}

} // namespace
} // namespace pelindra::win32
