// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/headless/headless_runtime.h"

#include <array>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdexcept>

namespace pelindra::headless {
namespace {

using layout::Control;
using layout::ControlType;
using ::testing::ElementsAre;

constexpr std::array kControls{
    Control{.name = "tick", .type = ControlType::Timer, .interval = 300},
    Control{.name = "once", .type = ControlType::Timer},
    Control{.name = "label", .type = ControlType::TransparentLabel, .geometry = {1, 20, 3, 4}, .text = "hi"},
};
constexpr layout::Window kMain{
    .name = "Main", .caption = "main", .width = 10, .height = 10, .controls = kControls};
constexpr std::array kDialogControls{
    Control{.name = "back", .type = ControlType::LinkBox, .text = "back"},
};
constexpr layout::Window kDialog{
    .name = "Dialog", .caption = "dialog", .width = 5, .height = 5, .controls = kDialogControls};

class Headless : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rt.DefineWindow({&kMain,
                         {{"tick", Event::Tick, [this] { ++ticks; }},
                          {"once", Event::Tick,
                           [this] {
                               onceAt.push_back(rt.now());
                               if (!rt.isOpen("Dialog"))
                                   rt.LoadWindow("Dialog", true, {});
                           }},
                          {"label", Event::Clicked, [this] {
                               rt.LoadWindow("Dialog", true, [this] { afterClose.push_back(closing); });
                               openerReturned = true;
                           }}}});
        rt.DefineWindow({&kDialog, {{"back", Event::Clicked, [this] {
                                         closing = "closing";
                                         rt.CloseWindow("Dialog");
                                         closing = "returned";
                                     }}}});
    }

    HeadlessRuntime rt;
    int ticks = 0;
    std::vector<std::int64_t> onceAt;
    bool openerReturned = false;
    std::string closing = "open";
    std::vector<std::string> afterClose; // what the closing handler was doing when it ran
};

TEST_F(Headless, RunsTimersOnVirtualTimeFromTheirLastStart)
{
    rt.LoadWindow("Main", false, {});
    rt.advance(299);
    EXPECT_EQ(ticks, 0);
    rt.advance(1);
    EXPECT_EQ(ticks, 1);
    rt.advance(900);
    EXPECT_EQ(ticks, 4);
    rt.advance(100);
    rt.SetProperty("Main", "tick", Property::Interval, std::int32_t{300}); // restarts its period
    rt.advance(299);
    EXPECT_EQ(ticks, 4);
    rt.advance(1);
    EXPECT_EQ(ticks, 5);
    rt.SetProperty("Main", "tick", Property::Interval, std::int32_t{0});
    rt.advance(10000);
    EXPECT_EQ(ticks, 5);
}

TEST_F(Headless, TheModalDriverAnswersOnlyOnceTheOpenerHasReturned)
{
    rt.LoadWindow("Main", false, {});
    bool openerHadReturned = false;
    rt.setModalDriver([&](std::string_view window) {
        EXPECT_EQ(window, "Dialog");
        openerHadReturned = openerReturned;
        rt.click("Dialog", "back");
    });
    EXPECT_TRUE(rt.click("Main", "label"));
    EXPECT_TRUE(openerHadReturned);
    EXPECT_FALSE(rt.isOpen("Dialog"));
    EXPECT_THAT(afterClose, ElementsAre("returned"));
}

TEST_F(Headless, TheTimerThatOpenedAModalWindowTicksOnWhileItIsOpen)
{
    rt.LoadWindow("Main", false, {});
    rt.SetProperty("Main", "tick", Property::Interval, std::int32_t{0});
    rt.SetProperty("Main", "once", Property::Interval, std::int32_t{100});
    rt.advance(350);
    EXPECT_TRUE(rt.isOpen("Dialog"));
    EXPECT_THAT(onceAt, ElementsAre(100, 200, 300));
}

TEST_F(Headless, RecordsCallsAndEventsInOrderAndRunsTheCleanupOnceOnExit)
{
    int cleanups = 0;
    rt.RegisterCleanup([&] { ++cleanups; });
    rt.LoadWindow("Main", false, {});
    rt.SetProperty("Main", "label", Property::Caption, std::string("x"));
    rt.ExitProgram(0);
    rt.ExitProgram(0);
    EXPECT_EQ(cleanups, 1);
    EXPECT_EQ(rt.exitCode(), 0);
    EXPECT_THAT(rt.calls(), ElementsAre("RegisterCleanup", "LoadWindow Main", "Set Main.label.Caption \"x\"",
                                        "ExitProgram 0", "ExitProgram 0"));
    EXPECT_FALSE(rt.click("Main", "label")) << "nothing is delivered after the exit";
}

TEST_F(Headless, HandsOutScriptedRandomNumbersAndRejectsOnesOutOfBounds)
{
    rt.scriptRandom({3, 0, 9});
    EXPECT_EQ(rt.RandomInt(0, 9), 3);
    EXPECT_EQ(rt.RandomInt(0, 9), 0);
    EXPECT_THROW(rt.RandomInt(0, 5), std::logic_error);
    EXPECT_THROW(rt.RandomInt(0, 9), std::logic_error) << "the script is used up";
}

} // namespace
} // namespace pelindra::headless
