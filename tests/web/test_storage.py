# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""localStorage that throws, and two tabs at once: the game stays playable, the record lives on for
the session, one console warning says so, and a higher record in storage is never replaced. A record
on screen survives a reload, and storage holds bytes, whatever an older page left there."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import page  # noqa: E402
from page import play  # noqa: E402

# Storage switched off, as a browser does for a page whose site may keep no data.
DISABLED = """
Object.defineProperty(window, 'localStorage', {
  get() { throw new DOMException('The operation is insecure.', 'SecurityError'); } });
"""
# Storage that can be read but is full.
FULL = """
Storage.prototype.setItem = function () {
  throw new DOMException('The quota has been exceeded.', 'QuotaExceededError'); };
"""


def warning(reason):
    return ("pelindra: could not save the best record to localStorage/data.dat: the browser's storage "
            f"refused it ({reason}); it is kept only while the program runs")


class Storage(page.SiteTest):
    def in_game(self, before=""):
        b = self.browser(before=before)
        return b, play.open_game(b)

    def reach_record(self, view, points):
        """A game of that many points, lost on a wrong box, as far as its record window; returns the
        window's texts."""
        view.start_game()
        window = play.to_the_record_window(view, points)
        return window.score(), window.time()

    def record(self, view, points):
        """A game of that many points, lost on a wrong box; returns the record window's texts."""
        view.start_game()
        return play.play_to_a_record(view, points)

    def test_storage_that_throws_leaves_the_game_playable_with_one_warning(self):
        unread = ("pelindra: could not read the best record from localStorage/data.dat: the browser's storage "
                  "refused it (SecurityError)")
        for name, before, reason, at_start in (("disabled", DISABLED, "SecurityError", [unread]),
                                               ("full", FULL, "QuotaExceededError", [])):
            with self.subTest(name):
                b, view = self.in_game(before)
                self.assertEqual(b.warnings(), at_start, "nothing more to say until a record cannot be kept")
                score, time = self.record(view, 1)
                self.assertEqual(view.best(), (score, time), "kept for the session")
                self.assertEqual(b.warnings(), at_start + [warning(reason)])
                score, time = self.record(view, 2)
                self.assertEqual(view.best(), (score, time))
                self.assertEqual(b.warnings(), at_start + [warning(reason)], "said once")
                self.assertEqual(b.errors(), [], "nothing thrown to the page")

    def test_a_reload_while_the_record_window_is_up_keeps_the_record(self):
        b, view = self.in_game()
        score, time = self.reach_record(view, 2)
        b.open(self.server.url)
        view = play.open_game(b)
        view.start_game()
        self.assertEqual(view.best(), (score, time))
        self.assertEqual(b.storage(), f"[Mybest]\r\nTime={time[:-1]}\r\nScore={score}\r\n")

    def test_an_old_pages_record_moves_to_its_key_and_its_text_is_then_kept_as_its_utf8(self):
        note = "; 我的最好成绩\r\n"
        old = note + "[Mybest]\r\nTime=0\r\nScore=0\r\n"
        b, view = self.in_game()
        b.store(old, key="data.dat")
        b.js("window.localStorage.removeItem(arguments[0])", page.KEY)  # as the earlier page left it
        b.open(self.server.url)
        view = play.open_game(b)
        self.assertEqual((b.storage(), b.storage("data.dat")), (old, None), "moved once, as it was")
        for points in (1, 2):
            score, time = self.record(view, points)
            self.assertEqual(b.stored_bytes(), f"{note}[Mybest]\r\nTime={time[:-1]}\r\nScore={score}\r\n".encode())

    def test_two_tabs_are_two_copies_and_the_higher_record_stays(self):
        b, first = self.in_game()
        tabs = [b.tab]
        tabs.append(b.new_tab())
        b.open(self.server.url)
        second = play.open_game(b)

        b.switch_tab(tabs[0])
        self.record(first, 3)
        stored = b.storage()
        self.assertIn("Score=3", stored)

        # The second tab read its best before the first one saved: 1 point beats the 0 it knows.
        b.switch_tab(tabs[1])
        self.record(second, 1)
        self.assertEqual(b.storage(), stored, "a lower record never replaces a higher one")
        self.assertEqual(second.best()[0], "3", "the labels show what storage holds")
        self.assertEqual(b.errors(), [])
        b.switch_tab(tabs[0])
        self.assertEqual(b.errors(), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
