// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawn_at.h"
#include "runtime/headless/memory_store.h"
#include "runtime/qt/form_window.h"
#include "runtime/qt/qt_runtime.h"
#include "runtime/qt/widgets.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <array>
#include <gtest/gtest.h>
#include <stdexcept>

namespace pelindra::qt {
namespace {

using layout::Control;
using layout::ControlType;

constexpr std::array kControls{
    Control{.name = "link", .type = ControlType::LinkBox, .geometry = {10, 10, 96, 24}, .text = "开始游戏"},
    Control{.name = "tick", .type = ControlType::Timer},
    Control{.name = "panel", .type = ControlType::GroupBox, .geometry = {0, 40, 200, 100}},
    Control{.name = "inner",
            .type = ControlType::TransparentLabel,
            .parent = "panel",
            .geometry = {5, 7, 60, 20},
            .text = "0秒",
            .colour = layout::rgb(255, 255, 255)},
    Control{
        .name = "under", .type = ControlType::TransparentLabel, .geometry = {0, 40, 200, 20}, .text = "下"},
};
constexpr layout::Window kMain{
    .name = "Main", .caption = "主", .width = 300, .height = 200, .visible = true, .controls = kControls};
constexpr std::array kDialogControls{
    Control{.name = "back", .type = ControlType::LinkBox, .geometry = {0, 0, 96, 24}, .text = "返回"},
};
constexpr layout::Window kDialog{.name = "Dialog",
                                 .caption = "关于",
                                 .width = 120,
                                 .height = 80,
                                 .visible = true,
                                 .controls = kDialogControls};

// A window whose link opens a modal window that hides it from its own Created handler, the way the
// record window hides the game window.
constexpr std::array kOpenerControls{
    Control{.name = "open", .type = ControlType::LinkBox, .geometry = {0, 0, 96, 24}, .text = "打开"},
};
constexpr layout::Window kOpener{
    .name = "Opener", .caption = "开", .width = 200, .height = 100, .controls = kOpenerControls};
constexpr layout::Window kHider{
    .name = "Hider", .caption = "藏", .width = 120, .height = 80, .controls = kDialogControls};

QWidget* ownerOf(QWidget* window)
{
    const auto* transient = window->windowHandle() ? window->windowHandle()->transientParent() : nullptr;
    return transient == nullptr ? nullptr : QWidget::find(transient->winId());
}

void press(QWidget* control)
{
    QAccessible::queryAccessibleInterface(control)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
}

class QtAdapter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rt.DefineWindow(
            {&kMain,
             {{"tick", Event::Tick, [this] { ++ticks; }},
              {"link", Event::Clicked, [this] { ++clicks; }},
              {"", Event::Created, [this] { createdWhileHidden = !rt.window("Main")->isVisible(); }},
              {"", Event::Closed, [this] { rt.ExitProgram(0); }}}});
        rt.DefineWindow({&kDialog, {{"back", Event::Clicked, [this] { rt.CloseWindow("Dialog"); }}}});
    }
    void TearDown() override { QCoreApplication::processEvents(); }

    headless::MemoryStore store;
    QtRuntime rt{store};
    int ticks = 0;
    int clicks = 0;
    bool createdWhileHidden = false;
};

TEST_F(QtAdapter, RunsCreatedBeforeShowingAndPlacesTheWindowAtFiftyFiftyWithAFixedSize)
{
    rt.LoadWindow("Main", false, {});
    auto* w = rt.window("Main");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(createdWhileHidden);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(50, 50));
    EXPECT_EQ(w->frameGeometry().size(), QSize(300, 200)) << "the outer size, frame included";
    EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "it cannot be resized";
    EXPECT_EQ(w->windowTitle(), QStringLiteral("主"));
}

TEST_F(QtAdapter, MapsEveryPropertyOntoItsWidget)
{
    rt.LoadWindow("Main", false, {});
    auto* w = rt.window("Main");
    auto* inner = qobject_cast<TextControl*>(w->widget("inner"));
    ASSERT_NE(inner, nullptr);

    rt.SetProperty("Main", "inner", Property::Caption, std::string("12秒"));
    EXPECT_EQ(inner->text(), QStringLiteral("12秒"));
    EXPECT_EQ(textOf(rt.GetProperty("Main", "inner", Property::Caption)), "12秒");

    rt.SetProperty("Main", "inner", Property::TextColour, std::int32_t{255});
    EXPECT_EQ(inner->colour(), QColor(255, 0, 0)) << "0x00BBGGRR: 255 is red";
    EXPECT_EQ(integerOf(rt.GetProperty("Main", "inner", Property::TextColour)), 255);

    rt.SetProperty("Main", "inner", Property::Top, std::int32_t{-118});
    EXPECT_EQ(inner->y(), -118);
    EXPECT_EQ(inner->x(), 5);
    EXPECT_EQ(integerOf(rt.GetProperty("Main", "inner", Property::Top)), -118);

    rt.SetProperty("Main", "panel", Property::Visible, std::int32_t{0});
    EXPECT_TRUE(w->widget("panel")->isHidden());
    EXPECT_FALSE(inner->isVisible()) << "its children go with it";
    EXPECT_EQ(integerOf(rt.GetProperty("Main", "inner", Property::Visible)), 1) << "its own flag stays";
    EXPECT_EQ(integerOf(rt.GetProperty("Main", "panel", Property::Visible)), 0);

    rt.SetProperty("Main", "", Property::Visible, std::int32_t{0});
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(integerOf(rt.GetProperty("Main", "", Property::Visible)), 0);

    EXPECT_EQ(integerOf(rt.GetProperty("Main", "nothing", Property::Top)), 0) << "unknown names read as 0";
    EXPECT_EQ(textOf(rt.GetProperty("Nowhere", "inner", Property::Caption)), "");
}

