# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Each of the four windows of Pelindra.exe under Wine, as the screen shows it, against the same window
drawn by the desktop's Qt runtime, by the measure of shots.py; at 100 % and, in a prefix at 192 dots per
inch, at 200 %, where the windows are twice the size and their text is drawn at that size rather than
enlarged."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import numpy  # noqa: E402
from PIL import Image  # noqa: E402

import harness  # noqa: E402
from harness import ABOUT, GAME, MENU, RECORD, layout, play  # noqa: E402
import shots  # noqa: E402

# Text drawn at 200 % has at least this share of the desktop's hard edges there (measured: 0.89 to 1.6 of
# them); the desktop's windows at 100 % enlarged twice with a bilinear filter, as a system enlarges a
# program that cannot draw at its scale, have 0.09 to 0.27 of them.
SHARP_SHARE = 0.75


def hard_edges(image):
    """The share of pixels whose right or lower neighbour differs by more than FAR_LEVELS in brightness:
    the edges of glyphs drawn at the screen's own size."""
    grey = numpy.asarray(image.convert("L"), dtype=numpy.int16)
    steps = [numpy.abs(numpy.diff(grey, axis=axis)) > shots.FAR_LEVELS for axis in (0, 1)]
    return sum(float(s.sum()) for s in steps) / grey.size


class Looks(harness.WineTest):
    def shot(self, screen, window):
        """The window's client area once it has settled: two shots alike, the pointer off it."""
        screen.park_pointer(window)
        client = screen.client(window)
        last = [None]

        def settled():
            now = self.wine.screenshot(client)
            same, last[0] = now.tobytes() == (last[0].tobytes() if last[0] else None), now
            return now if same else None

        return screen.wait(settled, f"the {window} to settle")

    def wine_windows(self):
        _, screen = self.start(self.install("looks"))
        found = {MENU: self.shot(screen, MENU)}
        view = play.open_game(screen)
        found[GAME] = self.shot(screen, GAME)
        view.start_game()
        window = play.to_the_record_window(view, 1)
        record = window.score(), play.seconds_of(window.time())
        found[RECORD] = self.shot(screen, RECORD)
        window.leave()
        screen.click(GAME, play.game.kBackLink)
        screen.click(MENU, layout.control(MENU, "关于我们"))
        credits = layout.control(ABOUT, "关于信息")
        screen.wait(lambda: screen.element(ABOUT, credits)["location"][1] - screen.client(ABOUT).y
                    == shots.CREDITS_END * self.scale, "the credits to stop", 20)
        found[ABOUT] = self.shot(screen, ABOUT)
        return found, record

    def test_every_window_matches_the_desktops(self):
        wine, self.record = self.wine_windows()
        desktop = shots.desktop_windows(self.workspace.directory("desktop"), *self.record, self.scale)
        for name in shots.WINDOWS:
            mean, far = shots.difference(wine[name], desktop[name])
            print(f"{name} at {self.scale * 100} %: Wine {wine[name].size} desktop {desktop[name].size}: mean "
                  f"difference {mean:.2f} levels, {far * 100:.2f} % of pixels more than {shots.FAR_LEVELS} levels "
                  f"apart", file=sys.stderr)
            with self.subTest(name):
                self.assertTrue(shots.matches(mean, far), f"{mean:.2f} levels, {far * 100:.2f} %")
        if self.scale > 1:
            self.check_sharpness(wine, desktop)

    def check_sharpness(self, wine, desktop):
        small = shots.desktop_windows(self.workspace.directory("desktop-100"), *self.record, 1)
        for name in shots.WINDOWS:
            size = (0, 0) + wine[name].size
            bar = SHARP_SHARE * hard_edges(desktop[name].crop(size))
            enlarged = small[name].resize((small[name].width * 2, small[name].height * 2), Image.BILINEAR)
            print(f"{name} at 200 %: hard edges {hard_edges(wine[name]):.4f}, the desktop's {bar / SHARP_SHARE:.4f}, "
                  f"the desktop's at 100 % enlarged {hard_edges(enlarged.crop(size)):.4f}", file=sys.stderr)
            with self.subTest(name):
                self.assertGreater(hard_edges(wine[name]), bar)
                self.assertLess(hard_edges(enlarged.crop(size)), bar, "the measure sees an enlargement")


class LooksAt200(Looks):
    scale = 2


if __name__ == "__main__":
    unittest.main(argv=harness.test_main(), verbosity=2)
