# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A phone held either way up, played by taps; and a second visit with the server gone."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import page  # noqa: E402
from page import GAME, MENU, game, layout, play  # noqa: E402

FINGER = 24  # CSS px each way
# What a finger can press of each link and box on the screen, found by asking the page what is under
# each point: [control, left, right, top, bottom] of the unbroken area through its middle, or null.
REACHES = """
const on = (e, x, y) => e.contains(document.elementFromPoint(x, y));
const live = (e) => e.checkVisibility() && !e.closest('[inert]');
return [...document.querySelectorAll('button.ctl')].filter(live).map((e) => {
  const r = e.getBoundingClientRect(), x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2, v = [[], []];
  for (let t = -24; t <= 48 + Math.max(r.width, r.height); t += 0.1) {
    if (on(e, r.left + t, y)) v[0].push(r.left + t);
    if (on(e, x, r.top + t)) v[1].push(r.top + t);
  }
  const [l, rt, t, b] = [v[0][0], v[0].at(-1), v[1][0], v[1].at(-1)];
  let solid = l !== undefined && t !== undefined;
  for (let i = l; solid && i <= rt; i += 1) for (let j = t; solid && j <= b; j += 1) solid = on(e, i, j);
  return [e.dataset.control, solid ? [l, rt + 0.1, t, b + 0.1] : null]; });"""
PLAY = layout.control(MENU, "开始游戏")


class Phone(page.SiteTest):
    def check(self, b, width, height):
        """The stage fits the viewport, centred, nothing scrolls, and every link and box takes a finger;
        returns what a finger can press of each, [left, right, top, bottom], by control."""
        box = b.js("const r = document.getElementById('stage').getBoundingClientRect(), s = document.scrollingElement;"
                   "return [r.left, r.right, r.top, r.bottom, s.scrollWidth, s.scrollHeight]")
        self.assertAlmostEqual(box[0], width - box[1], delta=0.5)
        self.assertAlmostEqual(box[2], height - box[3], delta=0.5)
        self.assertLess(min(box[0], box[2]), 0.5, "the stage fills the viewport one way")
        self.assertEqual(box[4:], [width, height], "the page cannot scroll")
        reaches = dict(b.js(REACHES))
        for name, reach in reaches.items():
            self.assertIsNotNone(reach, f"{name}: a hole in what a finger can press")
            self.assertGreaterEqual(min(reach[1] - reach[0], reach[3] - reach[2]), FINGER, name)
        return reaches

    def test_held_either_way_the_game_fits_and_every_link_and_box_takes_a_finger_at_its_edge(self):
        # Just inside the top edge, or the left, of what a finger can press, beyond what is drawn.
        top = lambda b, r: b.tap((r[0] + r[1]) / 2, r[2] + 0.3)  # noqa: E731
        left = lambda b, r: b.tap(r[0] + 0.3, (r[2] + r[3]) / 2)  # noqa: E731
        for width, height in ((360, 640), (640, 360)):
            with self.subTest(f"{width} x {height}"):
                b = page.Browser()
                self.addCleanup(b.close)
                b.phone(width, height)
                b.open(self.server.url)
                view = page.GameView(b)
                top(b, self.check(b, width, height)[PLAY])
                b.wait(lambda: b.windows() == [GAME], "the game window")
                top(b, self.check(b, width, height)[game.kStartLink])
                b.wait(lambda: not view.shows(game.kStartLink), "a game to start")
                target, board = view.deal()
                tap, name = (left, game.kBoxes[board.index(target)]) if target in board else (top, game.kNoDigitLink)
                tap(b, self.check(b, width, height)[name])
                b.wait(lambda: view.score() == "1", "the tap to score")
                play.to_the_record_window(view, 0)
                self.check(b, width, height)
                self.assertEqual(b.errors(), [])


class Offline(unittest.TestCase):
    def test_after_one_visit_the_game_plays_and_keeps_its_record_with_the_server_gone(self):
        server = page.Server(page.site_directory())
        self.addCleanup(server.close)
        b = page.Browser()
        self.addCleanup(b.close)
        b.open(server.url)
        b.wait(lambda: b.js("return navigator.serviceWorker.controller !== null"), "the page kept for offline play")
        server.close()
        b.open(server.url)
        view = play.open_game(b)
        view.start_game()
        score, time = play.play_to_a_record(view, 1)
        b.open(server.url)
        view = play.open_game(b)
        view.start_game()
        self.assertEqual(view.best(), (score, time))
        self.assertEqual(b.errors(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
