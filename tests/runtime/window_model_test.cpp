// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/window_model.h"

#include <algorithm>
#include <array>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>

namespace pelindra {
namespace {

using namespace layout;
using ::testing::ElementsAre;

constexpr std::array kControls{
    Control{.name = "first", .type = ControlType::Timer, .interval = 10},
    Control{.name = "second", .type = ControlType::Timer, .interval = 10},
    Control{.name = "box", .type = ControlType::GroupBox, .visible = false},
    Control{.name = "inner", .type = ControlType::LinkBox, .parent = "box", .text = "in"},
    Control{.name = "label", .type = ControlType::TransparentLabel, .geometry = {1, 20, 3, 4}, .text = "hi"},
};
constexpr layout::Window kMain{.name = "Main", .caption = "main", .controls = kControls};
constexpr std::array kDialogControls{Control{.name = "back", .type = ControlType::LinkBox}};
constexpr layout::Window kDialog{.name = "Dialog", .caption = "dialog", .controls = kDialogControls};

// Draws nothing: the model is all there is to look at.
struct NoSurface : WindowSurface
{
    void built(const WindowState&) override {}
    void destroyed(WindowId) override {}
    void changed(const WindowState&, const ControlState*, Property) override {}
    void opened(const WindowState&) override {}
    void focus(const WindowState&, const ControlState*, bool) override {}
    void looked(const WindowState&, const ControlState&) override {}
    void wake() override {}
};

class Model : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.define({&kMain,
                      {{"first", Event::Tick, [this] { onFirstTick(); }},
                       {"second", Event::Tick, [this] { ran.emplace_back("second"); }},
                       {"inner", Event::Clicked, [this] { ran.emplace_back("inner"); }},
                       {"label", Event::Clicked, [this] { ran.emplace_back("label"); }},
                       {"", Event::Created, [this] { ran.emplace_back("created"); }}}});
        model.define({&kDialog, {{"back", Event::Clicked, [this] {
                                      closing = "closing";
                                      model.close("Dialog");
                                      closing = "returned";
                                  }}}});
    }

    WindowId idOf(std::string_view window) const
    {
        const auto* w = model.window(window);
        return w == nullptr ? 0 : w->id;
    }

    NoSurface surface;
    WindowModel model{surface};
    std::function<void()> onFirstTick = [] {};
    std::vector<std::string> ran;
    std::string closing = "open"; // what the closing handler of the dialog is doing
};

TEST_F(Model, EveryPropertyStartsFromItsLayoutAndAControlWithoutAColourReadsWhite)
{
    model.load("Main", false, {});
    EXPECT_EQ(textOf(model.get("Main", "label", Property::Caption)), "hi");
    EXPECT_EQ(integerOf(model.get("Main", "label", Property::Top)), 20);
    EXPECT_EQ(integerOf(model.get("Main", "label", Property::TextColour)), layout::rgb(255, 255, 255));
    EXPECT_EQ(integerOf(model.get("Main", "first", Property::Interval)), 10);
    EXPECT_EQ(integerOf(model.get("Main", "box", Property::Visible)), 0);
    EXPECT_EQ(integerOf(model.get("Main", "", Property::Visible)), 1);
    EXPECT_EQ(textOf(model.get("Main", "", Property::Caption)), "main");
}

TEST_F(Model, AStrictModelThrowsOnNamesAndPropertiesNoLayoutHasAndAWindowIsDefinedOnce)
{
    WindowModel strict{surface, true};
    strict.define({&kMain, {}});
    strict.load("Main", false, {});
    EXPECT_THROW(strict.set("Main", "lable", Property::Caption, std::string("x")), std::logic_error);
    EXPECT_THROW(strict.set("Main", "first", Property::Caption, std::string("x")), std::logic_error);
    EXPECT_THROW(strict.get("Main", "label", Property::Interval), std::logic_error);
    EXPECT_THROW(strict.load("Nowhere", false, {}), std::logic_error);
    EXPECT_THROW(strict.define({&kMain, {}}), std::logic_error) << "a window is defined once";
    EXPECT_THROW(model.define({&kMain, {}}), std::logic_error) << "by a forgiving model too";
    EXPECT_EQ(integerOf(model.get("Main", "lable", Property::Top)), 0) << "which reads unknown names as 0";
}