TEST_F(QtAdapter, APositiveIntervalStartsAPreciseTimerAndZeroStopsIt)
{
    rt.LoadWindow("Main", false, {});
    auto* timer = rt.window("Main")->timer("tick");
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    rt.SetProperty("Main", "tick", Property::Interval, std::int32_t{20});
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
    EXPECT_EQ(integerOf(rt.GetProperty("Main", "tick", Property::Interval)), 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 10000));
    rt.SetProperty("Main", "tick", Property::Interval, std::int32_t{0});
    EXPECT_FALSE(timer->isActive());
    const int stoppedAt = ticks;
    QTest::qWait(60);
    EXPECT_EQ(ticks, stoppedAt);
    EXPECT_EQ(integerOf(rt.GetProperty("Main", "tick", Property::Interval)), 0);
}

TEST_F(QtAdapter, StacksControlsWithTheFirstListedOnTop)
{
    rt.LoadWindow("Main", false, {});
    auto* w = rt.window("Main");
    // Later children of a widget are drawn above earlier ones.
    const auto order = w->children();
    const auto at = [&](std::string_view name) { return order.indexOf(w->widget(name)); };
    EXPECT_GT(at("link"), at("panel"));
    EXPECT_GT(at("panel"), at("under"));
    EXPECT_EQ(drawnAt(w, {10, 50}), w->widget("inner")) << "the panel's label lies above the label beneath";
}

TEST_F(QtAdapter, AModalLoadReturnsAtOnceAndWhatWaitsRunsAfterTheDialogClosedWhileTimersTick)
{
    rt.LoadWindow("Main", false, {});
    rt.SetProperty("Main", "tick", Property::Interval, std::int32_t{25});
    bool waited = false;
    rt.LoadWindow("Dialog", true, [&] { waited = true; });
    ASSERT_NE(rt.window("Dialog"), nullptr);
    EXPECT_TRUE(rt.window("Dialog")->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 10000)) << "the window beneath ticks on";
    EXPECT_FALSE(waited);
    auto* back = qobject_cast<Clickable*>(rt.window("Dialog")->widget("back"));
    ASSERT_NE(back, nullptr);
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(rt.window("Dialog"), nullptr);
    EXPECT_FALSE(waited) << "not inside the handler that closed it";
    EXPECT_TRUE(QTest::qWaitFor([&] { return waited; }, 10000));
}

TEST_F(QtAdapter, AModalWindowBlocksTheWindowBeneathAndEscapeClosesIt)
{
    rt.LoadWindow("Main", false, {});
    bool waited = false;
    rt.LoadWindow("Dialog", true, [&] { waited = true; });
    EXPECT_EQ(rt.model().activeModal(), rt.model().window("Dialog"));
    QTest::keyClick(rt.window("Dialog"), Qt::Key_Escape);
    EXPECT_EQ(rt.window("Dialog"), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return waited; }, 10000));
}

TEST_F(QtAdapter, WhatWaitsForAModalWindowNeverRunsOnceTheProgramEnds)
{
    rt.LoadWindow("Main", false, {});
    bool waited = false;
    rt.LoadWindow("Dialog", true, [&] { waited = true; });
    rt.model().click(rt.window("Dialog")->id(), "back");
    rt.ExitProgram(0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(waited);
}

TEST_F(QtAdapter, AModalWindowBelongsToTheWindowWhoseHandlerOpenedItEvenOnceItHidesThatWindow)
{
    rt.DefineWindow({&kOpener, {{"open", Event::Clicked, [this] {
                                     // What waits for the first window opens the next one, on the opener's
                                     // behalf.
                                     rt.LoadWindow("Hider", true,
                                                   [this] { rt.LoadWindow("Dialog", true, {}); });
                                 }}}});
    rt.DefineWindow(
        {&kHider,
         {{"", Event::Created, [this] { rt.SetProperty("Opener", "", Property::Visible, std::int32_t{0}); }},
          {"back", Event::Clicked, [this] {
               rt.SetProperty("Opener", "", Property::Visible, std::int32_t{1});
               rt.CloseWindow("Hider");
               // A window closing itself is nobody's owner any more.
               rt.LoadWindow("Main", true, {});
           }}}});
    rt.LoadWindow("Opener", false, {});
    auto* opener = rt.window("Opener");
    QTest::mouseClick(opener->widget("open"), Qt::LeftButton);
    auto* hider = rt.window("Hider");
    ASSERT_NE(hider, nullptr);
    EXPECT_FALSE(opener->isVisible());
    EXPECT_TRUE(hider->isVisible());
    EXPECT_EQ(ownerOf(hider), opener) << "the window system is told, although the owner is hidden";
    EXPECT_EQ(rt.model().activeModal(), rt.model().window("Hider"));

    QTest::mouseClick(hider->widget("back"), Qt::LeftButton);
    EXPECT_TRUE(opener->isVisible());
    ASSERT_NE(rt.window("Main"), nullptr);
    EXPECT_NE(ownerOf(rt.window("Main")), hider);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rt.window("Dialog") != nullptr; }, 10000));
    EXPECT_EQ(ownerOf(rt.window("Dialog")), opener);
}

