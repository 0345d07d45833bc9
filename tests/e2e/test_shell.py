# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The windows around the game: the menu, the instructions, the about window, and ending the program."""

import os
import sys
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pyatspi  # noqa: E402

import harness  # noqa: E402
from harness import ABOUT, GAME, MENU, Rect, wait_until  # noqa: E402

BINARY = None

INSTRUCTIONS_START = "游戏操作非常简单"
CREDITS_FIRST_TOP = 112
CREDITS_LAST_TOP = -118
CREDITS_PATH = list(range(CREDITS_FIRST_TOP, CREDITS_LAST_TOP - 1, -10))


class OnScreen(harness.OnScreenTest):
    """Each test gets a fresh X server, directories and copy of the program."""

    def setUp(self):
        super().setUp()
        self.program = harness.Program(self.workspace.install(BINARY), self.x.display, self.workspace)
        self.addCleanup(self.program.stop)
        self.program.start()

    def assert_exits_cleanly(self):
        self.assertEqual(self.program.wait_exit(), 0)
        self.assertEqual(self.program.stderr(), "")


class FirstTour(OnScreen):
    def instructions(self):
        menu = self.program.window(MENU)
        return [label for label in harness.find_all(menu, role=pyatspi.ROLE_LABEL)
                if label.name.startswith(INSTRUCTIONS_START)]

    def credits_top(self, about, label):
        return harness.relative(harness.extents(label), harness.extents(about)).y

    def test_a_new_player_looks_around_and_leaves(self):
        p = self.program
        menu = p.window(MENU, harness.STARTUP_TIMEOUT)
        self.assertIn(p.app().name, harness.APP_NAMES)
        # The game window is built at start-up, but only the menu is on the screen.
        self.assertEqual(p.windows(), [MENU])
        self.assertEqual(harness.extents(menu), Rect(50, 50, 445, 399))
        self.assertEqual(self.instructions(), [])

        p.click_named(MENU, "操作说明")
        wait_until(self.instructions, what="the instructions to show")
        p.click_named(MENU, "我懂了！")
        wait_until(lambda: not self.instructions(), what="the instructions to go")

        self.watch_credits_to_the_end()

        p.click_named(ABOUT, "返回")
        p.wait_window_gone(ABOUT)
        self.assertEqual(p.windows(), [MENU])

        # Each opening is a new window: the credits run again from the start.
        p.click_named(MENU, "关于我们")
        about = p.window(ABOUT)
        label = harness.find(about, role=pyatspi.ROLE_LABEL)
        first = self.credits_top(about, label)
        # The window's first 300 ms tick may come before our first look.
        self.assertIn(first, CREDITS_PATH[:2])
        wait_until(lambda: self.credits_top(about, label) < first, what="the credits to rise again")
        p.close_window(ABOUT)
        p.wait_window_gone(ABOUT)
        self.assertEqual(p.windows(), [MENU])
        self.assertTrue(p.running())

        p.click_named(MENU, "开始游戏")
        wait_until(lambda: p.windows() == [GAME], what="the game window in place of the menu")
        p.click_named(GAME, harness.BACK)
        wait_until(lambda: p.windows() == [MENU], what="the menu in place of the game window")

        p.close_window(MENU)
        self.assert_exits_cleanly()

    def watch_credits_to_the_end(self):
        p = self.program
        p.click_named(MENU, "关于我们")
        about = p.window(ABOUT)
        self.assertEqual(p.windows(), sorted([MENU, ABOUT]))
        self.assertEqual(harness.extents(about), Rect(50, 50, 380, 250))
        label = harness.find(about, role=pyatspi.ROLE_LABEL)
        place = harness.relative(harness.extents(label), harness.extents(about))
        self.assertEqual((place.x, place.width, place.height), (112, 248, 328))
        # The window's first 300 ms tick may come before our first look.
        self.assertIn(place.y, CREDITS_PATH[:2])

        seen = [place.y]
        started = time.monotonic()
        poked_menu = False

        def at_the_end():
            nonlocal poked_menu
            top = self.credits_top(about, label)
            if top != seen[-1]:
                seen.append(top)
            if not poked_menu and len(seen) > 3:
                # The about window is modal: the menu's own "关于我们", below the about window,
                # must not open another one, which would start the credits over.
                poked_menu = True
                p.click_named(MENU, "关于我们")
            return top == CREDITS_LAST_TOP

        wait_until(at_the_end, 15.0, "the credits to reach their last place")
        took = time.monotonic() - started
        # Each place is one on the 10 px path, in order; a restart or a jump off the path would show.
        self.assertEqual(seen, [top for top in CREDITS_PATH if top in seen])
        steps = CREDITS_PATH.index(CREDITS_LAST_TOP) - CREDITS_PATH.index(seen[0])
        self.assertGreater(took, (steps - 1) * 0.3, f"{steps} steps of 300 ms cannot be done sooner")
        # And there it stays: the next ticks must not move it further.
        hold_until = time.monotonic() + 1.0
        while time.monotonic() < hold_until:
            self.assertEqual(self.credits_top(about, label), CREDITS_LAST_TOP)
            time.sleep(harness.POLL_SECONDS)
        self.assertEqual(p.windows(), sorted([MENU, ABOUT]))


