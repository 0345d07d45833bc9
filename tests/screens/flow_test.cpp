// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_fixture.h"
#include "screens/program.h"

#include <gmock/gmock.h>

namespace pelindra {
namespace {

using names::kAboutWindow;
using names::kGameWindow;
using names::kMenuWindow;
using ::testing::ElementsAre;

class Flow : public fixtures::GameFixture
{
protected:
    std::vector<std::string> windowCalls() const
    {
        std::vector<std::string> out;
        for (const auto& call : rt.calls())
            if (call.starts_with("OpenStartWindow") || call.starts_with("LoadWindow") ||
                call.starts_with("Created") || call.starts_with("shown") ||
                call.starts_with("RegisterCleanup") || call.starts_with("RunMessageLoop") ||
                call.starts_with("ExitProgram") || call.starts_with("UpdateConfigItems") ||
                call.starts_with("Set GameWindow."))
                out.push_back(call);
        return out;
    }
};

TEST_F(Flow, StartUpLoadsTheGameWindowHiddenInsideTheMenusCreatedThenReadsTheRecord)
{
    rt.store.files["/opt/pelindra/data.dat"] = "[Mybest]\r\nScore=3\r\nTime=4\r\n";
    int loopRuns = 0;
    rt.setLoopDriver([&] {
        ++loopRuns;
        EXPECT_TRUE(rt.isShown(kMenuWindow));
        EXPECT_TRUE(rt.isOpen(kGameWindow));
        EXPECT_FALSE(rt.isShown(kGameWindow));
    });
    runProgram(rt, state);
    EXPECT_EQ(loopRuns, 1);
    EXPECT_THAT(windowCalls(), ElementsAre("RegisterCleanup", "OpenStartWindow MenuWindow",
                                           "Created MenuWindow", "LoadWindow GameWindow",
                                           "Created GameWindow", "Set GameWindow.透明标签21.Caption \"0\"",
                                           "Set GameWindow.透明标签19.Caption \"0秒\"",
                                           "UpdateConfigItems /opt/pelindra/data.dat briefly",
                                           "shown MenuWindow", "RunMessageLoop", "ExitProgram 0"));
    EXPECT_EQ(rt.exitCode(), 0);
    EXPECT_EQ(rt.cleanupRuns(), 1);
    EXPECT_EQ(state.bestScore, "") << "the clean-up released the texts";
}

TEST_F(Flow, TheInstructionsPanelOpensAndClosesWithItsLinks)
{
    launch();
    EXPECT_FALSE(rt.isShown(kMenuWindow, "超级链接框4")) << "its panel is hidden";
    ASSERT_TRUE(rt.click(kMenuWindow, "超级链接框3"));
    EXPECT_TRUE(rt.isShown(kMenuWindow, "透明标签2"));
    ASSERT_TRUE(rt.click(kMenuWindow, "超级链接框3"));
    EXPECT_TRUE(shown("分组框2", kMenuWindow)) << "a second click leaves it shown";
    EXPECT_TRUE(rt.isShown(kMenuWindow, "超级链接框1")) << "the menu's links stay usable";
    ASSERT_TRUE(rt.click(kMenuWindow, "超级链接框4"));
    EXPECT_FALSE(shown("分组框2", kMenuWindow));
    EXPECT_FALSE(rt.click(kMenuWindow, "超级链接框4")) << "a hidden panel's link cannot be clicked";
}

TEST_F(Flow, StartGameShowsTheSameGameWindowBeforeHidingTheMenu)
{
    launch();
    rt.clearCalls();
    ASSERT_TRUE(rt.click(kMenuWindow, "超级链接框1"));
    EXPECT_THAT(rt.callsStartingWith("Set "),
                ElementsAre("Set GameWindow.Visible 1", "Set MenuWindow.Visible 0"));
    EXPECT_FALSE(state.gameRunning) << "no game starts by itself";
    ASSERT_TRUE(rt.click(kGameWindow, "超级链接框2"));
    ASSERT_TRUE(rt.click(kMenuWindow, "超级链接框1"));
    EXPECT_TRUE(rt.callsStartingWith("LoadWindow GameWindow").empty()) << "it is never built again";
    EXPECT_TRUE(rt.isShown(kGameWindow));
}

class Closing : public fixtures::GameFixture
{};

TEST_F(Closing, TheGameWindowMidGameEndsTheProgramAtOnceAndSavesNothing)
{
    launchIntoGame();
    startGame('1', "111111111");
    for (int i = 0; i < 4; ++i) {
        scriptDeal('1', "111111111");
        clickBox(1);
    }
    rt.clearCalls();
    ASSERT_TRUE(rt.closeByUser(kGameWindow));
    EXPECT_EQ(rt.exitCode(), 0);
    EXPECT_TRUE(rt.callsStartingWith("WriteConfigItem").empty());
}

TEST_F(Closing, TheMenuEndsTheProgramWhileTheGameWindowExistsHidden)
{
    launch();
    ASSERT_TRUE(rt.isOpen(kGameWindow));
    ASSERT_TRUE(rt.closeByUser(kMenuWindow));
    EXPECT_EQ(rt.exitCode(), 0);
    EXPECT_EQ(rt.cleanupRuns(), 1);
}

TEST_F(Flow, TheAboutWindowIsModalOverTheMenuAndFreshOnEveryOpening)
{
    launch();
    std::vector<std::int32_t> topsAtOpen;
    onModal = [&](std::string_view window) {
        ASSERT_EQ(window, kAboutWindow);
        topsAtOpen.push_back(rt.peekInteger(kAboutWindow, "透明标签1", Property::Top));
        EXPECT_FALSE(rt.click(kMenuWindow, "超级链接框1")) << "the menu is blocked";
        rt.advance(3000);
        if (topsAtOpen.size() == 2) {
            ASSERT_TRUE(rt.closeByUser(kAboutWindow)) << "its caption bar closes it too";
        }
    };
    ASSERT_TRUE(rt.click(kMenuWindow, "超级链接框2"));
    EXPECT_FALSE(rt.isOpen(kAboutWindow));
    ASSERT_TRUE(rt.click(kMenuWindow, "超级链接框2"));
    EXPECT_THAT(topsAtOpen, ElementsAre(112, 112));
    EXPECT_FALSE(rt.isOpen(kAboutWindow));
    EXPECT_TRUE(rt.isShown(kMenuWindow));
    EXPECT_FALSE(rt.exitCode()) << "closing the about window does not end the program";
}

} // namespace
} // namespace pelindra
