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
    Control{.name = "box", .type = ControlType::GroupBox, .visible = false},
    Control{.name = "inner", .type = ControlType::LinkBox, .parent = "box", .text = "in"},
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
                               rt.LoadWindow("Dialog", true);
                           }},
                          {"inner", Event::Clicked, [this] { ++innerClicks; }},
                          {"label", Event::Clicked, [this] { rt.LoadWindow("Dialog", true); }}}});
        rt.DefineWindow({&kDialog, {{"back", Event::Clicked, [this] { rt.CloseWindow("Dialog"); }}}});
    }

    HeadlessRuntime rt;
    int ticks = 0;
    int innerClicks = 0;
    std::vector<std::int64_t> onceAt;
};

TEST_F(Headless, BuildsAWindowFromItsLayout)
{
    rt.LoadWindow("Main", false);
    EXPECT_TRUE(rt.isShown("Main"));
    EXPECT_EQ(rt.peekText("Main", "label", Property::Caption), "hi");
    EXPECT_EQ(rt.peekInteger("Main", "label", Property::Top), 20);
    EXPECT_EQ(rt.peekInteger("Main", "tick", Property::Interval), 300);
    EXPECT_EQ(rt.peekInteger("Main", "box", Property::Visible), 0);
}

TEST_F(Headless, ThrowsOnNamesAndPropertiesNoLayoutHas)
{
    rt.LoadWindow("Main", false);
    EXPECT_THROW(rt.SetProperty("Main", "lable", Property::Caption, std::string("x")), std::logic_error);
    EXPECT_THROW(rt.SetProperty("Main", "tick", Property::Caption, std::string("x")), std::logic_error);
    EXPECT_THROW(rt.GetProperty("Main", "label", Property::Interval), std::logic_error);
    EXPECT_THROW(rt.LoadWindow("Nowhere", false), std::logic_error);
}

TEST_F(Headless, RunsTimersOnVirtualTimeFromTheirLastStart)
{
    rt.LoadWindow("Main", false);
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

TEST_F(Headless, DeliversClicksOnlyToControlsThePlayerCanSee)
{
    rt.LoadWindow("Main", false);
    EXPECT_FALSE(rt.click("Main", "inner")) << "its group box is hidden";
    rt.SetProperty("Main", "box", Property::Visible, std::int32_t{1});
    EXPECT_TRUE(rt.click("Main", "inner"));
    rt.SetProperty("Main", "", Property::Visible, std::int32_t{0});
    EXPECT_FALSE(rt.click("Main", "inner"));
    EXPECT_EQ(innerClicks, 1);
}

TEST_F(Headless, AModalLoadReturnsOnlyAfterItsWindowClosedWhileOtherTimersTick)
{
    rt.LoadWindow("Main", false);
    rt.SetProperty("Main", "box", Property::Visible, std::int32_t{1});
    bool returned = false;
    rt.setModalDriver([&](std::string_view window) {
        EXPECT_EQ(window, "Dialog");
        EXPECT_FALSE(rt.click("Main", "inner")) << "the window beneath is blocked";
        rt.advance(900);
        EXPECT_FALSE(returned);
        EXPECT_TRUE(rt.click("Dialog", "back"));
    });
    EXPECT_TRUE(rt.click("Main", "label"));
    returned = true;
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(rt.isOpen("Dialog"));
    EXPECT_EQ(innerClicks, 0);
}

TEST_F(Headless, ComplainsWhenAModalDriverLeavesItsWindowOpen)
{
    rt.LoadWindow("Main", false);
    rt.setModalDriver([](std::string_view) {});
    EXPECT_THROW(rt.LoadWindow("Dialog", true), std::logic_error);
}

TEST_F(Headless, DropsTheTicksOfATimerWhoseHandlerIsStillRunning)
{
    rt.LoadWindow("Main", false);
    rt.SetProperty("Main", "tick", Property::Interval, std::int32_t{0});
    rt.SetProperty("Main", "once", Property::Interval, std::int32_t{100});
    rt.setModalDriver([&](std::string_view) {
        rt.advance(1000);
        rt.click("Dialog", "back");
    });
    rt.advance(1150);
    // Fired at 100 and held until 1100 in its handler: the ticks due at 200 to 1100 are dropped.
    EXPECT_THAT(onceAt, ElementsAre(100));
    rt.advance(50);
    EXPECT_THAT(onceAt, ElementsAre(100, 1200));
}

TEST_F(Headless, RecordsCallsAndEventsInOrderAndRunsTheCleanupOnceOnExit)
{
    int cleanups = 0;
    rt.RegisterCleanup([&] { ++cleanups; });
    rt.LoadWindow("Main", false);
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
