#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Puts the page, the web fonts and the pictures beside pelindra.js and pelindra.wasm.

The style goes into the page itself, one request less before the menu can be drawn. The fonts become
WOFF2 (fonttools with brotli); the pictures go as they are, full size, so that a screen at twice the
pixel density draws them from their sources. The tab's icon is a favicon.ico of its own, a few KB of
the program icon's small theme pictures, where the desktop's pelindra.ico is 99 KB of bitmaps."""
import argparse
import json
import os
import re
import shutil
import struct

from fontTools.ttLib import TTFont

PICTURES = ("banner.jpg", "block.jpg", "about.ico", "pelindra.ico")
FONTS = ("PelindraSansSC-Regular", "PelindraSansSC-Heavy")
FAVICON_SIZES = (16, 32, 48)
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def favicon(assets, sizes=FAVICON_SIZES):
    """An .ico whose entries are the theme icon's PNGs as they are, which every browser reads."""
    pngs = []
    for n in sizes:
        with open(os.path.join(assets, "icons", "hicolor", f"{n}x{n}", "apps", "io.github.pelindra.pelindra.png"),
                  "rb") as f:
            png = f.read()
        if png[:8] != PNG_SIGNATURE or struct.unpack(">II", png[16:24]) != (n, n):
            raise SystemExit(f"the {n} px theme icon is not a {n} x {n} PNG")
        pngs.append(png)
    offset = 6 + 16 * len(pngs)
    entries = b""
    for n, png in zip(sizes, pngs):
        entries += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    return struct.pack("<HHH", 0, 1, len(pngs)) + entries + b"".join(pngs)


def with_start_windows(html, menu):
    """The page with the start-up windows in its stage, as the program draws them (prebuild.js), and the
    stamp by which the program knows them for its own: the menu paints before the program has loaded."""
    with open(menu, encoding="utf-8") as f:
        drawn = json.load(f)
    stage = re.compile(r'(<div id="stage"[^>]*)></div>')
    if len(stage.findall(html)) != 1:
        raise SystemExit("index.html has no empty stage to draw the start-up windows in")
    return stage.sub(lambda m: f'{m.group(1)} data-prebuilt="{drawn["stamp"]}" data-prebuilt-order="{drawn["order"]}">'
                     + drawn["markup"] + "</div>", html)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--assets", required=True)
    parser.add_argument("--pages", required=True, help="the folder with index.html and pelindra.css")
    parser.add_argument("--site", required=True)
    parser.add_argument("--menu", help="the start-up windows that pelindra_prebuild drew, for the page")
    args = parser.parse_args()

    fonts = os.path.join(args.site, "fonts")
    os.makedirs(fonts, exist_ok=True)
    with open(os.path.join(args.pages, "pelindra.css"), encoding="utf-8") as f:
        style = f.read()
    with open(os.path.join(args.pages, "index.html"), encoding="utf-8") as f:
        html = f.read()
    if args.menu:
        html = with_start_windows(html, args.menu)
    link = '<link rel="stylesheet" href="pelindra.css">'
    if link not in html:
        raise SystemExit("index.html has no link to pelindra.css to put the style in place of")
    with open(os.path.join(args.site, "index.html"), "w", encoding="utf-8") as f:
        f.write(html.replace(link, "<style>\n" + style + "</style>"))
    for name in PICTURES:
        shutil.copyfile(os.path.join(args.assets, name), os.path.join(args.site, name))
    with open(os.path.join(args.site, "favicon.ico"), "wb") as f:
        f.write(favicon(args.assets))
    for name in FONTS:
        font = TTFont(os.path.join(args.assets, "fonts", name + ".otf"))
        font.flavor = "woff2"
        font.save(os.path.join(fonts, name + ".woff2"))
    shutil.copyfile(os.path.join(args.assets, "fonts", "LICENSE-OFL.txt"), os.path.join(fonts, "LICENSE-OFL.txt"))


if __name__ == "__main__":
    main()
