# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws every picture and icon Pelindra embeds and cuts its font subsets.

    /usr/bin/python3 assets/make-assets.py [--texts PROGRAM]

Nothing here is copied from anywhere: the pictures are drawn from the
descriptions below, and the only outside input is Debian's Noto Sans CJK.
The fonts keep the characters of the texts the program shows, which its
texts program (tools/texts.cpp) prints from the window layouts; given no
PROGRAM, the script builds it in build-assets/. The output is deterministic,
so re-running after a change to src/ only touches the font subsets when the
set of characters really changed.
"""

import argparse
import functools
import math
import random
import struct
import subprocess
import sys
import unicodedata
from pathlib import Path

import numpy as np
from fontTools import subset as ft_subset
from fontTools.ttLib import TTCollection, TTFont
from PIL import Image, ImageDraw, ImageFont

ASSETS = Path(__file__).resolve().parent
TOP = ASSETS.parent
FONT_DIR = ASSETS / "fonts"
ICON_THEME_DIR = ASSETS / "icons" / "hicolor"

NOTO_DIR = Path("/usr/share/fonts/opentype/noto")
NOTO_REGULAR = NOTO_DIR / "NotoSansCJK-Regular.ttc"
NOTO_BOLD = NOTO_DIR / "NotoSansCJK-Bold.ttc"
NOTO_COPYRIGHT = Path("/usr/share/doc/fonts-noto-cjk/copyright")
FAMILY = "Noto Sans CJK SC"
# The subsets go by a name of their own, so that a system that has the whole of Noto Sans CJK installed
# still draws the program's texts in the faces it ships, and does not map the large system files.
SUBSET_FAMILY = "Pelindra Sans SC"
# The bold cut is a family of its own: it stands in for the heavy display faces the layouts name, which
# the program can then ask for after them without first looking up whether they are installed.
HEAVY_FAMILY = "Pelindra Sans SC Heavy"
# The CJK faces' ideographic em box, as a share of the em: what the browser's cuts of the subsets give
# as their ascent and descent (see web_font).
WEB_ASCENT, WEB_DESCENT = 0.88, 0.12
USE_TYPO_METRICS = 1 << 7

APP_ID = "io.github.pelindra.pelindra"
ICO_SIZES = (128, 64, 48, 32, 16)
THEME_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# The browser edition's icons for a home screen or an app list, named in its web app manifest.
WEB_ICON_DIR = ASSETS / "icons" / "web"
WEB_ICON_SIZES = (192, 512)
ABOUT_ICO_BYTES = 6 + 16 + 40 + 256 * 4 + 32 * 32 + 32 * 4

# White, red and light-blue labels sit on these parts of the banner, so
# they must stay near black for the text to keep its contrast.
BANNER_SIZE = (880, 600)
BANNER_DARK_ZONES = ((0, 400, 880, 600), (760, 0, 880, 90))  # x0, y0, x1, y1
DARK_LIMIT = 0.007
# The banner is squeezed into 432 x 184 (menu) and 456 x 176 (game). It is
# drawn at the shape it is seen at and stretched afterwards, so that
# circles stay round and the lettering is not squashed on screen.
BANNER_VIEW_ASPECT = ((184 / 600) / (432 / 880) + (176 / 600) / (456 / 880)) / 2
BLOCK_SIZE = (160, 160)
BLOCK_VIEW = (160, 136)

# The near-black every dark zone settles on.
NIGHT = (7, 10, 30)
NIGHT_FLOOR = (3, 4, 14)

# Lo Shu square: each row, column and diagonal adds up to 15. A nod to
# the number board the game is played on.
BOARD_DIGITS = ((4, 9, 2), (3, 5, 7), (8, 1, 6))
LIT_CELL = (1, 1)


def fail(message):
    sys.exit(f"make-assets: {message}")


# ---------------------------------------------------------------- fonts in


@functools.lru_cache(maxsize=None)
def sc_face_index(collection):
    """The number of the Simplified Chinese face in a Noto CJK collection.

    Looked up by family name: nothing promises the faces keep their order
    from one release of the collection to the next."""
    ttc = TTCollection(str(collection), lazy=True)
    for number, face in enumerate(ttc.fonts):
        names = face["name"]
        if (names.getDebugName(16) or names.getDebugName(1)) == FAMILY:
            return number
    fail(f"{collection} has no face named {FAMILY!r}")


@functools.lru_cache(maxsize=None)
def pil_font(collection, pixels):
    return ImageFont.truetype(str(collection), pixels, index=sc_face_index(collection))


# ---------------------------------------------------------------- drawing


def rgb(*c):
    return np.array(c, np.float32) / 255.0


def smoothstep(edge0, edge1, x):
    t = np.clip((x - edge0) / (edge1 - edge0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def _box_blur(a, radius, axis):
    if radius <= 0:
        return a
    pad = [(0, 0)] * a.ndim
    pad[axis] = (radius + 1, radius)
    c = np.cumsum(np.pad(a, pad, mode="edge"), axis=axis, dtype=np.float64)
    hi = np.take(c, np.arange(2 * radius + 1, c.shape[axis]), axis=axis)
    lo = np.take(c, np.arange(0, c.shape[axis] - 2 * radius - 1), axis=axis)
    return ((hi - lo) / (2 * radius + 1)).astype(np.float32)


def blur(a, sigma):
    """Gaussian blur of a float mask (three box passes), done here because
    Pillow only blurs 8-bit pictures and glows band badly at 8 bits."""
    if sigma <= 0:
        return a
    # Box widths whose three passes add up to the wanted variance.
    radius = max(1, round((math.sqrt(12 * sigma * sigma / 3 + 1) - 1) / 2))
    for _ in range(3):
        a = _box_blur(_box_blur(a, radius, 0), radius, 1)
    return a


class Canvas:
    """A float RGB picture drawn in layout units, `ss` working pixels each."""

    def __init__(self, width, height, ss, base):
        self.w, self.h, self.ss = width, height, ss
        self.W, self.H = round(width * ss), round(height * ss)
        self.px = np.empty((self.H, self.W, 3), np.float32)
        self.px[:] = base
        ys, xs = np.mgrid[0 : self.H, 0 : self.W].astype(np.float32)
        self.x = (xs + 0.5) / ss
        self.y = (ys + 0.5) / ss

    def copy(self):
        twin = object.__new__(Canvas)
        twin.__dict__.update(self.__dict__)
        twin.px = self.px.copy()
        return twin

    def mask(self, paint):
        """Runs paint(draw, s) on a blank 8-bit layer; s maps units to pixels."""
        layer = Image.new("L", (self.W, self.H), 0)
        paint(ImageDraw.Draw(layer), lambda v: v * self.ss)
        return np.asarray(layer, np.float32) / 255.0

    def blur(self, m, sigma):
        return blur(m, sigma * self.ss)

    def over(self, colour, m):
        m = m[..., None]
        self.px = self.px * (1.0 - m) + np.asarray(colour, np.float32) * m

    def screen(self, colour, m):
        light = np.asarray(colour, np.float32) * m[..., None]
        self.px = 1.0 - (1.0 - self.px) * (1.0 - light)

    def radial(self, cx, cy, rx, ry, power=2.0):
        d = np.sqrt(((self.x - cx) / rx) ** 2 + ((self.y - cy) / ry) ** 2)
        return np.clip(1.0 - d, 0.0, 1.0) ** power

    def vertical(self, top, bottom, y0, y1):
        t = np.clip((self.y - y0) / (y1 - y0), 0.0, 1.0)[..., None]
        return np.asarray(top) * (1.0 - t) + np.asarray(bottom) * t

    def resized(self, size):
        """Float channels resampled to `size` (width, height), not yet rounded."""
        planes = [
            np.asarray(Image.fromarray(self.px[..., c]).resize(size, Image.LANCZOS), np.float32)
            for c in range(3)
        ]
        return np.clip(np.stack(planes, axis=-1), 0.0, 1.0)


def to_u8(a):
    return np.clip(np.rint(a * 255.0), 0, 255).astype(np.uint8)


def relative_luminance(pixels):
    """WCAG 2 relative luminance of 8-bit sRGB pixels."""
    c = pixels[..., :3].astype(np.float64) / 255.0
    linear = np.where(c <= 0.03928, c / 12.92, ((c + 0.055) / 1.055) ** 2.4)
    return linear @ np.array([0.2126, 0.7152, 0.0722])


def star_points(cx, cy, arm, waist):
    """A four-pointed sparkle: long arms on the axes, a thin waist between."""
    pts = []
    for k in range(8):
        angle = k * math.pi / 4
        r = arm if k % 2 == 0 else waist
        pts.append((cx + r * math.sin(angle), cy - r * math.cos(angle)))
    return pts


def spaced_text(draw, s, x, y, text, font, spacing):
    """Draws text letter-spaced by `spacing` units, left baseline at (x, y)."""
    for ch in text:
        draw.text((s(x), s(y)), ch, font=font, fill=255, anchor="ls")
        x += font.getlength(ch) / s(1) + spacing


def spaced_width(text, font, spacing, ss):
    return sum(font.getlength(ch) / ss for ch in text) + spacing * (len(text) - 1)


def draw_board(cv, x0, y0, cell, gap, digit_font, lit_glow=1.0):
    """The 3 x 3 board of digit tiles with the lit one glowing amber."""
    r = cell * 0.2
    for row in range(3):
        for col in range(3):
            x = x0 + col * (cell + gap)
            y = y0 + row * (cell + gap)
            box = (x, y, x + cell, y + cell)
            lit = (row, col) == LIT_CELL

            def tile(d, s, box=box, inset=0.0):
                d.rounded_rectangle(
                    [s(box[0] + inset), s(box[1] + inset), s(box[2] - inset), s(box[3] - inset)],
                    radius=s(r - inset),
                    fill=255,
                )

            body = cv.mask(tile)
            inner = cv.mask(lambda d, s: tile(d, s, inset=max(1.2, cell * 0.035)))
            rim = np.clip(body - inner, 0.0, 1.0)
            if lit:
                halo = cv.blur(body, cell * 0.45)
                cv.screen(rgb(255, 150, 40), np.clip(halo * 1.6, 0, 1) * 0.85 * lit_glow)
                cv.screen(rgb(255, 120, 60), cv.blur(body, cell * 1.3) * 0.55 * lit_glow)
                cv.over(cv.vertical(rgb(255, 222, 128), rgb(255, 140, 36), y, y + cell), body)
                cv.over(rgb(255, 246, 214), rim * cv.vertical(1.0, 0.2, y, y + cell)[..., 0])
            else:
                cv.over(rgb(4, 6, 18), cv.blur(body, cell * 0.12) * 0.6)
                cv.over(cv.vertical(rgb(34, 44, 108), rgb(16, 20, 58), y, y + cell), body)
                cv.over(rgb(120, 140, 255), rim * cv.vertical(0.75, 0.25, y, y + cell)[..., 0])
                # A soft sheen across the top half, as on glass.
                sheen = inner * smoothstep(y + cell * 0.55, y, cv.y) * 0.10
                cv.over(rgb(200, 210, 255), sheen)
            digit = str(BOARD_DIGITS[row][col])
            left, top, right, bottom = digit_font.getbbox(digit)

            def glyph(d, s, digit=digit, x=x, y=y, bbox=(left, top, right, bottom)):
                gx = s(x + cell / 2) - (bbox[0] + bbox[2]) / 2
                gy = s(y + cell / 2) - (bbox[1] + bbox[3]) / 2
                d.text((gx, gy), digit, font=digit_font, fill=255)

            ink = cv.mask(glyph)
            if lit:
                cv.over(rgb(60, 22, 8), ink)
            else:
                cv.screen(rgb(150, 170, 255), cv.blur(ink, cell * 0.06) * 0.35)
                cv.over(rgb(178, 192, 255), ink * 0.8)


# ---------------------------------------------------------------- banner


def banner_pixels():
    w, h = BANNER_SIZE[0], round(BANNER_SIZE[1] * BANNER_VIEW_ASPECT)
    ss = 2
    cv = Canvas(w, h, ss, rgb(*NIGHT))
    to_view = h / BANNER_SIZE[1]  # banner rows -> layout units

    # Washes of colour, all of them well away from the top-right corner.
    cv.over(rgb(44, 30, 112), cv.radial(300, 95, 600, 270, 1.5) * 0.95)
    cv.over(rgb(18, 88, 150), cv.radial(140, 120, 300, 190, 1.8) * 0.75)
    cv.over(rgb(128, 36, 132), cv.radial(590, 120, 330, 150, 2.0) * 0.55)

    # Slanted beams of light falling from the top.
    for x_top, width, strength in ((250, 46, 0.07), (420, 90, 0.05), (640, 36, 0.06), (95, 28, 0.05)):
        shift = 0.32

        def beam(d, s, x_top=x_top, width=width):
            d.polygon(
                [
                    (s(x_top), 0),
                    (s(x_top + width), 0),
                    (s(x_top + width + h * shift), s(h)),
                    (s(x_top + h * shift), s(h)),
                ],
                fill=255,
            )

        fade = smoothstep(h * 0.75, 0, cv.y)
        cv.screen(rgb(150, 200, 255), cv.blur(cv.mask(beam), 6) * fade * strength)

    # Faint outline diamonds behind the title, the board's shape turned 45 degrees.
    def diamonds(d, s):
        for cx, cy, r, width in ((705, 150, 120, 1.6), (705, 150, 86, 1.2), (470, 200, 150, 1.2)):
            d.polygon(
                [(s(cx), s(cy - r)), (s(cx + r), s(cy)), (s(cx), s(cy + r)), (s(cx - r), s(cy))],
                outline=255,
                width=max(1, round(s(width))),
            )

    cv.screen(rgb(140, 120, 255), cv.mask(diamonds) * 0.16)

    # Bokeh: drifting out-of-focus lights. A fixed seed keeps the picture stable.
    rng = random.Random(1571)

    def dot(d, s, x, y, r):
        d.ellipse([s(x - r), s(y - r), s(x + r), s(y + r)], fill=255)

    for _ in range(34):
        x, y, r = rng.uniform(10, 870), rng.uniform(12, 215), rng.uniform(2.0, 11.0)
        colour = rgb(110, 200, 255) if rng.random() < 0.6 else rgb(255, 120, 200)
        cv.screen(
            colour, cv.blur(cv.mask(lambda d, s: dot(d, s, x, y, r)), r * 0.35) * rng.uniform(0.08, 0.28)
        )

    # The board on the left, tipped a little so the picture is not all right angles.
    cell, gap = 50.0, 9.0
    board = 3 * cell + 2 * gap
    bx, by = 50.0, 200 * to_view - board / 2
    sub = cv.copy()
    draw_board(sub, bx, by, cell, gap, pil_font(NOTO_BOLD, round(30 * ss)), lit_glow=1.25)
    cv.px = _rotated_region(cv.px, sub.px, (bx + board / 2) * ss, (by + board / 2) * ss, -7.0)

    # Title.
    title_font = pil_font(NOTO_BOLD, round(100 * ss))
    size = 100 * 540 / (title_font.getlength("Pelindra") / ss)
    title_font = pil_font(NOTO_BOLD, round(size * ss))
    tw = title_font.getlength("Pelindra") / ss
    tx, ty = 268.0, 152.0
    title = cv.mask(lambda d, s: d.text((s(tx), s(ty)), "Pelindra", font=title_font, fill=255, anchor="ls"))
    shadow = cv.mask(
        lambda d, s: d.text((s(tx + 2), s(ty + 5)), "Pelindra", font=title_font, fill=255, anchor="ls")
    )
    cv.screen(rgb(60, 150, 255), cv.blur(title, 34) * 0.55)
    cv.screen(rgb(110, 200, 255), cv.blur(title, 9) * 0.75)
    cv.over(rgb(6, 6, 24), cv.blur(shadow, 3) * 0.7)
    cv.over(cv.vertical(rgb(255, 255, 255), rgb(176, 222, 255), ty - size * 0.75, ty), title)
    # A bright line of light along the top edge of the letters.
    edge = np.clip(title - np.roll(title, round(2.2 * ss), axis=0), 0, 1)
    cv.screen(rgb(255, 255, 255), edge * 0.5)

    # Chinese name under it, letter-spaced, between two fading rules.
    cjk_font = pil_font(NOTO_BOLD, round(40 * ss))
    spacing = 16.0
    cw = spaced_width("鼠游板", cjk_font, spacing, ss)
    cx0 = tx + (tw - cw) / 2
    cy = ty + 56
    cjk = cv.mask(lambda d, s: spaced_text(d, s, cx0, cy, "鼠游板", cjk_font, spacing))
    cv.screen(rgb(255, 150, 60), cv.blur(cjk, 8) * 0.7)
    cv.over(cv.vertical(rgb(255, 226, 140), rgb(255, 160, 64), cy - 36, cy), cjk)

    rule_y = cy - 15
    for x0, x1, toward in ((tx + 4, cx0 - 22, 1), (cx0 + cw + 22, tx + tw - 4, -1)):
        line = cv.mask(lambda d, s: d.rectangle([s(x0), s(rule_y - 1.1), s(x1), s(rule_y + 1.1)], fill=255))
        ramp = smoothstep(x0, x1, cv.x) if toward > 0 else smoothstep(x1, x0, cv.x)
        cv.over(rgb(255, 196, 110), line * ramp * 0.9)
        end = x1 + 9 if toward > 0 else x0 - 9
        gem = cv.mask(
            lambda d, s: d.polygon(
                [
                    (s(end), s(rule_y - 5)),
                    (s(end + 5), s(rule_y)),
                    (s(end), s(rule_y + 5)),
                    (s(end - 5), s(rule_y)),
                ],
                fill=255,
            )
        )
        cv.screen(rgb(255, 170, 80), cv.blur(gem, 4) * 0.8)
        cv.over(rgb(255, 230, 170), gem)

    # Sparkles on the title.
    for x, y, arm, strength in (
        (tx + 8, ty - size * 0.78, 15, 1.0),
        (tx + tw - 20, ty - size * 0.52, 10, 0.8),
        (235, 28, 8, 0.6),
        (848, 132, 7, 0.6),
    ):
        spark = cv.mask(
            lambda d, s: d.polygon(
                [(s(px), s(py)) for px, py in star_points(x, y, arm, arm * 0.16)], fill=255
            )
        )
        cv.screen(rgb(150, 210, 255), cv.blur(spark, arm * 0.5) * strength)
        cv.screen(rgb(255, 255, 255), spark * strength)

    pixels = cv.resized(BANNER_SIZE)
    return fade_to_night(pixels)


def _rotated_region(base, drawn, cx, cy, degrees):
    """Turns what was drawn on top of `base` about (cx, cy) and lays it back on.

    The board is drawn upright on a copy of the picture; the difference is
    what the board added, and that difference is what gets turned. The wash
    under the board is smooth enough that the small shift does not show."""
    added = drawn - base
    planes = [
        np.asarray(Image.fromarray(added[..., c]).rotate(degrees, Image.BICUBIC, center=(cx, cy)), np.float32)
        for c in range(3)
    ]
    return np.clip(base + np.stack(planes, axis=-1), 0.0, 1.0)


def fade_to_night(pixels):
    """Settles the picture onto NIGHT towards the dark zones, smoothly, so
    that each zone is reached at its edge and never entered bright."""
    h, w = pixels.shape[:2]
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    keep = np.ones((h, w), np.float32)
    for x0, y0, x1, y1 in BANNER_DARK_ZONES:
        dx = np.maximum(np.maximum(x0 - xs, xs - x1), 0)
        dy = np.maximum(np.maximum(y0 - ys, ys - y1), 0)
        outside = np.sqrt(dx * dx + dy * dy)
        # The band fades over less room: the title and the board sit just above it.
        reach = 44.0 if y1 == h else 56.0
        keep *= smoothstep(0.0, reach, outside)
    # Below the band's top edge the night deepens a little further, so the
    # bottom does not read as one flat slab.
    depth = smoothstep(BANNER_DARK_ZONES[0][1], h, ys)[..., None]
    night = rgb(*NIGHT) * (1 - depth) + rgb(*NIGHT_FLOOR) * depth
    return night + (pixels - night) * keep[..., None]


# ---------------------------------------------------------------- block


def block_pixels():
    w, h = BLOCK_VIEW
    ss = 4
    cv = Canvas(w, h, ss, rgb(*NIGHT))
    cv.over(rgb(44, 32, 112), cv.radial(w / 2, h / 2, w * 0.8, h * 0.8, 1.3))
    cv.over(rgb(18, 88, 150), cv.radial(w * 0.22, h * 0.15, w * 0.55, h * 0.55, 2.0) * 0.7)
    cv.over(rgb(128, 36, 132), cv.radial(w * 0.85, h * 0.9, w * 0.5, h * 0.5, 2.0) * 0.45)
    edge = np.sqrt(((cv.x - w / 2) / (w / 2)) ** 2 + ((cv.y - h / 2) / (h / 2)) ** 2)
    cv.over(rgb(*NIGHT), smoothstep(0.7, 1.3, edge) * 0.8)
    cell, gap = 36.0, 7.0
    board = 3 * cell + 2 * gap
    draw_board(
        cv, (w - board) / 2, (h - board) / 2, cell, gap, pil_font(NOTO_BOLD, round(23 * ss)), lit_glow=0.9
    )
    for x, y, arm in (
        (w * 0.5 + cell * 0.5 + 1, h * 0.5 - cell * 0.5 - 1, 7.0),
        (10, 12, 4.5),
        (w - 9, h - 14, 4.0),
    ):
        spark = cv.mask(
            lambda d, s: d.polygon(
                [(s(px), s(py)) for px, py in star_points(x, y, arm, arm * 0.16)], fill=255
            )
        )
        cv.screen(rgb(255, 220, 160), cv.blur(spark, arm * 0.5))
        cv.screen(rgb(255, 255, 255), spark)
    return cv.resized(BLOCK_SIZE)


def save_jpeg(path, pixels):
    # 4:4:4 keeps colour edges of the lettering clean; baseline because
    # some loaders still trip over progressive files.
    Image.fromarray(to_u8(pixels), "RGB").save(
        path, "JPEG", quality=90, subsampling=0, progressive=False, optimize=False
    )


# ---------------------------------------------------------------- icons


def _downsample(rgb_px, alpha, factor):
    """Box filter on premultiplied colour: exact coverage, no dark fringes."""
    h, w = alpha.shape
    pre = rgb_px * alpha[..., None]
    pre = pre.reshape(h // factor, factor, w // factor, factor, 3).mean(axis=(1, 3))
    a = alpha.reshape(h // factor, factor, w // factor, factor).mean(axis=(1, 3))
    out = np.where(a[..., None] > 0, pre / np.maximum(a[..., None], 1e-6), 0.0)
    return out, a


def _grid_metrics(n):
    """Cell and gap sizes for an n-pixel icon, in whole pixels so the cells
    land on the pixel grid and stay sharp at 16 and 22 px."""
    cell = round(n * 0.2)
    gap = max(1, round(n * 0.06))
    for c in (cell, cell - 1, cell + 1):
        if c > 1 and (n - 3 * c - 2 * gap) % 2 == 0 and abs(c - n * 0.2) <= n * 0.04:
            cell = c
            break
    total = 3 * cell + 2 * gap
    return cell, gap, (n - total) // 2


def program_icon(n):
    """The program icon at n x n pixels, as an RGBA picture.

    One description for every size: positions are worked out in whole
    target pixels first, then painted at a finer scale and boxed down."""
    ss = max(4, -(-512 // n))
    cv = Canvas(n, n, ss, 0.0)
    margin = math.floor(n / 32 + 0.5)
    radius = n * 0.22
    tile = cv.mask(
        lambda d, s: d.rounded_rectangle(
            [s(margin), s(margin), s(n - margin) - 1, s(n - margin) - 1], radius=s(radius), fill=255
        )
    )

    cv.px[:] = cv.vertical(rgb(40, 52, 138), rgb(12, 16, 52), margin, n - margin)
    cv.over(rgb(86, 64, 190), cv.radial(n * 0.25, n * 0.15, n * 0.8, n * 0.7, 2.0) * 0.45)
    rim_w = max(1.0, n / 64)
    inner = cv.mask(
        lambda d, s: d.rounded_rectangle(
            [s(margin + rim_w), s(margin + rim_w), s(n - margin - rim_w) - 1, s(n - margin - rim_w) - 1],
            radius=s(max(0.5, radius - rim_w)),
            fill=255,
        )
    )
    rim = np.clip(tile - inner, 0, 1)
    cv.over(rgb(150, 170, 255), rim * cv.vertical(0.55, 0.08, margin, n - margin)[..., 0])

    cell, gap, origin = _grid_metrics(n)
    r = cell * 0.24 if n >= 24 else cell * 0.15
    boxes = {}
    for row in range(3):
        for col in range(3):
            x = origin + col * (cell + gap)
            y = origin + row * (cell + gap)
            boxes[(row, col)] = (x, y)

    def cell_mask(x, y):
        return cv.mask(
            lambda d, s: d.rounded_rectangle(
                [s(x), s(y), s(x + cell) - 1, s(y + cell) - 1], radius=s(r), fill=255
            )
        )

    lx, ly = boxes[LIT_CELL]
    lit = cell_mask(lx, ly)
    cv.screen(rgb(255, 150, 40), np.clip(cv.blur(lit, cell * 0.5) * 1.5, 0, 1) * 0.9)
    cv.screen(rgb(255, 110, 60), cv.blur(lit, cell * 1.4) * 0.5)
    for (row, col), (x, y) in boxes.items():
        if (row, col) == LIT_CELL:
            continue
        body = cell_mask(x, y)
        cv.over(cv.vertical(rgb(116, 136, 246), rgb(56, 70, 176), y, y + cell), body)
        if n >= 48:
            # A lit upper edge, as on the board's glass tiles.
            lip = max(1.0, n / 96)
            lower = cv.mask(
                lambda d, s, x=x, y=y: d.rounded_rectangle(
                    [s(x), s(y + lip), s(x + cell) - 1, s(y + cell) - 1], radius=s(r), fill=255
                )
            )
            cv.over(rgb(186, 198, 255), np.clip(body - lower, 0, 1) * 0.8)
    cv.over(cv.vertical(rgb(255, 232, 150), rgb(255, 146, 36), ly, ly + cell), lit)

    if n >= 48:
        font = pil_font(NOTO_BOLD, round(cell * 0.86 * ss))
        digit = str(BOARD_DIGITS[LIT_CELL[0]][LIT_CELL[1]])
        left, top, right, bottom = font.getbbox(digit)

        def glyph(d, s):
            d.text(
                (s(lx + cell / 2) - (left + right) / 2, s(ly + cell / 2) - (top + bottom) / 2),
                digit,
                font=font,
                fill=255,
            )

        cv.over(rgb(58, 20, 6), cv.mask(glyph))

    colour, alpha = _downsample(cv.px, tile, ss)
    rgba = np.dstack([to_u8(colour), to_u8(alpha)])
    rgba[rgba[..., 3] == 0] = 0
    return Image.fromarray(rgba, "RGBA")


def about_icon():
    """32 x 32 'about' badge: a blue disc with a white i, built to be shown
    on the dark about window with 1-bit transparency."""
    n, ss = 32, 16
    cv = Canvas(n, n, ss, 0.0)
    disc = cv.mask(lambda d, s: d.ellipse([s(1), s(1), s(31) - 1, s(31) - 1], fill=255))
    inner = cv.mask(lambda d, s: d.ellipse([s(2.4), s(2.4), s(29.6) - 1, s(29.6) - 1], fill=255))
    cv.px[:] = cv.vertical(rgb(92, 190, 255), rgb(0, 96, 224), 1, 31)
    cv.over(rgb(210, 236, 255), np.clip(disc - inner, 0, 1) * cv.vertical(0.9, 0.25, 1, 31)[..., 0])
    cv.screen(rgb(255, 255, 255), cv.radial(11, 8, 14, 10, 2.0) * 0.35 * inner)
    mark = cv.mask(
        lambda d, s: (
            d.ellipse([s(13.6), s(6.4), s(18.4) - 1, s(11.2) - 1], fill=255),
            d.rectangle([s(14), s(13), s(18) - 1, s(25) - 1], fill=255),
            d.rectangle([s(12), s(13), s(18) - 1, s(15) - 1], fill=255),
            d.rectangle([s(12), s(23), s(20) - 1, s(25) - 1], fill=255),
        )
    )
    cv.over(rgb(0, 40, 110), cv.blur(mark, 0.8) * 0.5 * inner)
    cv.over(rgb(255, 255, 255), mark)
    colour, alpha = _downsample(cv.px, disc, ss)
    # Only on/off transparency here: edge pixels are pre-mixed with the
    # dark backdrop the badge is made for, the rest is cut away.
    colour = colour * alpha[..., None] + rgb(*NIGHT) * (1 - alpha[..., None])
    solid = alpha >= 0.5
    return to_u8(colour), solid


def _and_mask(opaque):
    """1-bit AND mask rows, bottom-up, each padded to 4 bytes."""
    h, w = opaque.shape
    stride = (w + 31) // 32 * 4
    rows = []
    for y in range(h - 1, -1, -1):
        bits = np.packbits(~opaque[y]).tobytes()
        rows.append(bits + b"\0" * (stride - len(bits)))
    return b"".join(rows)


def dib_32(image):
    px = np.asarray(image, np.uint8)
    h, w = px.shape[:2]
    bgra = px[::-1][..., [2, 1, 0, 3]].tobytes()
    mask = _and_mask(px[..., 3] > 0)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(bgra) + len(mask), 0, 0, 0, 0)
    return header + bgra + mask


def dib_8(colours, solid):
    """An 8-bit DIB with a 256-entry palette. Entry 0 is black, which is what
    a transparent pixel must be so the AND mask leaves the screen as it was;
    the shown pixels share the other 255."""
    h, w = solid.shape
    shown = colours[solid]
    distinct = sorted({tuple(c) for c in shown})
    if len(distinct) <= 255:
        where = {c: k + 1 for k, c in enumerate(distinct)}
        picks = np.array([where[tuple(c)] for c in shown], np.uint8)
    else:
        # Only the shown pixels take part, so no entry is spent on what is cut away.
        strip = Image.fromarray(shown.reshape(1, -1, 3), "RGB")
        quant = strip.quantize(255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        flat = quant.getpalette()[: 255 * 3]
        distinct = [tuple(flat[k : k + 3]) for k in range(0, len(flat), 3)]
        picks = np.asarray(quant, np.uint8).reshape(-1) + 1
    index = np.zeros((h, w), np.uint8)
    index[solid] = picks
    palette = [(0, 0, 0)] + distinct
    palette += [(0, 0, 0)] * (256 - len(palette))
    quads = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    pixels = index[::-1].tobytes()
    mask = _and_mask(solid)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 8, 0, len(pixels) + len(mask), 0, 0, 256, 0)
    return header + quads + pixels + mask


def write_ico(path, entries):
    """entries: (width, height, bits per pixel, DIB bytes), in file order."""
    head = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    table, blobs = b"", b""
    for w, h, bpp, dib in entries:
        table += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, bpp, len(dib), offset)
        blobs += dib
        offset += len(dib)
    path.write_bytes(head + table + blobs)


# ---------------------------------------------------------------- texts in


def texts_program():
    """Builds the texts program in build-assets/, on its own: no Qt, no tests."""
    build = TOP / "build-assets"
    for command in (
        ["cmake", "-S", str(TOP), "-B", str(build), "-DPELINDRA_GUI=OFF", "-DPELINDRA_TESTS=OFF"],
        ["cmake", "--build", str(build), "--target", "pelindra_texts"],
    ):
        try:
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        except (OSError, subprocess.CalledProcessError) as error:
            fail(f"could not build the texts program ({error}); scripts/deps build installs what it needs")
    return build / "tools" / "pelindra_texts"


def _drawn(ch):
    """False for controls and invisible format characters such as the byte
    order mark a file writer puts in a text: fonts have no glyph for them."""
    return unicodedata.category(ch) not in ("Cc", "Cf", "Cs", "Co", "Cn")


def program_characters(program):
    """Printable ASCII and every drawn character of the texts the program
    prints; with the number of texts it printed."""
    try:
        printed = subprocess.run([str(program)], check=True, capture_output=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        fail(f"{program} failed: {error}")
    try:
        texts = printed.decode("utf-8").split("\n")[:-1]
    except UnicodeDecodeError as error:
        fail(f"{program} printed something that is not UTF-8: {error}")
    found = {ch for text in texts for ch in text if ord(ch) > 0x7F and _drawn(ch)}
    return {chr(c) for c in range(0x20, 0x7F)} | found, len(texts)


# ---------------------------------------------------------------- font subsets


def rename(font, family, style):
    names = font["name"]
    postscript = family.replace(" ", "") + "-" + style
    for record in list(names.names):
        if record.nameID in (1, 16):
            record.string = family
        elif record.nameID == 3:
            record.string = f"{postscript};subset of {FAMILY}"
        elif record.nameID == 4:
            record.string = f"{family} {style}"
        elif record.nameID == 6:
            record.string = postscript
    cff = font["CFF "].cff
    cff.fontNames = [postscript]
    top = cff.topDictIndex[0]
    for key, value in (("FamilyName", family), ("FullName", f"{family} {style}")):
        if hasattr(top, key):
            setattr(top, key, value)


def subset_font(collection, out, characters, family, style):
    font = TTFont(str(collection), fontNumber=sc_face_index(collection), recalcTimestamp=False)
    options = ft_subset.Options()
    # Only the features horizontal text uses: every feature kept costs the shaper time when it first
    # meets the font, and that time is spent while the first window paints.
    options.desubroutinize = True
    options.hinting = False
    options.notdef_outline = True
    # Family, style, full and PostScript names for Qt's font database; the
    # copyright, trademark and licence lines because the licence asks for them.
    options.name_IDs = [0, 1, 2, 3, 4, 5, 6, 7, 13, 14]
    options.name_languages = [0x0409]
    subsetter = ft_subset.Subsetter(options)
    subsetter.populate(unicodes=sorted(ord(c) for c in characters))
    subsetter.subset(font)
    rename(font, family, style)
    font.save(str(out))
    font.close()


def web_font(otf, out):
    """The browser's cut of a subset: the same glyphs as WOFF2, with the ideographic em box as its
    ascent and descent, and no line gap, in every table an engine may take them from.

    The page sets each line as tall as its font size. With these metrics the line holds exactly the
    em box, and the baseline sits 0.88 of the size below the line's top, where the desktop puts it;
    with the subset's own taller hhea metrics it would sit lower. CSS metric overrides could say the
    same, but not every engine reads them (WebKit does not), while every engine reads the tables:
    FreeType and Core Text take hhea, DirectWrite the typo metrics once the font says to use them.
    The desktop keeps the subsets as they are, since Qt places its text from their hhea metrics."""
    font = TTFont(str(otf), recalcTimestamp=False)
    em = font["head"].unitsPerEm
    ascent, descent = round(WEB_ASCENT * em), -round(WEB_DESCENT * em)
    hhea, os2 = font["hhea"], font["OS/2"]
    hhea.ascent, hhea.descent, hhea.lineGap = ascent, descent, 0
    os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = ascent, descent, 0
    # The use-typo-metrics bit of fsSelection exists from version 4 on.
    os2.version = max(os2.version, 4)
    os2.fsSelection |= USE_TYPO_METRICS
    font.flavor = "woff2"
    font.save(str(out))
    font.close()


def ofl_text():
    """The licence as Debian ships it in the package's copyright file."""
    lines = NOTO_COPYRIGHT.read_text(encoding="utf-8").splitlines()
    # The stand-alone licence paragraph, not the "License:" field of a Files stanza.
    start = next(
        k + 1
        for k, line in enumerate(lines)
        if line == "License: SIL-1.1" and lines[k + 1 : k + 2] != [""] and lines[k + 1].startswith(" ")
    )
    body = []
    for line in lines[start:]:
        if not line.startswith(" "):
            break
        text = line[1:]
        body.append("" if text == "." else text)
    # The licence speaks of "the above copyright notice": the font's own
    # notice, and the holder Debian names for the upstream files.
    face = TTFont(str(NOTO_REGULAR), fontNumber=sc_face_index(NOTO_REGULAR), lazy=True)
    head = [face["name"].getDebugName(0)]
    head += [f"Copyright {line.split(':', 1)[1].strip()}" for line in lines if line.startswith("Copyright:")][
        :1
    ]
    head += ["", "This Font Software is licensed under the SIL Open Font License, Version 1.1.", ""]
    return "\n".join(head + body).rstrip() + "\n"