TEST_F(Model, TakesClicksOnlyOnControlsThePlayerCanSee)
{
    model.load("Main", false, {});
    const auto main = idOf("Main");
    EXPECT_FALSE(model.click(main, "inner")) << "its group box is hidden";
    model.set("Main", "box", Property::Visible, 1);
    EXPECT_TRUE(model.click(main, "inner"));
    model.set("Main", "", Property::Visible, 0);
    EXPECT_FALSE(model.click(main, "inner"));
    EXPECT_EQ(std::count(ran.begin(), ran.end(), "inner"), 1);
}

TEST_F(Model, AModalWindowBlocksTheOthersAndWhatWaitsForItRunsOnceItsCloserHasReturned)
{
    model.load("Main", false, {});
    model.set("Main", "box", Property::Visible, 1);
    const auto main = idOf("Main");
    model.load("Dialog", true, [this] { ran.push_back(closing); });
    EXPECT_FALSE(model.click(main, "inner")) << "the window beneath is blocked";
    EXPECT_FALSE(model.requestClose(main));
    EXPECT_TRUE(model.tick(main, "second")) << "its timers tick on";
    EXPECT_TRUE(model.click(idOf("Dialog"), "back"));
    EXPECT_EQ(ran.back(), "second") << "not inside the handler that closed it";
    model.settle();
    EXPECT_EQ(ran.back(), "returned");
    EXPECT_TRUE(model.click(main, "inner"));
}

TEST_F(Model, WhatWaitsForAModalWindowDiesWithTheProgram)
{
    model.load("Dialog", true, [this] { ran.emplace_back("after"); });
    model.exit(0);
    model.close("Dialog");
    model.settle();
    EXPECT_TRUE(ran.empty());
}

TEST_F(Model, AClosedOrReplacedWindowsTimersAndControlsNeverReachAHandlerAgain)
{
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replaced" : "closed");
        ran.clear();
        model.load("Main", false, {});
        const auto old = idOf("Main");
        onFirstTick = [&] { replace ? model.load("Main", false, {}) : model.close("Main"); };
        EXPECT_TRUE(model.tick(old, "first"));
        EXPECT_FALSE(model.tick(old, "second")) << "the second tick of the same round";
        EXPECT_FALSE(model.click(old, "label"));
        EXPECT_FALSE(model.key(old, Key::Activate));
        EXPECT_EQ(std::count(ran.begin(), ran.end(), "second") + std::count(ran.begin(), ran.end(), "label"),
                  0);
        EXPECT_EQ(idOf("Main") != 0, replace);
        model.close("Main");
    }
}

TEST_F(Model, OnlyTheTopmostShownModalWindowBlocksTheOthers)
{
    model.load("Main", false, {});
    model.load("Dialog", true, {});
    EXPECT_FALSE(model.click(idOf("Main"), "label"));
    EXPECT_FALSE(model.requestClose(idOf("Main")));

    model.set("Dialog", "", Property::Visible, 0);
    EXPECT_EQ(model.activeModal(), nullptr) << "a hidden modal window takes nothing";
    EXPECT_FALSE(model.key(0, Key::Escape));
    EXPECT_TRUE(model.click(idOf("Main"), "label"));

    model.set("Dialog", "", Property::Visible, 1);
    EXPECT_EQ(model.activeModal(), model.window("Dialog"));
    EXPECT_TRUE(model.key(0, Key::Escape));
    EXPECT_EQ(model.window("Dialog"), nullptr);
}

