# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program in the sessions players have: under a window manager on X, and on a Wayland compositor."""

import os
import sys
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import pyatspi  # noqa: E402
from Xlib import X  # noqa: E402
from Xlib.protocol import event as xevent  # noqa: E402

import harness  # noqa: E402
from harness import ABOUT, BACK, GAME, MENU, RECORD, Rect, wait_until  # noqa: E402

BINARY = None

# Every window stands where its layout puts it, at its layout's outer size.
MENU_FRAME = Rect(50, 50, 445, 399)
REFUSED = ("_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ")
ADD, REMOVE = 1, 0


def play_to_a_record(view):
    """One point, then a wrong box: more than the stored best of 0."""
    view.start_game()
    view.play(1)


class UnderOpenbox(harness.OnScreenTest):
    def setUp(self):
        super().setUp()
        openbox = harness.Openbox(self.x.display, self.workspace)
        self.addCleanup(openbox.stop)
        openbox.start()
        self.program = harness.Program(self.workspace.install(BINARY), self.x.display, self.workspace)
        self.addCleanup(self.program.stop)
        self.program.start()
        self.program.window(MENU, harness.STARTUP_TIMEOUT)
        self.x11 = self.program._xdisplay()
        self.framed(MENU)

    # --- the X side ---------------------------------------------------------------------------------

    def framed(self, title):
        """The window once openbox has framed and placed it, and the program knows where it stands.

        Until then, a place read from the bus can be one the window is about to leave.
        """
        window = self.program.window(title)
        frame_extents = self.x11.intern_atom("_NET_FRAME_EXTENTS")

        def placed():
            client = self.program.x_window(title)
            if client.get_full_property(frame_extents, X.AnyPropertyType) is None:
                return False
            at = client.translate_coords(self.x11.screen().root, 0, 0)
            size = client.get_geometry()
            return harness.extents(window) == Rect(-at.x, -at.y, size.width, size.height)

        wait_until(placed, what=f"openbox to place {title!r}")
        return window

    def client(self, title):
        return wait_until(lambda: self.program.x_window(title), what=f"the X window {title!r}")

    def transient_for(self, title):
        hint = self.client(title).get_full_property(self.x11.intern_atom("WM_TRANSIENT_FOR"),
                                                    X.AnyPropertyType)
        return hint.value[0] if hint else None

    def states(self, window):
        prop = window.get_full_property(self.x11.intern_atom("_NET_WM_STATE"), X.AnyPropertyType)
        return {self.x11.get_atom_name(atom) for atom in prop.value} if prop else set()

    def frame(self, window):
        """The window's outer rectangle on the screen, the window manager's frame included."""
        extents = window.get_full_property(self.x11.intern_atom("_NET_FRAME_EXTENTS"), X.AnyPropertyType)
        left, right, top, bottom = extents.value if extents else (0, 0, 0, 0)
        at = window.translate_coords(self.x11.screen().root, 0, 0)
        size = window.get_geometry()
        return Rect(-at.x - left, -at.y - top, size.width + left + right, size.height + top + bottom)

    def ask_state(self, window, action, *names):
        """What a pager or a key binding asks of the window manager (EWMH _NET_WM_STATE)."""
        atoms = [self.x11.intern_atom(name) for name in names] + [0, 0]
        message = xevent.ClientMessage(window=window, client_type=self.x11.intern_atom("_NET_WM_STATE"),
                                       data=(32, [action, atoms[0], atoms[1], 1, 0]))
        self.x11.screen().root.send_event(message,
                                          event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        self.x11.sync()

    # --- the tests ----------------------------------------------------------------------------------

    def test_each_modal_window_belongs_to_the_window_that_opened_it(self):
        p = self.program
        p.click_named(MENU, "关于我们")
        self.framed(ABOUT)
        self.assertEqual(self.transient_for(ABOUT), self.client(MENU).id)
        p.click_named(ABOUT, BACK)
        p.wait_window_gone(ABOUT)

        p.click_named(MENU, "开始游戏")
        self.framed(GAME)
        game = self.client(GAME).id
        play_to_a_record(harness.GameView(p))
        self.framed(RECORD)
        # The record window hides the game window as it opens, and still names it.
        self.assertEqual(self.transient_for(RECORD), game)
        self.assertEqual(p.windows(), [RECORD])
        harness.RecordView(p).leave()
        wait_until(lambda: p.windows() == [GAME], what="the game window back")

    def test_a_click_on_the_top_edge_of_box_1_reaches_its_digit(self):
        p = self.program
        p.click_named(MENU, "开始游戏")
        self.framed(GAME)
        view = harness.GameView(p)
        target, board = view.start_game()
        box = harness.box_rect(1)
        edge = (box.x + box.width // 2, box.y + 3)
        self.assertTrue(harness.inside(edge, harness.BEST_SCORE_LABEL),
                        "the best score's label lies over that edge")
        origin = harness.extents(view.window())
        p.click_at(origin.x + edge[0], origin.y + edge[1])
        if board[0] == target:
            wait_until(lambda: view.score() == "1", what="the point for box 1")
        else:
            wait_until(lambda: view.shows(harness.game.kGameOverNotice), what="the game lost on box 1")

    def test_a_press_on_the_menu_beneath_the_about_window_does_nothing(self):
        p = self.program
        for blocked in ("开始游戏", "关于我们"):
            p.click_named(MENU, "关于我们")
            self.framed(ABOUT)
            p.press_named(MENU, blocked)
            # Presses are handled in the order they come: the about window's own goes after the blocked one.
            p.press_named(ABOUT, BACK)
            p.wait_window_gone(ABOUT)
            self.assertEqual(p.windows(), [MENU], f"after a press on {blocked}")

    def test_the_keyboard_starts_on_the_first_action_of_each_window(self):
        p = self.program

        def focus_on(title, name):
            window = p.window(title)
            wait_until(lambda: harness.focused(harness.find(window, name, pyatspi.ROLE_PUSH_BUTTON)),
                       what=f"the keyboard on {name!r}")

        focus_on(MENU, "开始游戏")
        p.key("Return")
        wait_until(lambda: p.windows() == [GAME], what="the game window in place of the menu")
        focus_on(GAME, harness.START)
        asked = time.monotonic()
        p.key("Return")
        view = harness.GameView(p)
        wait_until(lambda: view.started_since(asked), what="a game to start")
        # Its first action gone, the keyboard moves on to the next: box 1.
        wait_until(lambda: harness.Screen(p).keyboard(harness.names.kGameWindow) == harness.game.kBoxes[0],
                   what="the keyboard on box 1")

    def test_full_screen_and_maximise_are_refused_and_the_window_stays_as_it_was(self):
        menu = self.client(MENU)
        self.assertEqual(self.frame(menu), MENU_FRAME)
        for asked in (REFUSED[:1], REFUSED[1:]):
            self.ask_state(menu, ADD, *asked)
            # The window manager handles requests in order: once the next one shows, the first was seen.
            self.ask_state(menu, ADD, "_NET_WM_STATE_ABOVE")
            wait_until(lambda: "_NET_WM_STATE_ABOVE" in self.states(menu), what="openbox to take them")

            def as_it_was():
                return not self.states(menu) & set(REFUSED) and self.frame(menu) == MENU_FRAME

            wait_until(as_it_was, what=lambda: f"the menu as it was: {self.states(menu)} {self.frame(menu)}")
            self.ask_state(menu, REMOVE, "_NET_WM_STATE_ABOVE")
            wait_until(lambda: "_NET_WM_STATE_ABOVE" not in self.states(menu), what="openbox to take it")
            self.assertTrue(as_it_was(), f"{asked}: {self.states(menu)} {self.frame(menu)}")


class OnWayland(unittest.TestCase):
    """The program with a Wayland compositor and nothing else: no DISPLAY, no QT_QPA_PLATFORM."""

    def setUp(self):
        self.workspace = harness.Workspace()
        self.addCleanup(self.workspace.remove)
        self.runtime_dir = self.workspace.directory("runtime", 0o700)

    def start(self, x_display=None):
        weston = harness.Weston(self.workspace, self.runtime_dir, x_display)
        self.addCleanup(weston.stop)
        weston.start()
        program = harness.Program(self.workspace.install(BINARY), None, self.workspace,
                                  env={"XDG_SESSION_TYPE": "wayland", "WAYLAND_DISPLAY": weston.SOCKET})
        self.assertEqual(program.runtime_dir, self.runtime_dir, "the program finds weston's socket")
        self.addCleanup(program.stop)
        program.start()
        program.window(MENU, harness.STARTUP_TIMEOUT)
        return weston, program

    def test_a_wayland_only_session_plays_a_game_to_a_record(self):
        weston, p = self.start()
        # The bus can tell of the window a moment before weston's scene graph holds it.
        wait_until(lambda: [view.title for view in weston.windows()] == [MENU],
                   what=lambda: f"the menu alone on weston: {weston.windows()}")
        # Nothing but the accessibility bus' presses: the headless compositor has no pointer.
        p.press_named(MENU, "开始游戏")
        wait_until(lambda: p.windows() == [GAME], what="the game window in place of the menu")
        play_to_a_record(harness.GameView(p, by_press=True))
        record = harness.RecordView(p, by_press=True)
        p.window(RECORD)
        self.assertEqual(record.score(), "1")
        seconds = harness.seconds_of(record.time())
        record.leave()
        wait_until(lambda: p.windows() == [GAME], what="the game window back")
        kept = {"Mybest": {"Time": str(seconds), "Score": "1"}}
        wait_until(lambda: harness.read_settings(p.data_file) == kept, what="the record in data.dat")
        self.assertEqual(p.stderr(), "")

    def test_the_about_window_stays_above_the_menu_after_a_click_on_the_blocked_menu(self):
        # weston in a window of an X server of its own, so that a real pointer can click in it.
        x = harness.XServer(os.path.join(self.workspace.root, "xvfb.log"))
        self.addCleanup(x.stop)
        weston, p = self.start(x.start())
        p.press_named(MENU, "关于我们")
        p.window(ABOUT)
        wait_until(lambda: [view.title for view in weston.windows()] == [ABOUT, MENU],
                   what=lambda: f"the about window above the menu: {weston.windows()}")
        about, menu = (view.rect for view in weston.windows())
        # The menu's banner, where the pointer keeps one shape, less what the about window covers. Qt
        # draws the frame, as wide on the left as on the right.
        client = harness.extents(p.window(MENU))
        left = (menu.width - client.width) // 2
        top = menu.height - client.height - left
        banner = Rect(menu.x + left + 8, menu.y + top, 432, 184)
        spot = next((bx, by) for by in range(banner.y + 10, banner.y + banner.height - 10, 10)
                    for bx in range(banner.x + 10, banner.x + banner.width - 20, 10)
                    if not harness.inside((bx, by), about) and not harness.inside((bx + STEP, by), about))
        cursor = weston.point_at(spot, p.process.pid)
        weston.xdotool("click", "1", "mousemove_relative", str(STEP), "0")
        # weston takes the X server's input in order: once the pointer has moved on, the click was handled.
        moved_on = Rect(cursor.x + STEP, cursor.y, cursor.width, cursor.height)
        wait_until(lambda: weston.cursor(p.process.pid) == moved_on, what="the pointer to move on after the click")
        self.assertEqual([view.title for view in weston.windows()], [ABOUT, MENU])
        self.assertEqual(p.windows(), sorted([ABOUT, MENU]))


STEP = 5


if __name__ == "__main__":
    BINARY, argv = harness.test_main()
    unittest.main(argv=argv, verbosity=2)