def font_readme():
    face = TTFont(str(NOTO_REGULAR), fontNumber=sc_face_index(NOTO_REGULAR), lazy=True)
    version = face["name"].getDebugName(5).split(";")[0]
    try:
        debian = subprocess.run(
            ["dpkg-query", "-W", "-f=${Version}", "fonts-noto-cjk"],
            capture_output=True,
            text=True,
            check=True,
        ).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        debian = "unknown"
    return f"""Subsets of {FAMILY} (Regular and Bold), {version}, as shipped in
Debian's fonts-noto-cjk {debian} ({NOTO_REGULAR.name} and {NOTO_BOLD.name}, the
face whose family is "{FAMILY}").

They hold only printable ASCII and the characters of the texts the program
shows, as its texts program (tools/texts.cpp) prints them from the window
layouts, so the program looks the same everywhere without carrying the whole
font.
Hinting is dropped and only the default OpenType layout features are kept.
The Regular cut is renamed "{SUBSET_FAMILY}" (PelindraSansSC-Regular.otf), and
the program asks for it by that name: a system with the whole of Noto Sans CJK
installed would otherwise draw from its own files. The Bold cut is a family of
its own, "{HEAVY_FAMILY}" (PelindraSansSC-Heavy.otf): it stands in for the
display faces the program names where they are not installed.

PelindraSansSC-{{Regular,Heavy}}.woff2 are the browser edition's cuts of the same
subsets: WOFF2, with the ideographic em box (ascent 0.88, descent 0.12 of the
em, no line gap) written into hhea and the OS/2 typo metrics, and the OS/2
use-typo-metrics bit set, so that every browser engine places a line of text
alike, where the desktop places it. The .otf files keep Noto's own metrics,
which the desktop lays its text out with.

Made by assets/make-assets.py with fontTools' subsetter; re-run it after
changing user-visible text:

    /usr/bin/python3 assets/make-assets.py

The fonts are under the SIL Open Font License 1.1, see LICENSE-OFL.txt.
"""


