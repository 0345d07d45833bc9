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

# The stage fills the viewport one way, centred both ways, and the page has nothing to scroll.
FITS = """const [w, h] = arguments, r = document.getElementById('stage').getBoundingClientRect();
return document.scrollingElement.scrollWidth === w && document.scrollingElement.scrollHeight === h
  && Math.max(Math.abs(r.left + r.right - w), Math.abs(r.top + r.bottom - h), Math.min(r.left, r.top)) < 0.5;"""
# What a finger can press of each link, box and title bar's close button, as the page finds what is under
# each point: the width and height of the unbroken area through its middle (0 with a hole), and points
# just inside its top and left, for a link's reach above it and a box's to its side.
REACHES = """
const on = (e, x, y) => e.contains(document.elementFromPoint(x, y));
const pressed = document.querySelectorAll('button.ctl:not([inert] *), .titlebar .close:not([inert] *)');
return [...pressed].filter((e) => e.checkVisibility()).map((e) => {
  const r = e.getBoundingClientRect(), x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2, v = [[], []];
  for (let t = -24; t <= 48 + Math.max(r.width, r.height); t += 0.1) {
    if (on(e, r.left + t, y)) v[0].push(r.left + t);
    if (on(e, x, r.top + t)) v[1].push(r.top + t);
  }
  const [l, rt, t, b] = [v[0][0], v[0].at(-1), v[1][0], v[1].at(-1)]; let solid = l !== undefined && t !== undefined;
  for (let i = l; solid && i <= rt; i += 1) for (let j = t; solid && j <= b; j += 1) solid = on(e, i, j);
  return [e.dataset.control || e.closest('[data-window]').dataset.window + ' ✕', solid ? [rt - l + 0.1, b - t + 0.1, [x, Math.ceil(t + 0.05)], [Math.ceil(l + 0.05), y]] : [0, 0]]; });"""


class PhoneAndOffline(page.SiteTest):
    def check(self, b, width, height):
        """Waits for the stage to fit, then every link and box takes a finger; returns their reaches."""
        b.wait(lambda: b.js(FITS, width, height), f"the stage to fit {width} x {height}, centred, with no scrolling")
        reaches = dict(b.js(REACHES))
        self.assertEqual([name for name, (w, h, *_) in reaches.items() if min(w, h) < 24], [], "24 x 24 CSS px")
        return reaches

    def test_held_either_way_and_turned_mid_game_it_fits_and_every_link_and_box_takes_a_finger_at_its_edge(self):
        view = page.GameView(b := self.browser(360, 640))
        b.tap_at(*self.check(b, 360, 640)[layout.control(MENU, "开始游戏")][2])
        b.wait(lambda: b.windows() == [GAME], "the game window")
        b.tap_at(*self.check(b, 360, 640)[game.kStartLink][2])
        b.wait(lambda: not view.shows(game.kStartLink), "a game to start")
        for score, (width, height) in enumerate(((360, 640), (640, 360)), 1):
            b.phone(width, height)
            target, board = view.deal()
            side, name = (3, game.kBoxes[board.index(target)]) if target in board else (2, game.kNoDigitLink)
            b.tap_at(*self.check(b, width, height)[name][side])
            b.wait(lambda: view.score() == str(score), "the tap to score")
        play.to_the_record_window(view, 0)
        self.check(b, 640, 360)

    def test_after_one_visit_the_game_plays_and_keeps_its_record_with_the_server_gone(self):
        server = page.Server(page.site_directory())
        self.addCleanup((b := page.Browser()).close)
        b.open(server.url)
        b.wait(lambda: b.js("return navigator.serviceWorker.controller !== null"), "the page kept for offline play")
        server.close()
        b.open(server.url)
        (view := play.open_game(b)).start_game()
        shown = play.play_to_a_record(view, 1)
        b.open(server.url)
        play.open_game(b).start_game()
        self.assertEqual(view.best(), shown)
        self.assertEqual(b.errors(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