class Closing(OnScreen):
    def test_closing_the_game_window_mid_game_ends_the_program_and_keeps_no_score(self):
        p = self.program
        p.window(MENU, harness.STARTUP_TIMEOUT)
        before = harness.read_bytes(p.data_file)
        self.assertIsNotNone(before, "data.dat is made before the menu shows")
        view = harness.play.open_game(harness.Screen(p))
        target, board = view.start_game()
        # One point is more than the stored best of 0, but a game cut off does not count.
        if target in board:
            view.click_box(board.index(target) + 1)
        else:
            view.claim()
        wait_until(lambda: view.score() == "1", what="the first point")
        p.close_window(GAME)
        self.assert_exits_cleanly()
        self.assertEqual(harness.read_bytes(p.data_file), before)


class NoDisplay(unittest.TestCase):
    """Started where no window system answers, the program passes on Qt's reason, adds what to do, and fails."""

    def run_without_display(self, display, env=None):
        workspace = harness.Workspace()
        self.addCleanup(workspace.remove)
        program = harness.Program(workspace.install(BINARY), display, workspace, env=env)
        self.addCleanup(program.stop)
        program.start()
        code = program.wait_exit(harness.STARTUP_TIMEOUT)
        return code, program.stderr(), program

    def assert_reason_then_advice(self, code, stderr, reason, variable):
        # A failure of its own, not an abort: that would end it by a signal, a negative code here.
        self.assertEqual(code, 1, stderr)
        lines = stderr.splitlines()
        self.assertIn(reason, "\n".join(lines[:-1]), "Qt's own words come first")
        ours = [line for line in lines if line.startswith("pelindra:")]
        self.assertEqual(ours, lines[-1:], stderr)
        self.assertIn(f"set {variable} to", lines[-1])

    def test_without_display_variable(self):
        code, stderr, program = self.run_without_display(None)
        self.assert_reason_then_advice(code, stderr, "could not connect to display", "DISPLAY")
        self.assertNotIn("WAYLAND_DISPLAY", stderr)
        self.assertFalse(os.path.exists(program.data_file))

    def test_with_display_that_does_not_exist(self):
        code, stderr, _ = self.run_without_display(unused_display())
        self.assert_reason_then_advice(code, stderr, "could not connect to display", "DISPLAY")

    def test_on_wayland_asked_for_by_name_with_a_compositor_that_is_not_there(self):
        code, stderr, _ = self.run_without_display(
            None, {"QT_QPA_PLATFORM": "wayland", "WAYLAND_DISPLAY": "pelindra-nowhere"})
        self.assert_reason_then_advice(code, stderr, "wl_display", "WAYLAND_DISPLAY")
        self.assertNotIn("X server", stderr)


def unused_display():
    """A display number that no X server holds; high, so that a parallel test is unlikely to take it."""
    for number in range(450, 900):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(f"/tmp/.X{number}-lock"):
            return f":{number}"
    raise RuntimeError("no free display number")


if __name__ == "__main__":
    BINARY, argv = harness.test_main()
    unittest.main(argv=argv, verbosity=2)