# ---------------------------------------------------------------- self-checks


def check_jpeg(path, size):
    with Image.open(path) as im:
        im.load()
        if im.format != "JPEG" or im.size != size:
            fail(f"{path.name}: {im.format} {im.size}, wanted JPEG {size}")
        if im.info.get("progressive") or im.info.get("progression"):
            fail(f"{path.name} is progressive")
        if len(im.getbands()) != 3 or im.mode != "RGB":
            fail(f"{path.name} has mode {im.mode}")
        pixels = np.asarray(im)
    if jpeg_frame_marker(path.read_bytes()) != 0xC0:
        fail(f"{path.name} is not a baseline (SOF0) JPEG")
    return pixels


def jpeg_frame_marker(data):
    """The SOFn marker of a JPEG, found by walking its segments: 0xC0 is
    baseline, 0xC2 progressive. None if there is no frame header."""
    k = 2
    while k + 4 <= len(data) and data[k] == 0xFF:
        marker = data[k + 1]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            return marker
        if marker == 0xDA:
            return None
        k += 2 + struct.unpack_from(">H", data, k + 2)[0]
    return None


def check_banner(path):
    pixels = check_jpeg(path, BANNER_SIZE)
    lum = relative_luminance(pixels)
    for x0, y0, x1, y1 in BANNER_DARK_ZONES:
        zone = lum[y0:y1, x0:x1]
        worst = float(zone.max())
        if worst > DARK_LIMIT:
            y, x = np.unravel_index(int(zone.argmax()), zone.shape)
            fail(f"banner.jpg: luminance {worst:.4f} at ({x0 + x}, {y0 + y}), limit {DARK_LIMIT}")
        # A soft approach, not a cliff: a few pixels outside, it is already this dark.
        near = lum[max(0, y0 - 8) : y1 + 8, max(0, x0 - 8) : x1 + 8]
        if float(near.max()) > DARK_LIMIT:
            fail(f"banner.jpg: the fade into zone {(x0, y0, x1, y1)} is too abrupt ({float(near.max()):.4f})")
    bright = float(lum[40:380].max())
    if bright < 0.5:
        fail(f"banner.jpg: the picture above the dark band is dull (brightest {bright:.2f})")
    return max(float(lum[y0:y1, x0:x1].max()) for x0, y0, x1, y1 in BANNER_DARK_ZONES)


