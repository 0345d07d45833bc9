// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// RandomSource under the load the game puts on it: a reseed before every single draw. The checks are
// statistical, so each one says how often a fair source would fail it. Together they fail a fair source
// less than once in a million runs, and each of them fails every time for a source seeded from a coarse
// clock, which is the fault they are here for.

#include "case_names.h"
#include "runtime/random_source.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>

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
    // A fair source leaves one of the ten values out of 2000 draws with probability at most
    // 10 * 0.9^2000 = 3e-91.
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(source.between(4, 4), 4);
    for (int i = 0; i < 100; ++i) {
        const auto n = source.between(9, 0);
        ASSERT_TRUE(n >= 0 && n <= 9) << "reversed bounds are taken in order";
    }
}

// What the checks see of a run of deals as the game deals them: a target digit, then nine boxes, each
// drawn from 0 to 9.
struct Figures
{
    std::array<long, 10> counts{};
    long deals = 0;
    long targetMissing = 0;   // deals whose target is on no box
    long allEqualBoards = 0;  // deals whose nine boxes hold one digit
    long equalNeighbours = 0; // draws equal to the draw before, over the whole run

    long draws() const { return deals * 10; }

    double chiSquare() const
    {
        const double expected = draws() / 10.0;
        double sum = 0;
        for (const auto c : counts)
            sum += (c - expected) * (c - expected) / expected;
        return sum;
    }
    double missingShare() const { return static_cast<double>(targetMissing) / deals; }
    double neighbourShare() const { return static_cast<double>(equalNeighbours) / (draws() - 1); }
};

template <class Draw> Figures dealMany(Draw draw, long deals)
{
    Figures f;
    f.deals = deals;
    std::int32_t previous = -1;
    auto next = [&] {
        const auto n = draw();
        ++f.counts.at(static_cast<std::size_t>(n));
        f.equalNeighbours += n == previous ? 1 : 0;
        previous = n;
        return n;
    };
    for (long d = 0; d < deals; ++d) {
        const auto target = next();
        bool found = false;
        bool allEqual = true;
        const auto first = next();
        found = first == target;
        for (int box = 1; box < 9; ++box) {
            const auto n = next();
            found = found || n == target;
            allEqual = allEqual && n == first;
        }
        f.targetMissing += found ? 0 : 1;
        f.allEqualBoards += allEqual ? 1 : 0;
    }
    return f;
}

// 10^6 draws, which a fair source fails in each of the four checks below with probability at most
// 2.5e-7, 1.8e-7, 1.7e-10 and 3.0e-8: less than 4.6e-7 for the four together.
constexpr long kDeals = 100000;

// Pearson's statistic over the ten values has 9 degrees of freedom. The chi-square law with 9 degrees
// exceeds 48.05 with probability 2.5e-7 (its upper quantile for that p); with 10^5 draws expected per
// value the statistic follows that law far closer than the margin matters.
constexpr double kChiSquareLimit = 48.05;
bool countsAreEven(const Figures& f)
{
    return f.chiSquare() < kChiSquareLimit;
}

// A target is on no box with probability 0.9^9 = 0.387420489. Deals are independent, so Hoeffding's
// bound gives P(|share - 0.9^9| >= t) <= 2 exp(-2 n t^2) = 2 exp(-2 * 10^5 * 0.009^2) = 1.8e-7.
constexpr double kMissingShare = 0.387420489;
constexpr double kMissingTolerance = 0.009;
bool targetIsMissingAsOftenAsByChance(const Figures& f)
{
    return std::abs(f.missingShare() - kMissingShare) < kMissingTolerance;
}

// Nine boxes hold one digit with probability q = 10 * 0.1^9 = 1e-8. Three or more such boards in n deals
// come with probability at most C(n, 3) q^3 = 1.7e-10.
constexpr long kAllEqualLimit = 2;
bool boardsAreRarelyAllEqual(const Figures& f)
{
    return f.allEqualBoards <= kAllEqualLimit;
}

