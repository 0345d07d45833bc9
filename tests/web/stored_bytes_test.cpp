// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/web/stored_bytes.h"

#include <gtest/gtest.h>

namespace pelindra::web {
namespace {

TEST(StoredBytes, EveryByteGoesThroughLocalStorageUnchanged)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    EXPECT_EQ(bytesOfStored(storedFormOf(bytes)), bytes);
}

struct OldValue
{
    std::u16string stored;
    std::string bytes;
};

class OldValues : public ::testing::TestWithParam<OldValue>
{};

TEST_P(OldValues, AValueWithACharacterAboveU00FFIsTextAndReadsAsItsUtf8)
{
    EXPECT_EQ(bytesOfStored(GetParam().stored), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Texts, OldValues,
                         ::testing::Values(OldValue{u"; 我的\r\n", "; \xE6\x88\x91\xE7\x9A\x84\r\n"},
                                           OldValue{u"\u00E9\u6211",
                                                    "\xC3\xA9\xE6\x88\x91"}, // the whole value is text
                                           OldValue{u"\U0001F600\u6211", "\xF0\x9F\x98\x80\xE6\x88\x91"},
                                           OldValue{u"\xD800\u6211", "\xEF\xBF\xBD\xE6\x88\x91"}));

} // namespace
} // namespace pelindra::web
