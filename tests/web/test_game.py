# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Games in the page: every kind of answer, a record and when it is stored, a reload, and the
desktop's hostile data files in localStorage."""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import page  # noqa: E402
from page import GAME, RECORD, game, layout, record  # noqa: E402

FIRST_RUN = "[Mybest]\r\nTime=0\r\nScore=0\r\n"
SHOW_OFF = layout.control(RECORD, "炫耀")
HOSTILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e", "hostile")

# The best labels the desktop shows once a game starts, for each file of its hostile corpus; None
# where its accessibility bus cannot carry the text (NUL bytes).
DESKTOP_LABELS = {
    "junk.dat": ("", "秒"),
    "nuls.dat": None,
    "no-section.dat": ("", "秒"),
    "duplicate-sections.dat": ("1", "4秒"),
    "duplicate-items.dat": ("2", "3秒"),
    "score-abc.dat": ("abc", "7秒"),
    "score-huge.dat": ("99999999999999999999", "9秒"),
    "score-negative.dat": ("-5", "3秒"),
    "score-blanks.dat": ("7", "12秒"),
    "cr-only.dat": ("1", "2秒"),
    "utf16.dat": ("", "秒"),
    "gbk-elsewhere.dat": ("1", "2秒"),
    "bom-any-case.dat": ("1", "2秒"),
    "lf-only.dat": ("1", "2秒"),
    "comments.dat": ("1", "2秒"),
    "no-time.dat": ("1", "秒"),
    "overlong-value.dat": ("1" + "x" * 254, "2秒"),
    "unterminated.dat": ("1", "2秒"),
    "items-before-section.dat": ("", "2秒"),
}


class Games(page.SiteTest):
    def setUp(self):
        self.b = self.browser()
        self.view = page.GameView(self.b)

    def tearDown(self):
        self.assertEqual(self.b.errors(), [])
        self.assertEqual(self.b.warnings(), [])

    def open_game(self):
        page.play.open_game(self.b)

    def test_every_kind_of_answer_then_a_record_stored_only_after_back(self):
        b, view = self.b, self.view
        self.assertEqual(b.storage(), FIRST_RUN, "made while the menu was being built")
        self.open_game()
        view.start_game()
        page.play.every_kind_of_answer(view, self)
        # Two more, so that the record beats the zero on file, and the hit mark is up as the game ends.
        view.answer_right()
        while view.target() not in view.board():
            view.answer_right()
        target, board = view.deal()
        view.click_box(board.index(target) + 1)
        score = view.score()
        clock = view.clock()
        view.lose()
        b.wait(lambda: b.windows() == [RECORD], "the record window, alone")
        self.assertEqual(b.text(RECORD, record.kScoreLabel), score)
        self.assertIn(b.text(RECORD, record.kTimeLabel), (clock, f"{int(clock[:-1]) + 1}秒"))
        seconds = b.text(RECORD, record.kTimeLabel)[:-1]
        self.assertEqual(view.board(), [""] * 9)
        # The game window's timers go on beneath the modal window: its hit mark goes after 1 s.
        b.wait(lambda: b.js("return arguments[0].hidden", b.control(GAME, game.kHitMark)), "the hit mark to go")
        self.assertEqual(b.storage(), FIRST_RUN, "nothing is stored while the record window is open")
        b.click(RECORD, SHOW_OFF)  # does nothing
        self.assertEqual(b.windows(), [RECORD])
        b.click(RECORD, record.kBackButton)
        b.wait(lambda: b.windows() == [GAME], "the game window back")
        self.assertEqual(b.storage(), f"[Mybest]\r\nTime={seconds}\r\nScore={score}\r\n")
        self.assertEqual(view.best(), (score, f"{seconds}秒"))
        self.assertTrue(view.shows(game.kGameOverNotice), "游戏结束")
        self.assertTrue(view.shows(game.kStartLink), "the start link")
        self.assertEqual(view.target(), "0")

    def test_a_reload_shows_the_stored_record_once_a_game_starts(self):
        b, view = self.b, self.view
        b.store("[Mybest]\r\nScore=7\r\nTime=15\r\n")
        b.open(self.server.url)
        self.open_game()
        self.assertEqual(view.best(), ("0", "0秒"), "the game window was built before the record was read")
        view.start_game()
        self.assertEqual(view.best(), ("7", "15秒"))
        self.assertEqual(b.storage(), "[Mybest]\r\nScore=7\r\nTime=15\r\n", "read, not written")

    def test_the_desktops_hostile_files_load_without_error_and_show_the_desktops_labels(self):
        b, view = self.b, self.view
        corpus = sorted(os.listdir(HOSTILE))
        self.assertEqual(sorted(DESKTOP_LABELS), corpus, "every file of the corpus has its labels here")
        for name in corpus:
            with self.subTest(name), open(os.path.join(HOSTILE, name), "rb") as f:
                stored = f.read()
                b.store(stored.decode("latin-1"))
                b.open(self.server.url)
                self.open_game()
                view.start_game()
                if DESKTOP_LABELS[name] is not None:
                    self.assertEqual(view.best(), DESKTOP_LABELS[name])
                self.assertEqual(b.stored_bytes(), stored, "the same bytes, untouched by reading")
                self.assertEqual(b.errors(), [])

    def test_a_game_played_by_keys_alone_reads_in_order_with_the_digit_to_press_live(self):
        page.play.play_by_keys(self.b, self)


if __name__ == "__main__":
    unittest.main(verbosity=2)