TEST_F(Model, LoadingAnOpenModalWindowKeepsWhatWaitedAndRunsAllOfItOnceItFinallyCloses)
{
    model.load("Dialog", true, [this] { ran.emplace_back("first load"); });
    model.load("Dialog", true, [this] { ran.emplace_back("second load"); });
    model.settle();
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(model.click(idOf("Dialog"), "back"));
    EXPECT_TRUE(ran.empty()) << "not inside the handler that closed it";
    model.settle();
    EXPECT_THAT(ran, ElementsAre("first load", "second load"));
}

TEST_F(Model, NothingLoadsWhileTheProgramEnds)
{
    model.registerCleanup([this] { model.load("Dialog", true, [this] { ran.emplace_back("after"); }); });
    EXPECT_TRUE(model.exit(0));
    model.load("Main", false, {});
    model.settle();
    EXPECT_EQ(model.window("Dialog"), nullptr) << "not from the clean-up either";
    EXPECT_EQ(model.window("Main"), nullptr);
    EXPECT_TRUE(ran.empty()) << "no Created handler ran";
    EXPECT_FALSE(model.exit(0));
}

// A value listed above its label, a link, boxes of two rows listed out of order, a hidden panel's link.
constexpr Control box(std::string_view name, int left, int top)
{
    return Control{.name = name, .type = ControlType::TransparentLabel, .geometry = {left, top, 30, 30}};
}
constexpr std::array kKeyControls{
    Control{.name = "value", .type = ControlType::TransparentLabel, .geometry = {60, 10, 40, 20}},
    Control{.name = "go", .type = ControlType::LinkBox, .geometry = {200, 40, 50, 20}},
    Control{.name = "label", .type = ControlType::TransparentLabel, .geometry = {10, 11, 40, 20}},
    box("d4", 50, 150),
    box("d3", 0, 150),
    box("d2", 50, 100),
    box("d1", 0, 100),
    Control{.name = "tick", .type = ControlType::Timer, .interval = 10},
    Control{.name = "panel", .type = ControlType::GroupBox, .geometry = {0, 200, 100, 30}, .visible = false},
    Control{.name = "ok", .type = ControlType::LinkBox, .parent = "panel"},
};
constexpr layout::Window kKeys{.name = "Keys", .controls = kKeyControls, .firstAction = "go"};

struct KeyboardSurface : NoSurface
{
    void focus(const WindowState&, const ControlState* control, bool) override
    {
        focused = control == nullptr ? "none" : control->layout->name;
    }
    void looked(const WindowState&, const ControlState& control) override { relooked = control.layout->name; }
    std::string_view focused;
    std::string_view relooked;
};

std::string_view nameOf(const ControlState* control)
{
    return control == nullptr ? "none" : control->layout->name;
}

