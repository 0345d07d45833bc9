# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program handed a data.dat it did not write: it has to start, show the menu, read what can
be read, and write a new record over the file without losing anything else that was in it."""

import os
import shutil
import sys
import unittest
from dataclasses import dataclass
from typing import Callable, Optional

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import GAME, MENU, game, play, wait_until  # noqa: E402

BINARY = None
HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "hostile")

# A game that beats any readable best below 3: three right answers, then a wrong box.
POINTS = 3


def replaced(old, *pairs):
    """The stored bytes with the given values rewritten in place: pairs of (before, format)."""
    def after(score, seconds):
        new = old
        for before, pattern in pairs:
            new = new.replace(before, pattern % {b"s": score, b"t": seconds}, 1)
        return new
    return after


def line_ending(data):
    """The line ending a file already uses: that of its first line, CR LF for a file with none."""
    at = min((i for i in (data.find(b"\r"), data.find(b"\n")) if i >= 0), default=-1)
    if at < 0:
        return b"\r\n"
    if data[at:at + 1] == b"\n":
        return b"\n"
    return b"\r\n" if data[at + 1:at + 2] == b"\n" else b"\r"


def appended(old, eol):
    """The stored bytes, then a new section at their end in the file's own line ending."""
    def after(score, seconds):
        head = old if old.endswith((b"\r", b"\n")) or not old else old + eol
        return head + b"[Mybest]" + eol + b"Score=%d" % score + eol + b"Time=%d" % seconds + eol
    return after


def fresh(score, seconds):
    """A file the program made itself on this run, then rewrote with the record."""
    return b"[Mybest]\r\nTime=%d\r\nScore=%d\r\n" % (seconds, score)


def corpus(name):
    with open(os.path.join(CORPUS, name), "rb") as f:
        return f.read()


