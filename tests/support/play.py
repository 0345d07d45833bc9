# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The player of the end-to-end tests, the same on the desktop and in the browser.

It sees the program through a screen: the accessibility bus and X input (harness.Screen), or the DOM and
the browser's input (page.Browser). A screen names windows and controls by their layout names and has
windows(), window(w), texts(w, controls) in one look, shown(w, c), click(w, c) and wait(condition, what).
"""

import time

import layout
from layout import names

MENU, GAME, RECORD = names.kMenuWindow, names.kGameWindow, names.kRecordWindow
game, record = names.game, names.record
POLL_SECONDS = 0.02


def wait_until(condition, timeout, what=None, transient=()):
    """Polls condition() until it returns something true, and returns that; a transient error is a "not
    yet". On time-out it names what was awaited (a function is asked then) and the last value or error
    seen, which is usually the whole story."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = condition()
            if last:
                return last
        except transient as error:
            last = error
        if time.monotonic() >= deadline:
            if callable(what):
                what = what()
            name = what or getattr(condition, "__name__", "a condition")
            raise AssertionError(f"waited {timeout:.1f} s for {name}; last seen: {last!r}")
        time.sleep(POLL_SECONDS)


class GameView:
    """The game window as the player reads it and answers it."""

    def __init__(self, screen):
        self.screen = screen

    def window(self):
        return self.screen.window(GAME)

    def text(self, control):
        return self.screen.texts(GAME, [control])[0]

    def clock(self):
        return self.text(game.kClockLabel)

    def score(self):
        return self.text(game.kScoreLabel)

    def target(self):
        return self.text(game.kPromptLabel)

    def best(self):
        return tuple(self.screen.texts(GAME, [game.kBestScoreLabel, game.kBestTimeLabel]))

    def board(self):
        """The texts of boxes 1 to 9."""
        return self.screen.texts(GAME, game.kBoxes)

    def shows(self, control):
        return self.screen.shown(GAME, control)

    def click_box(self, box):
        self.screen.click(GAME, game.kBoxes[box - 1])

    def claim(self):
        """"没有这个数字": none of the boxes holds the target."""
        self.screen.click(GAME, game.kNoDigitLink)

    def deal(self):
        """(target, board) of the deal in play, read until two looks agree: two equal looks in a row
        cannot straddle a new deal, however many calls a look takes."""
        def settled():
            looks = [self.screen.texts(GAME, (game.kPromptLabel,) + game.kBoxes) for _ in range(2)]
            if looks[0] != looks[1] or not all(len(d) == 1 and d in "0123456789" for d in looks[0]):
                return None
            return looks[0][0], looks[0][1:]

        return self.screen.wait(settled, "a whole deal on the board")

    def start_game(self):
        """Starts a game and returns its first deal."""
        def started():
            # Counted from 0 since the click: on a loaded machine the first look may come after a tick.
            clock = self.clock()
            return (not self.shows(game.kStartLink) and self.score() == "0" and clock.endswith("秒")
                    and int(clock[:-1]) <= time.monotonic() - clicked)

        clicked = time.monotonic()
        self.screen.click(GAME, game.kStartLink)
        self.screen.wait(started, lambda: f"a new game to start (start link, clock, score: "
                                          f"{self.shows(game.kStartLink)}, {self.clock()}, {self.score()})")
        return self.deal()

    def answer_right(self):
        """Gives the right answer to the deal on the board; returns that deal once it has scored."""
        target, board = self.deal()
        before = int(self.score())
        if target in board:
            self.click_box(board.index(target) + 1)
        else:
            self.claim()
        self.screen.wait(lambda: self.score() == str(before + 1), f"the score to rise from {before}")
        return target, board

    def lose(self):
        """Clicks a box that does not hold the target. Returns the clock as it read just before."""
        while True:
            target, board = self.deal()
            wrong = [box for box, digit in enumerate(board, 1) if digit != target]
            if wrong:
                break
            # All nine boxes hold the target, a deal like any other: no wrong box to click on it.
            self.answer_right()
        clock = self.clock()
        self.click_box(wrong[0])
        return clock

    def play(self, points):
        """That many right answers in the game in play, then a wrong box; returns lose()'s clock."""
        for _ in range(points):
            self.answer_right()
        return self.lose()


class RecordView:
    """The record window's two values and its way out."""

    def __init__(self, screen):
        self.screen = screen

    def time(self):
        return self.screen.texts(RECORD, [record.kTimeLabel])[0]

    def score(self):
        return self.screen.texts(RECORD, [record.kScoreLabel])[0]

    def leave(self):
        self.screen.click(RECORD, record.kBackButton)
        self.screen.wait(lambda: RECORD not in self.screen.windows(), "the record window to go")


def open_game(screen):
    """From the menu to the game window, alone on the screen; returns its view."""
    screen.click(MENU, layout.control(MENU, "开始游戏"))
    screen.wait(lambda: screen.windows() == [GAME], "the game window in place of the menu")
    return GameView(screen)


def to_the_record_window(view, points):
    """Plays the game in play to a record of that many points; returns the record window, alone on the
    screen."""
    view.play(points)
    view.screen.wait(lambda: view.screen.windows() == [RECORD], "the record window, alone")
    return RecordView(view.screen)


def play_to_a_record(view, points):
    """Plays the game in play to a record of that many points and leaves the record window for the game
    window; returns the (score, time) texts the record window showed."""
    window = to_the_record_window(view, points)
    shown = window.score(), window.time()
    window.leave()
    view.screen.wait(lambda: view.screen.windows() == [GAME], "the game window back")
    return shown
