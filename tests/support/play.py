# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The player of the end-to-end tests, the same on the desktop and in the browser.

It sees the program through a screen: the accessibility bus and X input (harness.Screen), or the DOM and
the browser's input (page.Browser). A screen names windows and controls by their layout names and has
windows(), window(w), texts(w, controls) in one look, shown(w, c), click(w, c) and wait(condition, what).
For the keyboard and screen readers it also has key(name), a key pressed and released by its xdotool name,
keyboard(w), the control of window w that has the keyboard or None, and reading(w), what a screen reader
reads of window w in order: (kind, name, control), the window first, kind one of "window", "button",
"text" and "live" (a region whose changes are spoken).
"""

import time

import layout
from layout import names

MENU, GAME, RECORD, ABOUT = names.kMenuWindow, names.kGameWindow, names.kRecordWindow, names.kAboutWindow
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


def seconds_of(clock_text):
    """The number in a clock text such as "12秒"."""
    if not clock_text.endswith("秒"):
        raise AssertionError(f"{clock_text!r} is no clock text")
    return int(clock_text.removesuffix("秒"))


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
        clicked = time.monotonic()
        self.screen.click(GAME, game.kStartLink)
        self.screen.wait(lambda: self.started_since(clicked),
                         lambda: f"a new game to start (start link, clock, score: "
                                 f"{self.shows(game.kStartLink)}, {self.clock()}, {self.score()})")
        return self.deal()

    def started_since(self, asked):
        """Whether a game asked for at asked (time.monotonic()) runs, its clock started afresh.

        A look can take seconds on a loaded machine, so by the time the clock is read it may have
        ticked: it need only be no further on than the time since then allows, give or take a tick
        that came early.
        """
        return (not self.shows(game.kStartLink) and self.score() == "0"
                and seconds_of(self.clock()) < time.monotonic() - asked + 1)

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


# A game whose clock has got this far has too little left for a test's next steps on a loaded machine.
SECONDS_TO_PLAY = 8


def game_afresh(screen):
    """Leaves the game in play through "返回", which keeps no record, for the game window again."""
    screen.click(GAME, game.kBackLink)
    screen.wait(lambda: screen.windows() == [MENU], "the menu in place of the game window")
    return open_game(screen)


def every_kind_of_answer(view, test):
    """A right box, a wrong claim and a right claim, each checked with test's assertions as it happens;
    returns the score of the game then in play, above zero, its clock short of SECONDS_TO_PLAY. Deals are
    random and a loaded machine slow, so a game that runs short is left for a new one, which goes on."""
    screen, score, done = view.screen, int(view.score()), set()
    while True:
        if seconds_of(view.clock()) >= SECONDS_TO_PLAY:
            game_afresh(screen).start_game()
            score = 0
        elif done == {"box", "wrong claim", "right claim"} and score > 0:
            return score
        target, board = view.deal()
        if target not in board:
            view.claim()
            score += 1
            screen.wait(lambda: view.score() == str(score), "a right claim to score")
            done.add("right claim")
        elif score > 0 and "wrong claim" not in done:
            clicked = time.monotonic()
            view.claim()
            score -= 1
            screen.wait(lambda: view.score() == str(score), "a wrong claim to cost a point")
            test.assertTrue(view.shows(game.kHint))
            test.assertEqual(view.deal(), (target, board), "a wrong claim keeps the deal")
            screen.wait(lambda: not view.shows(game.kHint), "the hint to go", 4.0)
            test.assertGreater(time.monotonic() - clicked, 1.45, "the hint stays for 1.5 s")
            done.add("wrong claim")
        else:
            clicked = time.monotonic()
            view.click_box(board.index(target) + 1)
            score += 1
            screen.wait(lambda: view.score() == str(score), "a right box to score")
            test.assertTrue(view.shows(game.kHitMark))
            if "box" not in done:
                screen.wait(lambda: not view.shows(game.kHitMark), "the hit mark to go", 3.0)
                test.assertGreater(time.monotonic() - clicked, 0.95, "the hit mark stays for 1 s")
            done.add("box")


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


# ---------------------------------------------------------------------------------------------------
# By the keyboard alone

MAX_KEYS = 24


class ByKeys:
    """A screen whose clicks are keys: Tab in reading order to the control, or the arrows within the grid to
    a box, then Return or Space, in turn. last is the control pressed last."""

    def __init__(self, screen):
        self.screen, self.last, self.odd = screen, None, False

    def __getattr__(self, name):
        return getattr(self.screen, name)

    def click(self, window, control):
        boxes = game.kBoxes if window == GAME else ()
        for _ in range(MAX_KEYS):
            now = self.screen.keyboard(window)
            if now == control:
                self.screen.key(("Return", "space")[self.odd])
                self.last, self.odd = control, not self.odd
                return
            key = "Tab"
            if control in boxes and now in boxes:
                (row, column), (to_row, to_column) = divmod(boxes.index(now), 3), divmod(boxes.index(control), 3)
                key = ("Up", "Down")[to_row > row] if to_row != row else ("Left", "Right")[to_column > column]
            self.screen.key(key)
            self.screen.wait(lambda: self.screen.keyboard(window) != now, f"{key} to move the keyboard from {now}")
        raise AssertionError(f"{MAX_KEYS} keys did not take the keyboard to {control} in {window}")


def play_by_keys(screen, test):
    """From the menu to a record and back by the keyboard alone: the about window and Escape, the arrows
    round the grid, a right answer and a lost game. Each window starts on its first action, a modal window
    hands the keyboard back to the control that opened it, and the game reads as check_reading says."""
    keys = ByKeys(screen)
    about_us = layout.control(MENU, "关于我们")
    # The window system hands a new window the keyboard a moment after it shows.
    keys.wait(lambda: keys.keyboard(MENU) == layout.control(MENU, "开始游戏"), "the keyboard on 开始游戏")
    keys.click(MENU, about_us)
    keys.wait(lambda: keys.keyboard(ABOUT), "the keyboard in the about window")
    keys.key("Escape")
    keys.wait(lambda: keys.windows() == [MENU] and keys.keyboard(MENU) == about_us, "the keyboard back on 关于我们")
    view = open_game(keys)
    while True:
        keys.wait(lambda: keys.keyboard(GAME) == game.kStartLink, "the keyboard on 立刻开始！Go")
        view.start_game()
        check_reading(test, keys, view)
        # The keyboard went on from the start link to box 1; the arrows go by the grid as it is drawn.
        for key, box in (("Right", 2), ("Down", 5), ("Left", 4), ("Up", 1)):
            keys.key(key)
            keys.wait(lambda: keys.keyboard(GAME) == game.kBoxes[box - 1], f"{key} to box {box}")
        if seconds_of(view.clock()) < SECONDS_TO_PLAY:
            break
        view = game_afresh(keys)
    view.play(1)
    lost_on = keys.last
    RecordView(keys).leave()
    keys.wait(lambda: keys.keyboard(GAME) == lost_on, f"the keyboard back on {lost_on}, which opened the record")


def check_reading(test, screen, view):
    """The game window as a screen reader reads it, during a game: as a window with its title (a browser
    reads runs of spaces as one), each label before its value, the boxes row by row, and the digit to press
    in a region whose changes are spoken."""
    reading = screen.reading(GAME)
    test.assertEqual((reading[0][0], reading[0][1].split()), ("window", layout.caption(GAME).split()))
    first = {}
    for at, (_, _, control) in enumerate(reading):
        first.setdefault(control, at)
    order = [layout.control(GAME, "时间："), game.kClockLabel, layout.control(GAME, "得分："), game.kScoreLabel,
             *game.kBoxes, layout.control(GAME, "请按下："), game.kPromptLabel]
    test.assertEqual(sorted(order, key=lambda c: first.get(c, len(reading))), order, reading)
    prompt = [(kind, name.strip()) for kind, name, control in reading if control == game.kPromptLabel]
    test.assertEqual(prompt[0][0], "live", reading)
    test.assertIn(view.target().strip(), [name for _, name in prompt])