def ten_mebibytes():
    filler = b"k=" + b"v" * 30 + b"\r\n"
    return b"[Other]\r\n" + filler * (10 * 1024 * 1024 // len(filler)) + b"[Mybest]\r\nScore=2\r\nTime=9\r\n"


@dataclass
class Case:
    name: str
    stored: Optional[bytes]  # what data.dat holds; None where the case builds something else
    best: Optional[tuple]  # the best labels once a game starts; None where the bus cannot tell
    after: Optional[Callable]  # (score, seconds) -> the file's bytes after the record; None: no record
    points: int = POINTS
    where: str = "beside"  # where the record ends up: beside the program, or in the user's data
    special: str = ""  # "directory", "dangling", "link": data.dat is not a plain file


def plain(name, best, after, **more):
    stored = corpus(name)
    return Case(name, stored, best, after(stored) if after else None, **more)


CASES = [
    Case("empty file", b"", ("", "秒"), lambda s, t: b"[Mybest]\r\nScore=%d\r\nTime=%d\r\n" % (s, t)),
    plain("junk.dat", ("", "秒"), lambda old: appended(old, line_ending(old))),
    # NUL bytes are no digits: the score reads as 0.
    plain("nuls.dat", None, lambda old: replaced(old, (b"\0\0\0", b"%(s)d"), (b"5\0", b"%(t)d"))),
    Case("10 MiB file", ten_mebibytes(), ("2", "9秒"),
         replaced(ten_mebibytes(), (b"Score=2", b"Score=%(s)d"), (b"Time=9", b"Time=%(t)d"))),
    plain("no-section.dat", ("", "秒"), lambda old: appended(old, b"\r\n")),
    # The first section and the first item of a name count; the others stay as they were.
    plain("duplicate-sections.dat", ("1", "4秒"),
          lambda old: replaced(old, (b"Score=1", b"Score=%(s)d"), (b"Time=4", b"Time=%(t)d"))),
    plain("duplicate-items.dat", ("2", "3秒"),
          lambda old: replaced(old, (b"Score=2", b"Score=%(s)d"), (b"Time=3", b"Time=%(t)d"))),
    plain("score-abc.dat", ("abc", "7秒"),
          lambda old: replaced(old, (b"Score=abc", b"Score=%(s)d"), (b"Time=7", b"Time=%(t)d"))),
    # Saturates at the largest 32-bit number: no game can beat it, and nothing is written.
    plain("score-huge.dat", ("99999999999999999999", "9秒"), None),
    # Any game beats a negative best, one without a single point too.
    plain("score-negative.dat", ("-5", "3秒"),
          lambda old: replaced(old, (b"Score=-5", b"Score=%(s)d"), (b"Time=3", b"Time=%(t)d")), points=0),
    plain("score-blanks.dat", ("7", "12秒"),
          lambda old: replaced(old, (b"Score= 7 ", b"Score= %(s)d "), (b"Time= 12 ", b"Time= %(t)d ")),
          points=8),
    plain("cr-only.dat", ("1", "2秒"),
          lambda old: replaced(old, (b"Score=1", b"Score=%(s)d"), (b"Time=2", b"Time=%(t)d"))),
    # Read as bytes, UTF-16 holds no section of that name; the record goes after it, the text stays.
    plain("utf16.dat", ("", "秒"), lambda old: appended(old, b"\r")),
    plain("gbk-elsewhere.dat", ("1", "2秒"),
          lambda old: replaced(old, (b"Score=1", b"Score=%(s)d"), (b"Time=2", b"Time=%(t)d"))),
    plain("bom-any-case.dat", ("1", "2秒"),
          lambda old: replaced(old, (b"score=1", b"score=%(s)d"), (b"time=2", b"time=%(t)d"))),
    plain("lf-only.dat", ("1", "2秒"),
          lambda old: replaced(old, (b"Score=1", b"Score=%(s)d"), (b"Time=2", b"Time=%(t)d"))),
    plain("comments.dat", ("1", "2秒"),
          lambda old: replaced(old, (b"Score=1", b"Score=%(s)d"), (b"Time=2", b"Time=%(t)d"))),
    plain("no-time.dat", ("1", "秒"), lambda old: lambda s, t: b"[Mybest]\r\nScore=%d\r\nTime=%d\r\n" % (s, t)),
    # Read values stop at 255 bytes; the whole stored value is what a rewrite replaces.
    plain("overlong-value.dat", ("1" + "x" * 254, "2秒"),
          lambda old: replaced(old, (b"Score=1" + b"x" * 300, b"Score=%(s)d"), (b"Time=2", b"Time=%(t)d"))),
    plain("unterminated.dat", ("1", "2秒"),
          lambda old: replaced(old, (b"Score=1", b"Score=%(s)d"), (b"Time=2", b"Time=%(t)d"))),
    # Items before the first section belong to none.
    plain("items-before-section.dat", ("", "2秒"),
          lambda old: lambda s, t: b"Score=9\r\nTime=9\r\n[Mybest]\r\nTime=%d\r\nScore=%d\r\n" % (t, s)),
    # A directory cannot be replaced: the record moves to the user's data directory.
    Case("data.dat is a directory", None, ("0", "0秒"), fresh, where="data", special="directory"),
    # A link to nothing is not followed, nor replaced: the record goes to the user's data directory.
    Case("dangling symlink", None, ("0", "0秒"), fresh, where="data", special="dangling"),
    # A link to a file elsewhere is written through and stays a link.
    Case("symlink to a file", b"[Mybest]\r\nScore=1\r\nTime=2\r\n", ("1", "2秒"),
         lambda s, t: b"[Mybest]\r\nScore=%d\r\nTime=%d\r\n" % (s, t), where="link target", special="link"),
]


class HostileFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.workspace = harness.Workspace()
        cls.x = harness.XServer(os.path.join(cls.workspace.root, "xvfb.log"))
        cls.x.start()

    @classmethod
    def tearDownClass(cls):
        cls.x.stop()
        cls.workspace.remove()

    def test_every_file_is_survived_read_as_far_as_it_can_be_and_kept_when_a_record_is_written(self):
        self.assertGreaterEqual(len(CASES) + 1, 20, "the corpus and the unreadable file below")
        for number, case in enumerate(CASES):
            with self.subTest(case.name):
                self.run_case(number, case)

    def run_case(self, number, case):
        executable = self.workspace.install(BINARY, f"program-{number}")
        directory = os.path.dirname(executable)
        data = os.path.join(directory, "data.dat")
        elsewhere = os.path.join(self.workspace.directory(f"elsewhere-{number}", 0o755), "real.dat")
        if case.special == "directory":
            os.mkdir(data)
        elif case.special == "dangling":
            os.symlink(os.path.join(directory, "gone", "data.dat"), data)
        elif case.special == "link":
            with open(elsewhere, "wb") as f:
                f.write(case.stored)
            os.symlink(elsewhere, data)
        else:
            with open(data, "wb") as f:
                f.write(case.stored)

        home = self.workspace.directory(f"home-{number}")
        program = harness.Program(executable, self.x.display, self.workspace, home=home)
        program.start()
        try:
            program.window(MENU, harness.STARTUP_TIMEOUT)
            view = play.open_game(harness.Screen(program))
            self.assertEqual(view.best(), ("0", "0秒"), "the stored record shows only from the first game")
            view.start_game()
            if case.best is not None:
                self.assertEqual(view.best(), case.best)
            kept = {"beside": data, "data": os.path.join(home, "data", "Pelindra", "data.dat"),
                    "link target": elsewhere}[case.where]
            before = harness.read_bytes(kept)
            score, seconds = self.play(program, view, case.points, expect_record=case.after is not None)
            if case.after is None:
                self.assertEqual(harness.read_bytes(kept), before, "no record, no write")
            else:
                wait_until(lambda: harness.read_bytes(kept) == case.after(score, seconds),
                           what=f"the record {score} at {seconds} s in {kept}")
            if case.special == "directory":
                self.assertTrue(os.path.isdir(data))
            if case.special in ("dangling", "link"):
                self.assertTrue(os.path.islink(data))
            program.close_window(GAME)
            self.assertEqual(program.wait_exit(), 0)
        finally:
            program.stop()

    def play(self, program, view, points, expect_record):
        if not expect_record:
            view.play(points)
            wait_until(lambda: view.shows(game.kGameOverNotice), what="the game over")
            self.assertEqual(program.windows(), [GAME], "no record window")
            return None, None
        score, time = play.play_to_a_record(view, points)
        self.assertEqual(int(score), points)
        return int(score), harness.seconds_of(time)


class UnreadableFile(unittest.TestCase):
    """A data.dat its player may not read is left alone, and the record kept in their data directory."""

    def test_an_unreadable_file_is_left_alone_and_the_record_kept_in_the_users_data(self):
        workspace = harness.Workspace()
        self.addCleanup(workspace.remove)
        executable = workspace.install(BINARY)
        directory = os.path.dirname(executable)
        # The directory takes the player's files; the file itself is closed to them.
        shutil.chown(directory, *harness.user_ids(*harness.NOBODY))
        data = os.path.join(directory, "data.dat")
        secret = b"[Secret]\r\nA=1\r\n[Mybest]\r\nScore=5\r\nTime=5\r\n"
        with open(data, "wb") as f:
            f.write(secret)
        os.chmod(data, 0o600)
        player = harness.NobodyPlayer(workspace)

        code, record, log = player.play(executable, "record")
        self.assertEqual(code, 0, f"the player failed:\n{log}")
        self.assertEqual(record["exit"], 0)
        self.assertEqual(harness.read_bytes(data), secret)
        score, seconds = int(record["score"]), harness.seconds_of(record["time"])
        self.assertEqual(harness.read_bytes(player.kept_record), fresh(score, seconds))


if __name__ == "__main__":
    BINARY, argv = harness.test_main()
    unittest.main(argv=argv, verbosity=2)