TEST(Keyboard, WalksInReadingOrderMovesWithinTheGridAndComesBackToTheOpenerOfAModalWindow)
{
    KeyboardSurface surface;
    WindowModel model{surface};
    Handler open = [&model] { model.load("Dialog", true, {}); };
    WindowDefinition keys{&kKeys, {{"tick", Event::Tick, open}}};
    for (const auto* d : {"d1", "d2", "d3", "d4"})
        keys.bindings.push_back({d, Event::Clicked, open});
    model.define(std::move(keys));
    model.define({&kDialog, {{"back", Event::Clicked, [&model] { model.close("Dialog"); }}}});
    model.openStart("Keys");
    const auto& w = *model.window("Keys");
    std::vector<std::string_view> read;
    std::ranges::transform(readingOrder(w), std::back_inserter(read), nameOf);
    EXPECT_THAT(read, ElementsAre("label", "value", "go", "d1", "d2", "d3", "d4", "panel", "ok"));

    // From each, where Tab, Shift+Tab and the arrows Left, Right, Up and Down take the keyboard.
    const std::array<std::array<std::string_view, 7>, 4> moves{
        {{"go", "d1", "d4", "none", "none", "none", "none"},
         {"d1", "d2", "go", "none", "d2", "none", "d3"},
         {"d4", "go", "d3", "d3", "none", "d2", "none"},
         {"", "go", "d4", "none", "none", "none", "none"}}};
    for (const auto& m : moves) {
        EXPECT_EQ(nameOf(model.nextForKeyboard(w, m[0])), m[1]) << m[0];
        EXPECT_EQ(nameOf(model.nextForKeyboard(w, m[0], true)), m[2]) << m[0];
        for (const auto d : {Direction::Left, Direction::Right, Direction::Up, Direction::Down})
            EXPECT_EQ(nameOf(model.neighbour(w, m[0], d)), m[3 + static_cast<int>(d)]) << m[0];
    }
    EXPECT_EQ(nameOf(model.keyboardEntry(w, "d2")), "go") << "the first action comes first";
    model.set("Keys", "go", Property::Visible, 0);
    EXPECT_EQ(nameOf(model.keyboardEntry(w, "d2")), "d2") << "then the control that has the keyboard";
    EXPECT_EQ(nameOf(model.keyboardEntry(w)), "d1") << "then the first in reading order";

    // Back to the box that opened a dialog; to the first action from a dialog that a tick opened.
    EXPECT_TRUE(model.click(w.id, "d2"));
    EXPECT_EQ(model.keyboardEntry(w), nullptr) << "a blocked window takes no keyboard";
    EXPECT_TRUE(model.click(model.window("Dialog")->id, "back"));
    EXPECT_EQ(surface.focused, "d2");
    model.set("Keys", "go", Property::Visible, 1);
    EXPECT_TRUE(model.tick(w.id, "tick"));
    EXPECT_TRUE(model.key(0, Key::Escape));
    EXPECT_EQ(surface.focused, "go");
}

TEST(Keyboard, TabWrapsTheArrowsFollowAMovedBoxAndTheKeyboardLeavesAHiddenControlAndReturnsToTheFirstAction)
{
    KeyboardSurface surface;
    WindowModel model{surface};
    std::vector<std::string> clicked;
    WindowDefinition keys{&kKeys, {}};
    for (const auto* d : {"d1", "d2", "d3", "d4", "go"})
        keys.bindings.push_back({d, Event::Clicked, [&clicked, d] { clicked.emplace_back(d); }});
    model.define(std::move(keys));
    model.openStart("Keys");
    EXPECT_EQ(surface.focused, "go") << "a window opens on its first action";
    const auto id = model.window("Keys")->id;
    model.set("Keys", "d3", Property::Top, 60);
    struct Step
    {
        Key key;
        std::string_view then; // where the keyboard is afterwards
    };
    for (const auto& [key, then] : std::initializer_list<Step>{{Key::Previous, "d4"},
                                                               {Key::Next, "go"},
                                                               {Key::Next, "d1"},
                                                               {Key::Up, "d3"},
                                                               {Key::Down, "d1"},
                                                               {Key::Right, "d2"},
                                                               {Key::Activate, "d2"},
                                                               {Key::Escape, "d2"}}) {
        model.key(id, key);
        EXPECT_EQ(surface.focused, then) << static_cast<int>(key);
    }
    EXPECT_THAT(clicked, ElementsAre("d2"));
    model.set("Keys", "go", Property::Visible, 0);
    model.set("Keys", "d2", Property::Visible, 0);
    EXPECT_EQ(surface.focused, "d3") << "on to the next in reading order";
    model.set("Keys", "go", Property::Visible, 1);
    EXPECT_EQ(surface.focused, "go");
    EXPECT_EQ(spokenName(*model.window("Keys"), *model.window("Keys")->control("d1")), "空")
        << "an empty box still has something to say";
    EXPECT_TRUE(model.keyboardShown());
    model.used(Input::Pointer);
    EXPECT_FALSE(model.keyboardShown()) << "a button hides where the keyboard is";
    EXPECT_EQ(surface.relooked, "go");
    model.used(Input::Keys);
    EXPECT_TRUE(model.keyboardShown()) << "until a key shows it again";
}

