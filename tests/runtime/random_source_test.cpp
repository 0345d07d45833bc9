// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/random_source.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>

namespace pelindra {
namespace {

TEST(RandomSource, DrawsBothBoundsAndNothingOutsideThem)
{
    RandomSource source;
    std::set<std::int32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const auto n = source.between(0, 9);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 9);
        seen.insert(n);
    }
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(source.between(4, 4), 4);
    for (int i = 0; i < 100; ++i) {
        const auto n = source.between(9, 0);
        ASSERT_TRUE(n >= 0 && n <= 9) << "reversed bounds are taken in order";
    }
}

// The game reseeds before every single draw, ten times per deal within microseconds. A generator seeded
// from a clock gives runs of equal draws under that load; these figures would show it at once.
TEST(RandomSource, DealsStayFairWhenReseededBeforeEveryDraw)
{
    constexpr int kDeals = 100000;
    RandomSource source;
    auto draw = [&source] {
        source.reseed();
        return source.between(0, 9);
    };
    std::array<long, 10> counts{};
    long targetMissing = 0;
    long allEqual = 0;
    for (int d = 0; d < kDeals; ++d) {
        const auto target = draw();
        ++counts[static_cast<std::size_t>(target)];
        bool found = false;
        std::array<std::int32_t, 9> board{};
        for (auto& box : board) {
            box = draw();
            ++counts[static_cast<std::size_t>(box)];
            found = found || box == target;
        }
        targetMissing += found ? 0 : 1;
        bool same = true;
        for (const auto box : board)
            same = same && box == board[0];
        allEqual += same ? 1 : 0;
    }
    const double draws = kDeals * 10.0;
    double chiSquare = 0;
    for (const auto c : counts)
        chiSquare += (c - draws / 10) * (c - draws / 10) / (draws / 10);
    const double missingShare = static_cast<double>(targetMissing) / kDeals;
    std::printf("chi-square (9 degrees of freedom): %.2f; target on no box: %.3f %%; all-equal boards: %ld\n",
                chiSquare, missingShare * 100, allEqual);
    RecordProperty("chi_square", std::to_string(chiSquare));
    RecordProperty("target_missing_percent", std::to_string(missingShare * 100));

    // 27.88 is the chi-square value that 9 degrees of freedom exceed with probability 0.001.
    EXPECT_LT(chiSquare, 27.88);
    EXPECT_NEAR(missingShare, std::pow(0.9, 9), 0.006);
    // A fair generator makes one all-equal board in 10^8; two in 10^5 deals would be past all chance.
    EXPECT_LE(allEqual, 1);
}

} // namespace
} // namespace pelindra
