#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Puts the page, the web fonts and the pictures beside pelindra.js and pelindra.wasm.

The style goes into the page itself, one request less before the menu can be drawn. The fonts become
WOFF2 (fonttools with brotli); the pictures go as they are, full size, so that a screen at twice the
pixel density draws them from their sources."""
import argparse
import os
import shutil

from fontTools.ttLib import TTFont

PICTURES = ("banner.jpg", "block.jpg", "about.ico", "pelindra.ico")
FONTS = ("PelindraSansSC-Regular", "PelindraSansSC-Heavy")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--assets", required=True)
    parser.add_argument("--pages", required=True, help="the folder with index.html and pelindra.css")
    parser.add_argument("--site", required=True)
    args = parser.parse_args()

    fonts = os.path.join(args.site, "fonts")
    os.makedirs(fonts, exist_ok=True)
    with open(os.path.join(args.pages, "pelindra.css"), encoding="utf-8") as f:
        style = f.read()
    with open(os.path.join(args.pages, "index.html"), encoding="utf-8") as f:
        html = f.read()
    link = '<link rel="stylesheet" href="pelindra.css">'
    if link not in html:
        raise SystemExit("index.html has no link to pelindra.css to put the style in place of")
    with open(os.path.join(args.site, "index.html"), "w", encoding="utf-8") as f:
        f.write(html.replace(link, "<style>\n" + style + "</style>"))
    for name in PICTURES:
        shutil.copyfile(os.path.join(args.assets, name), os.path.join(args.site, name))
    for name in FONTS:
        font = TTFont(os.path.join(args.assets, "fonts", name + ".otf"))
        font.flavor = "woff2"
        font.save(os.path.join(fonts, name + ".woff2"))
    shutil.copyfile(os.path.join(args.assets, "fonts", "LICENSE-OFL.txt"), os.path.join(fonts, "LICENSE-OFL.txt"))


if __name__ == "__main__":
    main()
