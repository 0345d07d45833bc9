// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/profile_text.h"

#include <gtest/gtest.h>
#include <string>

namespace pelindra::profile {
namespace {

using namespace std::string_literals;

std::optional<std::string> score(std::string_view contents)
{
    return read(contents, "Mybest", "Score");
}

TEST(ProfileRead, FindsAnItemWhateverTheLineEndings)
{
    EXPECT_EQ(score("[Mybest]\r\nScore=7\r\nTime=9\r\n"), "7");
    EXPECT_EQ(score("[Mybest]\nScore=7\nTime=9\n"), "7");
    EXPECT_EQ(score("[Mybest]\rScore=7\rTime=9\r"), "7");
    EXPECT_EQ(score("[Mybest]\r\nTime=9\nScore=7"), "7");
}

TEST(ProfileRead, MatchesSectionAndItemNamesInAnyLetterCase)
{
    EXPECT_EQ(score("[MYBEST]\r\nSCORE=3\r\n"), "3");
    EXPECT_EQ(score("[mybest]\r\nscore=3\r\n"), "3");
    EXPECT_EQ(read("[Mybest]\r\ntIMe=11\r\n", "mYbEST", "TIME"), "11");
}

TEST(ProfileRead, SkipsAByteOrderMarkAndTheBlanksAroundNamesAndValues)
{
    EXPECT_EQ(score("\xEF\xBB\xBF[Mybest]\r\nScore=5\r\n"), "5");
    EXPECT_EQ(score("  [ Mybest ]  \r\n  Score  =  7 \t\r\n"), "7");
    EXPECT_EQ(score("[Mybest]\r\nScore=\r\n"), "");
}

TEST(ProfileRead, GivesNothingForAMissingSectionOrItem)
{
    EXPECT_EQ(score(""), std::nullopt);
    EXPECT_EQ(score("Score=1\r\n"), std::nullopt) << "an item before any section belongs to none";
    EXPECT_EQ(score("[Other]\r\nScore=1\r\n"), std::nullopt);
    EXPECT_EQ(score("[Mybest]\r\nTime=1\r\n[Other]\r\nScore=2\r\n"), std::nullopt);
    EXPECT_EQ(score("[Mybest]\r\n;Score=1\r\n#Score=2\r\n"), std::nullopt) << "comments are not items";
    EXPECT_EQ(score("[Mybest\r\nScore=1\r\n"), std::nullopt) << "an unclosed header opens no section";
}

TEST(ProfileRead, TakesTheFirstSectionAndTheFirstItemOfAName)
{
    EXPECT_EQ(score("[Mybest]\r\nScore=1\r\nScore=2\r\n[Mybest]\r\nScore=3\r\n"), "1");
    EXPECT_EQ(score("[Mybest]\r\nTime=1\r\n[Mybest]\r\nScore=3\r\n"), std::nullopt);
}

TEST(ProfileRead, PassesAnyBytesThroughAndCutsOverlongValues)
{
    EXPECT_EQ(score("[Mybest]\r\nScore=\xB5\xC3\xB7\xD6\r\n"), "\xB5\xC3\xB7\xD6");
    EXPECT_EQ(score("[Mybest]\r\nScore=4\0"
                    "2\r\n"s),
              "4\0"
              "2"s);
    const auto longValue = score("[Mybest]\r\nScore=" + std::string(100000, '8') + "\r\n");
    ASSERT_TRUE(longValue);
    EXPECT_EQ(*longValue, std::string(kMaxValueBytes, '8'));
}

TEST(ProfileWrite, ChangesOnlyTheValueOfAnExistingItem)
{
    EXPECT_EQ(write("[Mybest]\r\nScore=7\r\nTime=9\r\n", "Mybest", "Score", "12"),
              "[Mybest]\r\nScore=12\r\nTime=9\r\n");
    EXPECT_EQ(write("[MYBEST]\nscore = 7 ; kept\n", "Mybest", "Score", "8"), "[MYBEST]\nscore = 8\n")
        << "everything after the = belongs to the value";
    EXPECT_EQ(write("[Mybest]\r\nScore=\r\n", "Mybest", "Score", "1"), "[Mybest]\r\nScore=1\r\n");
    EXPECT_EQ(write("[Mybest]\r\nScore= 7 \r\n", "Mybest", "Score", "3"), "[Mybest]\r\nScore= 3 \r\n");
}

TEST(ProfileWrite, AddsAMissingItemAtTheEndOfItsSectionInTheFilesOwnLineEnding)
{
    EXPECT_EQ(write("[Mybest]\r\nTime=0\r\n\r\n[Other]\r\nA=1\r\n", "Mybest", "Score", "0"),
              "[Mybest]\r\nTime=0\r\nScore=0\r\n\r\n[Other]\r\nA=1\r\n");
    EXPECT_EQ(write("[Mybest]\nTime=0", "Mybest", "Score", "0"), "[Mybest]\nTime=0\nScore=0\n");
    EXPECT_EQ(write("[Mybest]", "Mybest", "Score", "0"), "[Mybest]\r\nScore=0\r\n");
}

TEST(ProfileWrite, AddsAMissingSectionAtTheEndOfTheFile)
{
    EXPECT_EQ(write("", "Mybest", "Time", "0"), "[Mybest]\r\nTime=0\r\n");
    EXPECT_EQ(write("[Other]\nA=1", "Mybest", "Time", "0"), "[Other]\nA=1\n[Mybest]\nTime=0\n");
    EXPECT_EQ(write("\xEF\xBB\xBF", "Mybest", "Time", "0"), "\xEF\xBB\xBF[Mybest]\r\nTime=0\r\n");
}

TEST(ProfileWrite, KeepsEveryOtherByteOfTheFileAsItWas)
{
    // GBK text, comments, odd spacing and a byte order mark in and around the rewritten section.
    const std::string before = "\xEF\xBB\xBF; \xD7\xEE\xBC\xD1\xBC\xC7\xC2\xBC\r\n"
                               "[\xC9\xE8\xD6\xC3]\r\n\xC3\xFB\xD7\xD6 = \xD5\xC5\xC8\xFD\r\n\r\n"
                               "[Mybest]\r\n  Score =  7\r\n; note\r\nTime=9\r\n"
                               "[Tail]\nX=\xFF\xFE\n";
    const std::string after = "\xEF\xBB\xBF; \xD7\xEE\xBC\xD1\xBC\xC7\xC2\xBC\r\n"
                              "[\xC9\xE8\xD6\xC3]\r\n\xC3\xFB\xD7\xD6 = \xD5\xC5\xC8\xFD\r\n\r\n"
                              "[Mybest]\r\n  Score =  10\r\n; note\r\nTime=9\r\n"
                              "[Tail]\nX=\xFF\xFE\n";
    EXPECT_EQ(write(before, "Mybest", "Score", "10"), after);
}

TEST(ProfileWrite, RewritesOnlyTheFirstOfDuplicatedSectionsAndItems)
{
    EXPECT_EQ(write("[Mybest]\nScore=1\nScore=2\n[Mybest]\nScore=3\n", "Mybest", "Score", "9"),
              "[Mybest]\nScore=9\nScore=2\n[Mybest]\nScore=3\n");
}

TEST(ProfileWrite, ReadsBackWhatItWroteWhateverItStartedFrom)
{
    for (const std::string start :
         {"", "junk", "[Mybest", "\r\r\n\n", "[Mybest]\r\n=5\r\n", "\xEF\xBB\xBF[a]\rb=c"}) {
        auto text = write(start, "Mybest", "Score", "4");
        text = write(text, "Mybest", "Time", "15");
        EXPECT_EQ(read(text, "Mybest", "Score"), "4") << "from: " << start;
        EXPECT_EQ(read(text, "Mybest", "Time"), "15") << "from: " << start;
    }
}

} // namespace
} // namespace pelindra::profile