def read_ico(path):
    """Parses an .ico and checks each entry is a whole BMP DIB.

    Returns ([(width, height, bpp, header fields, DIB bytes)], file bytes)."""
    data = path.read_bytes()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        fail(f"{path.name}: not an icon file")
    entries = []
    for k in range(count):
        w, h, colours, _, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        dib = data[offset : offset + size]
        if len(dib) != size or dib[:8] == b"\x89PNG\r\n\x1a\n":
            fail(f"{path.name}: entry {k} is cut short or PNG")
        header = struct.unpack_from("<IiiHHIIiiII", dib, 0)
        w, h = w or 256, h or 256
        if (
            header[0] != 40
            or header[1] != w
            or header[2] != 2 * h
            or header[4] != bpp
            or header[5] != 0
            or planes != 1
            or colours != 0
        ):
            fail(f"{path.name}: entry {k} has a bad header {header}")
        palette = header[9] * 4 if bpp <= 8 else 0
        stride = (w * bpp + 31) // 32 * 4
        mask_stride = (w + 31) // 32 * 4
        if size != 40 + palette + stride * h + mask_stride * h:
            fail(f"{path.name}: entry {k} is {size} bytes, which does not fit {w}x{h} at {bpp} bpp")
        entries.append((w, h, bpp, header, dib))
    return entries, data


