# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A window of another edition against the same window drawn by the desktop's Qt runtime
(pelindra_window_shots of a desktop build).

The measure, over the client area both have, from its top left corner, after a 3 x 3 box blur of
both pictures:
  - the mean difference of the colour channels, in levels of 0 to 255: below 6;
  - the share of pixels that differ by more than 64 levels in some channel: below 3 %.
Two renderers draw the same glyphs with different anti-aliasing and hinting, and scale the pictures
with different filters; the blur takes away most of that single-pixel noise, and what is left stays
below the thresholds. A window whose contents are out of place by two pixels crosses one of them, as
each edition's test shows with shift().
"""

import os
import subprocess

import numpy
from PIL import Image, ImageFilter

from layout import names

MEAN_LEVELS = 6.0
FAR_SHARE = 0.03
FAR_LEVELS = 64
# Where the about window's credits stop, as a top in their parent.
CREDITS_END = -118
WINDOWS = (names.kMenuWindow, names.kGameWindow, names.kRecordWindow, names.kAboutWindow)


def difference(other, desktop):
    """(mean difference in levels, share of pixels far apart) of two pictures, as the head says."""
    width, height = min(other.width, desktop.width), min(other.height, desktop.height)

    def pixels(image):
        cut = image.convert("RGB").crop((0, 0, width, height)).filter(ImageFilter.BoxBlur(1))
        return numpy.asarray(cut, dtype=numpy.int16)

    diff = numpy.abs(pixels(other) - pixels(desktop))
    return float(diff.mean()), float((diff.max(axis=2) > FAR_LEVELS).mean())


def matches(mean, far):
    return mean < MEAN_LEVELS and far < FAR_SHARE


def shift(image, dx, dy):
    """The same picture moved by a few pixels, for the measure's own check."""
    moved = Image.new("RGB", image.size)
    moved.paste(image.convert("RGB"), (dx, dy))
    return moved


def desktop_windows(directory, score, seconds, scale=1):
    """The desktop's four windows as pelindra_window_shots (PELINDRA_DESKTOP_SHOTS) draws them into
    directory, a private one where it keeps its data file too: {window: RGB image}, the record window
    showing that score and those seconds, at that scale of Qt's."""
    env = {"PATH": "/usr/bin:/bin", "HOME": directory, "XDG_RUNTIME_DIR": directory, "LANG": "C.UTF-8",
           "QT_QPA_PLATFORM": "offscreen", "QT_SCALE_FACTOR": str(scale)}
    os.chmod(directory, 0o700)
    subprocess.run([os.environ["PELINDRA_DESKTOP_SHOTS"], directory, str(score), str(seconds), str(CREDITS_END)],
                   env=env, check=True, capture_output=True, timeout=60)
    shots = {}
    for name in WINDOWS:
        with Image.open(os.path.join(directory, f"{name}.png")) as image:
            shots[name] = image.convert("RGB")
    return shots
