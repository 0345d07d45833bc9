# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Each of the four windows in the browser against the same window drawn by the desktop's Qt runtime,
by the measure and thresholds of shots.py; the second test shows that the measure sees a window whose
contents are out of place by two pixels."""

import os
import shutil
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import page  # noqa: E402
from page import ABOUT, GAME, MENU, RECORD, game, layout, play  # noqa: E402
from shots import CREDITS_END, FAR_LEVELS, FAR_SHARE, MEAN_LEVELS, desktop_windows, difference, shift  # noqa: E402


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
        return desktop_windows(self.work, score, seconds)

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
