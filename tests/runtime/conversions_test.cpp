// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
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
    std::string text;
    std::int32_t expected;
};

class ToIntegerReads : public testing::TestWithParam<IntegerCase>
{};

TEST_P(ToIntegerReads, AsDocumented)
{
    EXPECT_EQ(toInteger(GetParam().text), GetParam().expected) << "text: \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Cases, ToIntegerReads,
                         testing::Values(IntegerCase{"", 0}, IntegerCase{"0", 0}, IntegerCase{"7", 7},
                                         IntegerCase{"-5", -5}, IntegerCase{"+12", 12}, IntegerCase{"007", 7},
                                         IntegerCase{" 7 ", 7}, IntegerCase{"\t 42", 42},
                                         IntegerCase{"12abc", 12}, IntegerCase{"abc", 0}, IntegerCase{"-", 0},
                                         IntegerCase{"+", 0}, IntegerCase{"--1", 0}, IntegerCase{"- 1", 0},
                                         IntegerCase{"1 2", 1}, IntegerCase{"\n5", 0},
                                         IntegerCase{"2147483647", kMax}, IntegerCase{"2147483648", kMax},
                                         IntegerCase{"-2147483648", kMin}, IntegerCase{"-2147483649", kMin},
                                         IntegerCase{"99999999999999999999", kMax},
                                         IntegerCase{"-99999999999999999999999999999", kMin},
                                         IntegerCase{std::string(5000, '9'), kMax}, IntegerCase{"１２", 0}));

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
