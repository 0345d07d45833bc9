// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "case_names.h"
#include "runtime/conversions.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace pelindra {
namespace {

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();

TEST(ToText, WritesPlainDecimalDigitsWithAMinusBeforeNegatives)
{
    EXPECT_EQ(toText(0), "0");
    EXPECT_EQ(toText(7), "7");
    EXPECT_EQ(toText(-1), "-1");
    EXPECT_EQ(toText(15), "15");
    EXPECT_EQ(toText(kMax), "2147483647");
    EXPECT_EQ(toText(kMin), "-2147483648");
}

struct IntegerCase
{
    std::string name;
    std::string text;
    std::int32_t expected;
};

class ToIntegerReads : public testing::TestWithParam<IntegerCase>
{};

TEST_P(ToIntegerReads, AsDocumented)
{
    EXPECT_EQ(toInteger(GetParam().text), GetParam().expected) << "text: \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToIntegerReads,
    testing::Values(IntegerCase{"Empty", "", 0}, IntegerCase{"Zero", "0", 0}, IntegerCase{"OneDigit", "7", 7},
                    IntegerCase{"Negative", "-5", -5}, IntegerCase{"Plus", "+12", 12},
                    IntegerCase{"LeadingZeros", "007", 7}, IntegerCase{"SpacesAround", " 7 ", 7},
                    IntegerCase{"TabAndSpaceBefore", "\t 42", 42}, IntegerCase{"LettersAfter", "12abc", 12},
                    IntegerCase{"LettersOnly", "abc", 0}, IntegerCase{"MinusAlone", "-", 0},
                    IntegerCase{"PlusAlone", "+", 0}, IntegerCase{"TwoMinuses", "--1", 0},
                    IntegerCase{"SpaceAfterMinus", "- 1", 0}, IntegerCase{"SpaceBetweenDigits", "1 2", 1},
                    IntegerCase{"NewlineBefore", "\n5", 0}, IntegerCase{"Largest", "2147483647", kMax},
                    IntegerCase{"OneAboveLargest", "2147483648", kMax},
                    IntegerCase{"Smallest", "-2147483648", kMin},
                    IntegerCase{"OneBelowSmallest", "-2147483649", kMin},
                    IntegerCase{"TwentyNines", "99999999999999999999", kMax},
                    IntegerCase{"TwentyNineNinesNegative", "-99999999999999999999999999999", kMin},
                    IntegerCase{"FiveThousandNines", std::string(5000, '9'), kMax},
                    IntegerCase{"FullwidthDigits", "１２", 0}),
    fixtures::ByCaseName{});

TEST(ToInteger, ReadsOnlyTheBytesOfItsViewAndStopsAtAnEmbeddedNul)
{
    const std::string text = "123456";
    EXPECT_EQ(toInteger(std::string_view(text).substr(0, 3)), 123);
    EXPECT_EQ(toInteger(std::string("4\0"
                                    "5",
                                    3)),
              4);
}

TEST(ToInteger, UndoesToTextForEveryBoundaryValue)
{
    for (const std::int32_t n : {kMin, kMin + 1, -1000, -1, 0, 1, 9, 10, 1000, kMax - 1, kMax})
        EXPECT_EQ(toInteger(toText(n)), n);
}

} // namespace
} // namespace pelindra