// For independent uniform draws, whether each equals the one before is itself independent (the
// difference of neighbours mod 10 is uniform and independent of the rest), each with probability 0.1.
// Hoeffding over the 10^6 - 1 pairs: P(|share - 0.1| >= 0.003) <= 2 exp(-2 * 999999 * 0.003^2) = 3.0e-8.
constexpr double kNeighbourTolerance = 0.003;
bool neighboursAreEqualAsOftenAsByChance(const Figures& f)
{
    return std::abs(f.neighbourShare() - 0.1) < kNeighbourTolerance;
}

void print(const char* what, const Figures& f)
{
    std::printf("%s: chi-square (9 degrees of freedom) %.2f; target on no box %.3f %%; all-equal boards %ld; "
                "equal neighbours %.3f %%\n",
                what, f.chiSquare(), f.missingShare() * 100, f.allEqualBoards, f.neighbourShare() * 100);
}

TEST(RandomSource, DealsStayFairWhenReseededBeforeEveryDraw)
{
    RandomSource source;
    const auto f = dealMany(
        [&source] {
            source.reseed();
            return source.between(0, 9);
        },
        kDeals);
    print("RandomSource", f);
    RecordProperty("chi_square", std::to_string(f.chiSquare()));
    RecordProperty("target_missing_percent", std::to_string(f.missingShare() * 100));

    EXPECT_TRUE(countsAreEven(f)) << f.chiSquare();
    EXPECT_TRUE(targetIsMissingAsOftenAsByChance(f)) << f.missingShare();
    EXPECT_TRUE(boardsAreRarelyAllEqual(f)) << f.allEqualBoards;
    EXPECT_TRUE(neighboursAreEqualAsOftenAsByChance(f)) << f.neighbourShare();
}

// The fault the checks are for: a generator like RandomSource's, reseeded before every draw from a clock
// that ticks far more slowly than the game draws, so that every draw within one tick is the same. The
// clock is simulated, one tick every `drawsPerTick` draws from a fixed start, so that the fault shows the
// same way on every run rather than as the real clock happens to fall.
struct CoarseClock
{
    std::string name;
    std::uint64_t start;
    long drawsPerTick;
};

class ClockSeededSource : public testing::TestWithParam<CoarseClock>
{};

TEST_P(ClockSeededSource, FailsEveryCheck)
{
    const auto& clock = GetParam();
    long drawn = 0;
    std::uint64_t seededWith = 0;
    std::int32_t value = 0;
    std::mt19937_64 engine;
    const auto f = dealMany(
        [&] {
            const auto now = clock.start + static_cast<std::uint64_t>(drawn++ / clock.drawsPerTick);
            // Seeded again with the seed it had, the generator gives the same draw again; so that draw is
            // kept rather than made anew, which saves the time and changes nothing.
            if (drawn == 1 || now != seededWith) {
                seededWith = now;
                engine.seed(now);
                value = std::uniform_int_distribution<std::int32_t>(0, 9)(engine);
            }
            return value;
        },
        kDeals);
    print(clock.name.c_str(), f);

    EXPECT_FALSE(countsAreEven(f)) << f.chiSquare();
    EXPECT_FALSE(targetIsMissingAsOftenAsByChance(f)) << f.missingShare();
    EXPECT_FALSE(boardsAreRarelyAllEqual(f)) << f.allEqualBoards;
    EXPECT_FALSE(neighboursAreEqualAsOftenAsByChance(f)) << f.neighbourShare();
}

// A draw takes about a microsecond (a reseed and one number); these allow it ten.
INSTANTIATE_TEST_SUITE_P(Clocks, ClockSeededSource,
                         testing::Values(CoarseClock{"SecondsLikeTime", 1796731200, 100000},
                                         CoarseClock{"Milliseconds", 1796731200000, 100},
                                         CoarseClock{"MillisecondsAtFullSpeed", 1796731200000, 1000}),
                         fixtures::ByCaseName{});

} // namespace
} // namespace pelindra
