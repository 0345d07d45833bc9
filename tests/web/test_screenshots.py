# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Each of the four windows in the browser against the same window drawn by the desktop's Qt runtime.

The measure, over the client area both have, from its top left corner, after a 3 x 3 box blur of
both pictures:
  - the mean difference of the colour channels, in levels of 0 to 255: below 6;
  - the share of pixels that differ by more than 64 levels in some channel: below 3 %.
Two renderers draw the same glyphs with different anti-aliasing and hinting, and scale the pictures
with different filters; the blur takes away most of that single-pixel noise, and what is left stays
below the thresholds. A window whose contents are out of place by two pixels crosses one of them, and
the second test shows that it does."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import numpy
from PIL import Image, ImageFilter

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import page  # noqa: E402
from page import ABOUT, GAME, MENU, RECORD, game, layout, play  # noqa: E402

MEAN_LEVELS = 6.0
FAR_SHARE = 0.03
FAR_LEVELS = 64
CREDITS_END = -118


def difference(web, desktop):
    width, height = min(web.width, desktop.width), min(web.height, desktop.height)

    def pixels(image):
        cut = image.convert("RGB").crop((0, 0, width, height)).filter(ImageFilter.BoxBlur(1))
        return numpy.asarray(cut, dtype=numpy.int16)

    a, b = pixels(web), pixels(desktop)
    diff = numpy.abs(a - b)
    return float(diff.mean()), float((diff.max(axis=2) > FAR_LEVELS).mean())


def shift(image, dx, dy):
    """The same picture moved by a few pixels, for the measure's own check."""
    moved = Image.new("RGB", image.size)
    moved.paste(image.convert("RGB"), (dx, dy))
    return moved


class Screenshots(page.SiteTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.work = tempfile.mkdtemp(prefix="pelindra-shots-")

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        shutil.rmtree(cls.work, ignore_errors=True)

    def client(self, b, window):
        return b.element(f'[data-window="{window}"] .client').screenshot()

    def web_windows(self):
        b = self.browser(width=900, height=800)
        b.park_pointer()
        shots = {MENU: self.client(b, MENU)}
        view = play.open_game(b)
        shots[GAME] = self.client(b, GAME)
        view.start_game()
        window = play.to_the_record_window(view, 1)
        record = window.score(), window.time()[:-1]
        shots[RECORD] = self.client(b, RECORD)
        window.leave()
        b.click(GAME, game.kBackLink)
        b.click(MENU, layout.control(MENU, "关于我们"))
        credits = layout.control(ABOUT, "关于信息")
        b.wait(lambda: b.js("return arguments[0].style.top", b.control(ABOUT, credits)) == f"{CREDITS_END}px",
               "the credits to stop", timeout=15)
        shots[ABOUT] = self.client(b, ABOUT)
        self.assertEqual(b.errors(), [])
        return shots, record

    def desktop_windows(self, score, seconds):
        # It keeps its data file among the pictures it makes.
        program = os.environ["PELINDRA_DESKTOP_SHOTS"]
        env = {"PATH": "/usr/bin:/bin", "HOME": self.work, "XDG_RUNTIME_DIR": self.work, "LANG": "C.UTF-8",
               "QT_QPA_PLATFORM": "offscreen"}
        os.chmod(self.work, 0o700)
        subprocess.run([program, self.work, score, seconds, str(CREDITS_END)], env=env, check=True,
                       capture_output=True, timeout=60)
        shots = {}
        for name in (MENU, GAME, RECORD, ABOUT):
            with Image.open(os.path.join(self.work, f"{name}.png")) as image:
                shots[name] = image.convert("RGB")
        return shots

    def test_every_window_matches_the_desktops(self):
        web, (score, seconds) = self.web_windows()
        desktop = self.desktop_windows(score, seconds)
        out = os.environ.get("PELINDRA_SHOTS_OUT")
        for name in (MENU, GAME, RECORD, ABOUT):
            mean, far = difference(web[name], desktop[name])
            print(f"{name}: web {web[name].size} desktop {desktop[name].size}: mean difference {mean:.2f} "
                  f"levels, {far * 100:.2f} % of pixels more than {FAR_LEVELS} levels apart", file=sys.stderr)
            if out:
                web[name].save(os.path.join(out, f"web-{name}.png"))
                desktop[name].save(os.path.join(out, f"desktop-{name}.png"))
            with self.subTest(name):
                self.assertLess(mean, MEAN_LEVELS)
                self.assertLess(far, FAR_SHARE)

    def test_the_measure_sees_a_window_out_of_place_by_two_pixels(self):
        desktop = self.desktop_windows("1", "1")
        for name in (MENU, GAME, RECORD, ABOUT):
            mean, far = difference(shift(desktop[name], 2, 2), desktop[name])
            with self.subTest(name):
                self.assertTrue(mean > MEAN_LEVELS or far > FAR_SHARE, f"{mean:.2f} levels, {far * 100:.2f} %")


if __name__ == "__main__":
    unittest.main(verbosity=2)
