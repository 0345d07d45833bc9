# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The data.dat files that the program did not write, from the corpus in tests/e2e/hostile and a few made
here, each with what a game must show of it and what the file must hold once a record is written over
it: on the desktop and in the Windows program alike."""

import os
from dataclasses import dataclass
from typing import Callable, Optional

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e", "hostile")

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


def values(score, seconds, keys=(b"Score", b"Time")):
    """A rewrite in place of the Score and Time items that the file holds as these bytes."""
    s, t = keys
    return lambda old: replaced(old, (s + b"=" + score, s + b"=%(s)d"), (t + b"=" + seconds, t + b"=%(t)d"))


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
         values(b"2", b"9")(ten_mebibytes())),
    plain("no-section.dat", ("", "秒"), lambda old: appended(old, b"\r\n")),
    # The first section and the first item of a name count; the others stay as they were.
    plain("duplicate-sections.dat", ("1", "4秒"), values(b"1", b"4")),
    plain("duplicate-items.dat", ("2", "3秒"), values(b"2", b"3")),
    plain("score-abc.dat", ("abc", "7秒"), values(b"abc", b"7")),
    # Saturates at the largest 32-bit number: no game can beat it, and nothing is written.
    plain("score-huge.dat", ("99999999999999999999", "9秒"), None),
    # Any game beats a negative best, one without a single point too.
    plain("score-negative.dat", ("-5", "3秒"), values(b"-5", b"3"), points=0),
    plain("score-blanks.dat", ("7", "12秒"),
          lambda old: replaced(old, (b"Score= 7 ", b"Score= %(s)d "), (b"Time= 12 ", b"Time= %(t)d ")),
          points=8),
    plain("cr-only.dat", ("1", "2秒"), values(b"1", b"2")),
    # Read as bytes, UTF-16 holds no section of that name; the record goes after it, the text stays.
    plain("utf16.dat", ("", "秒"), lambda old: appended(old, b"\r")),
    plain("gbk-elsewhere.dat", ("1", "2秒"), values(b"1", b"2")),
    plain("bom-any-case.dat", ("1", "2秒"), values(b"1", b"2", (b"score", b"time"))),
    plain("lf-only.dat", ("1", "2秒"), values(b"1", b"2")),
    plain("comments.dat", ("1", "2秒"), values(b"1", b"2")),
    plain("no-time.dat", ("1", "秒"), lambda old: lambda s, t: b"[Mybest]\r\nScore=%d\r\nTime=%d\r\n" % (s, t)),
    # Read values stop at 255 bytes; the whole stored value is what a rewrite replaces.
    plain("overlong-value.dat", ("1" + "x" * 254, "2秒"), values(b"1" + b"x" * 300, b"2")),
    plain("unterminated.dat", ("1", "2秒"), values(b"1", b"2")),
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
