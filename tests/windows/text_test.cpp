// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/win32/text.h"

#include <gtest/gtest.h>

namespace pelindra::win32 {
namespace {

using namespace std::string_literals;

TEST(Text, ChineseAndEmptyTextsSurviveTheRoundTrip)
{
    for (const std::string& text : {""s, "开始游戏"s, "最高纪录：12 分"s, "a\0b"s}) {
        EXPECT_EQ(toUtf8(toUtf16(text)), text);
    }
    EXPECT_EQ(toUtf16("纪录"), L"\u7eaa\u5f55");
}

TEST(Text, BrokenInputBecomesReplacementCharacters)
{
    EXPECT_EQ(toUtf16("a\xff"
                      "b"),
              L"a\ufffdb");
    EXPECT_EQ(toUtf8(std::wstring{L'x', wchar_t(0xd800)}), "x\xef\xbf\xbd");
}

} // namespace
} // namespace pelindra::win32