// A link over another, a label that answers nothing over a box, a link that sticks out of its panel, a
// link smaller than a finger, and a picture.
constexpr std::array kPointerControls{
    Control{.name = "top", .type = ControlType::LinkBox, .geometry = {0, 0, 40, 20}},
    Control{.name = "note", .type = ControlType::TransparentLabel, .geometry = {50, 0, 40, 40}},
    Control{.name = "cell", .type = ControlType::TransparentLabel, .geometry = {50, 0, 40, 40}},
    Control{.name = "under", .type = ControlType::LinkBox, .geometry = {20, 10, 40, 20}},
    Control{.name = "panel", .type = ControlType::GroupBox, .geometry = {0, 60, 50, 30}},
    Control{.name = "inner", .type = ControlType::LinkText, .parent = "panel", .geometry = {40, 0, 30, 10}},
    Control{.name = "tiny", .type = ControlType::LinkBox, .geometry = {100, 100, 10, 10}},
};
constexpr layout::Window kPointer{.name = "Pointer", .controls = kPointerControls};

TEST(Pointer, TheFirstListedIsOnTopALabelThatAnswersNothingLetsThroughContainersClipAndAFingerReachesFurther)
{
    NoSurface surface;
    WindowModel model{surface};
    int clicks = 0;
    model.define(
        {&kPointer, {{"cell", Event::Clicked, [] {}}, {"top", Event::Clicked, [&clicks] { ++clicks; }}}});
    model.openStart("Pointer");
    const auto& w = *model.window("Pointer");
    struct Case
    {
        Point at;
        int reach;
        std::string_view hit;
    };
    for (const auto& [at, reach, hit] : std::initializer_list<Case>{{{30, 15}, 0, "top"},
                                                                    {{55, 15}, 0, "cell"},
                                                                    {{45, 25}, 0, "under"},
                                                                    {{45, 65}, 0, "inner"},
                                                                    {{55, 65}, 0, "none"},
                                                                    {{5, 80}, 0, "panel"},
                                                                    {{104, 95}, 0, "none"},
                                                                    {{104, 95}, 24, "tiny"},
                                                                    {{118, 104}, 24, "none"}})
        EXPECT_EQ(nameOf(model.hit(w, at, {reach, {0, 0, 200, 200}})), hit) << at.x << "," << at.y;
    EXPECT_EQ(model.pointer(w.id, PointerAction::Move, {5, 80}), Cursor::Arrow);
    EXPECT_EQ(model.pointer(w.id, PointerAction::Press, {30, 15}), Cursor::Hand);
    EXPECT_TRUE(w.control("top")->pressed);
    model.pointer(w.id, PointerAction::Release, {31, 16});
    EXPECT_EQ(clicks, 1);
    model.pointer(w.id, PointerAction::Press, {30, 15});
    model.pointer(w.id, PointerAction::Move, {45, 25});
    model.pointer(w.id, PointerAction::Move, {30, 15});
    model.pointer(w.id, PointerAction::Release, {30, 15});
    EXPECT_EQ(clicks, 1) << "a press that left its link is no click";
    EXPECT_TRUE(w.control("top")->hovered && !w.control("under")->hovered);
}

TEST(Pointer, AModalWindowLoadedOutsideEveryHandlerBelongsToTheWindowInFrontAndAPressBeneathBringsItBack)
{
    KeyboardSurface surface;
    WindowModel model{surface};
    model.define({&kKeys, {}});
    model.define({&kDialog, {}});
    model.openStart("Keys");
    model.load("Dialog", true, {});
    const auto& dialog = *model.window("Dialog");
    EXPECT_EQ(dialog.owner, model.window("Keys")->id);
    surface.focused = "";
    model.pointer(dialog.owner, PointerAction::Press, {10, 10});
    EXPECT_EQ(surface.focused, "back");
}

} // namespace
} // namespace pelindra
