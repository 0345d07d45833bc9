// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fixture.h"

#include <gmock/gmock.h>

namespace pelindra {
namespace {

using names::kAboutWindow;

class About : public fixtures::GameFixture
{};

TEST_F(About, TheCreditsRiseTenPixelsEvery300MsFor23MovesAndStopAtMinus118)
{
    launch();
    std::vector<std::int32_t> tops;
    std::int32_t intervalAfter = -1;
    onModal = [&](std::string_view) {
        tops.push_back(rt.peekInteger(kAboutWindow, "透明标签1", Property::Top));
        for (int tick = 1; tick <= 30; ++tick) {
            rt.advance(300);
            tops.push_back(rt.peekInteger(kAboutWindow, "透明标签1", Property::Top));
        }
        intervalAfter = rt.peekInteger(kAboutWindow, "时钟1", Property::Interval);
        rt.click(kAboutWindow, "超级链接框1");
    };
    rt.clearCalls();
    ASSERT_TRUE(rt.click(names::kMenuWindow, "超级链接框2"));
    ASSERT_EQ(tops.size(), 31u);
    for (int n = 0; n <= 23; ++n)
        EXPECT_EQ(tops[static_cast<std::size_t>(n)], 112 - 10 * n) << "after " << n << " ticks";
    for (std::size_t n = 24; n < tops.size(); ++n)
        EXPECT_EQ(tops[n], -118);
    EXPECT_EQ(intervalAfter, 0);
    EXPECT_EQ(rt.callsStartingWith("Set AboutWindow.透明标签1.Top").size(), 23u);
    EXPECT_THAT(rt.callsStartingWith("Set AboutWindow.时钟1"),
                ::testing::ElementsAre("Set AboutWindow.时钟1.Interval 0"));
    EXPECT_EQ(rt.callsStartingWith("Tick AboutWindow").size(), 24u)
        << "the 24th tick, at 7.2 s, stops the timer";
}

TEST_F(About, ClosingMidScrollAndOpeningAgainStartsFromTheBeginning)
{
    launch();
    std::vector<std::int32_t> tops;
    onModal = [&](std::string_view) {
        tops.push_back(rt.peekInteger(kAboutWindow, "透明标签1", Property::Top));
        rt.advance(1500);
        tops.push_back(rt.peekInteger(kAboutWindow, "透明标签1", Property::Top));
        rt.click(kAboutWindow, "超级链接框1");
    };
    rt.click(names::kMenuWindow, "超级链接框2");
    rt.advance(5000);
    rt.click(names::kMenuWindow, "超级链接框2");
    EXPECT_THAT(tops, ::testing::ElementsAre(112, 62, 112, 62));
}

} // namespace
} // namespace pelindra