def check_icons(program_images):
    entries, _ = read_ico(ASSETS / "pelindra.ico")
    if [(w, h, bpp) for w, h, bpp, *_ in entries] != [(n, n, 32) for n in ICO_SIZES]:
        fail(f"pelindra.ico holds {[(w, bpp) for w, h, bpp, *_ in entries]}")
    for (w, h, _, _, dib), n in zip(entries, ICO_SIZES):
        # Read the pixels back and compare: catches a flipped or swapped image.
        bgra = np.frombuffer(dib[40 : 40 + w * h * 4], np.uint8).reshape(h, w, 4)[::-1]
        if not np.array_equal(bgra[..., [2, 1, 0, 3]], np.asarray(program_images[n])):
            fail(f"pelindra.ico: the {n} px image does not read back as drawn")
    entries, data = read_ico(ASSETS / "about.ico")
    if (
        len(data) != ABOUT_ICO_BYTES
        or [(w, h, bpp) for w, h, bpp, *_ in entries] != [(32, 32, 8)]
        or entries[0][3][9] != 256
    ):
        fail(f"about.ico: {len(data)} bytes, entries {[(w, h, bpp) for w, h, bpp, *_ in entries]}")
    # Pillow reads both back too, which is roughly what Qt's ico plugin does.
    for name, n in (("pelindra.ico", 128), ("about.ico", 32)):
        with Image.open(ASSETS / name) as im:
            im.load()
            if im.size != (n, n):
                fail(f"{name}: Pillow sees {im.size}")