TEST_F(QtAdapter, AWindowThatAModalWindowBlocksTakesNoPressClickOrKey)
{
    rt.LoadWindow("Main", false, {});
    auto* main = rt.window("Main");
    auto* link = main->widget("link");
    rt.LoadWindow("Dialog", true, {});
    press(link);
    QTest::keyClick(link, Qt::Key_Return);
    QTest::mouseClick(main->windowHandle(), Qt::LeftButton, {}, link->geometry().center());
    EXPECT_EQ(clicks, 0);

    press(rt.window("Dialog")->widget("back"));
    EXPECT_EQ(rt.window("Dialog"), nullptr) << "the modal window's own controls answer";
    press(link);
    EXPECT_EQ(clicks, 1) << "and once it has gone, the window beneath does";
}

TEST(QtRuntimeLifetime, WorkQueuedForARuntimeThatIsGoneNeverRuns)
{
    bool ran = false;
    {
        headless::MemoryStore store;
        QtRuntime rt{store};
        rt.DefineWindow({&kDialog, {}});
        rt.LoadWindow("Dialog", true, [&] { ran = true; });
        rt.CloseWindow("Dialog");
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

TEST_F(QtAdapter, AFixedSizeWindowRefusesFullScreenAndMaximiseAndKeepsItsPlace)
{
    rt.LoadWindow("Main", false, {});
    auto* main = rt.window("Main");
    for (const auto state : {Qt::WindowFullScreen, Qt::WindowMaximized}) {
        // As the window system would ask it, not as the program would.
        main->windowHandle()->setWindowStates(state);
        EXPECT_TRUE(QTest::qWaitFor([&] { return main->windowState() == Qt::WindowNoState; }, 10000))
            << state;
        EXPECT_EQ(main->frameGeometry(), QRect(50, 50, 300, 200)) << state;
    }
}

TEST_F(QtAdapter, ASecondDefinitionOfAWindowIsRefusedAndTheFirstStays)
{
    EXPECT_THROW(rt.DefineWindow({&kMain, {{"link", Event::Clicked, [] {}}}}), std::logic_error);
    rt.LoadWindow("Main", false, {});
    QTest::mouseClick(rt.window("Main")->widget("link"), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(QtAdapter, ClosingAWindowWithAClosedHandlerEndsTheLoopWithExitCodeZero)
{
    int cleanups = 0;
    rt.RegisterCleanup([&] { ++cleanups; });
    rt.OpenStartWindow("Main");
    QTimer::singleShot(50, [this] { rt.window("Main")->close(); });
    rt.RunMessageLoop();
    EXPECT_TRUE(rt.exiting());
    EXPECT_EQ(rt.exitCode(), 0);
    EXPECT_EQ(cleanups, 1);
}

TEST_F(QtAdapter, LinksArePushButtonsWithAPressActionAndAnswerTheKeyboard)
{
    rt.LoadWindow("Main", false, {});
    auto* link = rt.window("Main")->widget("link");
    auto* face = QAccessible::queryAccessibleInterface(link);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::Button);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("开始游戏"));
    auto* actions = face->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
    EXPECT_EQ(clicks, 1);

    EXPECT_EQ(link->focusPolicy(), Qt::TabFocus) << "focus by keyboard, no focus frame from a mouse click";
    QTest::keyClick(link, Qt::Key_Return);
    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(clicks, 3);
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(clicks, 4);

    auto* label = QAccessible::queryAccessibleInterface(rt.window("Main")->widget("inner"));
    EXPECT_EQ(label->role(), QAccessible::StaticText);
    rt.SetProperty("Main", "inner", Property::Caption, std::string("3秒"));
    EXPECT_EQ(label->text(QAccessible::Name), QStringLiteral("3秒"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(rt.window("Main"))->text(QAccessible::Name),
              QStringLiteral("主"));
}

TEST_F(QtAdapter, AClickThatLeavesTheLinkBeforeReleaseDoesNothing)
{
    rt.LoadWindow("Main", false, {});
    auto* link = rt.window("Main")->widget("link");
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(200, 5));
    EXPECT_EQ(clicks, 0);
}

} // namespace
} // namespace pelindra::qt
