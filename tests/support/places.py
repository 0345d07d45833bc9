# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""How a player that reads windows as a screen reader does tells their controls apart: a control with a
text of its own goes by that text; one whose text changes, by where it stands in its window's client
area and what it is to a screen reader ("text", "live" or "button"). The desktop's accessibility bus and
the Windows program's MSAA objects are read the same way, each naming its own roles with these kinds.
"""

from collections import namedtuple

import layout
from layout import names

game = names.game
Rect = namedtuple("Rect", "x y width height")


def inside(point, rect):
    return rect.x <= point[0] < rect.x + rect.width and rect.y <= point[1] < rect.y + rect.height


def relative(rect, origin):
    """rect moved so that origin's top-left corner is 0, 0."""
    return Rect(rect.x - origin.x, rect.y - origin.y, rect.width, rect.height)


def clip(rect, bounds):
    left = max(rect.x, bounds.x)
    top = max(rect.y, bounds.y)
    right = min(rect.x + rect.width, bounds.x + bounds.width)
    bottom = min(rect.y + rect.height, bounds.y + bounds.height)
    return Rect(left, top, right - left, bottom - top)


# Where the nine digit labels stand in the game window's client area, boxes 1 to 9 in reading order.
GRID_COLUMNS = (136, 192, 248)
GRID_ROWS = (200, 256, 312)
DIGIT_OFFSET = (14, 10)
DIGIT_SIZE = (32, 40)

CLOCK_LABEL = Rect(104, 129, 128, 32)
SCORE_LABEL = Rect(104, 168, 112, 32)
BEST_TIME_LABEL = Rect(104, 148, 128, 32)
BEST_SCORE_LABEL = Rect(104, 187, 112, 32)
PROMPT_LABEL = Rect(256, 394, 120, 32)

START, NO_DIGIT, BACK = (layout.text(names.kGameWindow, c) for c in (game.kStartLink, game.kNoDigitLink,
                                                                    game.kBackLink))


def box_rect(box):
    """Client-area rectangle of the digit label of box 1 to 9."""
    row, column = divmod(box - 1, 3)
    return Rect(GRID_COLUMNS[column] + DIGIT_OFFSET[0], GRID_ROWS[row] + DIGIT_OFFSET[1], *DIGIT_SIZE)


# The controls named by their changing texts, told apart by where they stand and what they are.
PLACES = {
    (names.kGameWindow, game.kClockLabel): (CLOCK_LABEL, "text"),
    (names.kGameWindow, game.kScoreLabel): (SCORE_LABEL, "text"),
    (names.kGameWindow, game.kBestTimeLabel): (BEST_TIME_LABEL, "text"),
    (names.kGameWindow, game.kBestScoreLabel): (BEST_SCORE_LABEL, "text"),
    (names.kGameWindow, game.kPromptLabel): (PROMPT_LABEL, "live"),
    (names.kRecordWindow, names.record.kTimeLabel): (Rect(168, 89, 128, 32), "text"),
    (names.kRecordWindow, names.record.kScoreLabel): (Rect(168, 128, 112, 32), "text"),
    **{(names.kGameWindow, box): (box_rect(n), "button") for n, box in enumerate(game.kBoxes, 1)},
}


def placed(window, controls, nodes):
    """The nodes that stand where PLACES puts the controls of window, in their order. nodes are (kind,
    rect in the client area, node); a control that none of them stands in for raises LookupError."""
    by_place = {(kind, rect): node for kind, rect, node in nodes}
    wanted = [PLACES[window, control][::-1] for control in controls]
    missing = [control for control, place in zip(controls, wanted) if place not in by_place]
    if missing:
        raise LookupError(f"nothing where {missing} stand in {window}")
    return [by_place[place] for place in wanted]


def control_at(window, kind, rect, name):
    """The layout name of the control of window that a node of that kind, place and name stands for: by
    its place where PLACES has it, else by its text; None for one of neither."""
    at = [control for (w, control), place in PLACES.items() if w == window and place == (rect, kind)]
    return at[0] if at else next((c for c, t in layout.windows()[window].texts.items() if t == name), None)