def check_theme_icons():
    for n in THEME_SIZES:
        with Image.open(ICON_THEME_DIR / f"{n}x{n}" / "apps" / f"{APP_ID}.png") as im:
            if im.size != (n, n) or im.mode != "RGBA":
                fail(f"{n}x{n} theme icon is {im.size} {im.mode}")


def check_fonts(characters, styles):
    for path, wanted, style in styles:
        font = TTFont(str(path))
        cmap = font["cmap"].getBestCmap()
        missing = sorted(c for c in characters if ord(c) not in cmap)
        if missing:
            fail(f"{path.name} lacks {''.join(missing)!r} ({', '.join(f'U+{ord(c):04X}' for c in missing)})")
        family, sub = font["name"].getDebugName(1), font["name"].getDebugName(2)
        if (family, sub) != (wanted, style):
            fail(f"{path.name} is named {family!r} {sub!r}")


def check_web_fonts(pairs):
    for otf, woff2 in pairs:
        desktop, web = TTFont(str(otf)), TTFont(str(woff2))
        em = web["head"].unitsPerEm
        wanted = (round(WEB_ASCENT * em), -round(WEB_DESCENT * em), 0)
        hhea, os2 = web["hhea"], web["OS/2"]
        if (
            web.flavor != "woff2"
            or (hhea.ascent, hhea.descent, hhea.lineGap) != wanted
            or (os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap) != wanted
            or not os2.fsSelection & USE_TYPO_METRICS
        ):
            fail(f"{woff2.name}: metrics {hhea.ascent}/{hhea.descent}/{hhea.lineGap}, wanted {wanted}")
        if web["cmap"].getBestCmap() != desktop["cmap"].getBestCmap():
            fail(f"{woff2.name} does not hold the characters of {otf.name}")


def check_web_icons(images):
    for n in WEB_ICON_SIZES:
        with Image.open(WEB_ICON_DIR / f"pelindra-{n}.png") as im:
            if im.size != (n, n) or im.mode != "RGBA" or not np.array_equal(np.asarray(im), np.asarray(images[n])):
                fail(f"pelindra-{n}.png is {im.size} {im.mode}, or not the icon drawn")


# ---------------------------------------------------------------- main


def main():
    parser = argparse.ArgumentParser(description="Draws Pelindra's pictures and icons and cuts its fonts.")
    parser.add_argument("--texts", type=Path, help="the texts program (tools/texts.cpp), built if not given")
    args = parser.parse_args()
    for need in (NOTO_REGULAR, NOTO_BOLD, NOTO_COPYRIGHT):
        if not need.exists():
            fail(f"{need} is missing; apt-get install fonts-noto-cjk")

    save_jpeg(ASSETS / "banner.jpg", banner_pixels())
    worst = check_banner(ASSETS / "banner.jpg")
    save_jpeg(ASSETS / "block.jpg", block_pixels())
    check_jpeg(ASSETS / "block.jpg", BLOCK_SIZE)

    images = {n: program_icon(n) for n in sorted(set(ICO_SIZES) | set(THEME_SIZES) | set(WEB_ICON_SIZES))}
    write_ico(ASSETS / "pelindra.ico", [(n, n, 32, dib_32(images[n])) for n in ICO_SIZES])
    colours, solid = about_icon()
    write_ico(ASSETS / "about.ico", [(32, 32, 8, dib_8(colours, solid))])
    for n in THEME_SIZES:
        out = ICON_THEME_DIR / f"{n}x{n}" / "apps" / f"{APP_ID}.png"
        out.parent.mkdir(parents=True, exist_ok=True)
        images[n].save(out, "PNG", optimize=True)
    WEB_ICON_DIR.mkdir(parents=True, exist_ok=True)
    for n in WEB_ICON_SIZES:
        images[n].save(WEB_ICON_DIR / f"pelindra-{n}.png", "PNG", optimize=True)
    check_icons(images)
    check_theme_icons()
    check_web_icons(images)

    characters, texts = program_characters(args.texts or texts_program())
    FONT_DIR.mkdir(exist_ok=True)
    styles = (
        (NOTO_REGULAR, FONT_DIR / "PelindraSansSC-Regular.otf", SUBSET_FAMILY, "Regular"),
        (NOTO_BOLD, FONT_DIR / "PelindraSansSC-Heavy.otf", HEAVY_FAMILY, "Bold"),
    )
    for collection, out, family, style in styles:
        subset_font(collection, out, characters, family, style)
    (FONT_DIR / "LICENSE-OFL.txt").write_text(ofl_text(), encoding="utf-8")
    (FONT_DIR / "README").write_text(font_readme(), encoding="utf-8")
    check_fonts(characters, [(out, family, style) for _, out, family, style in styles])
    web_fonts = [(out, out.with_suffix(".woff2")) for _, out, _, _ in styles]
    for otf, woff2 in web_fonts:
        web_font(otf, woff2)
    check_web_fonts(web_fonts)

    non_ascii = sorted(c for c in characters if ord(c) > 0x7F)
    print(f"banner.jpg: darkest zones peak at luminance {worst:.4f} (limit {DARK_LIMIT})")
    print(f"{texts} texts from the layouts and the game")
    print(f"characters: {len(characters)} (95 ASCII + {len(non_ascii)} others)")
    for out in [out for _, out, _, _ in styles] + [woff2 for _, woff2 in web_fonts]:
        print(f"{out.relative_to(ASSETS)}: {out.stat().st_size} bytes")
    print("all outputs checked")


if __name__ == "__main__":
    main()
