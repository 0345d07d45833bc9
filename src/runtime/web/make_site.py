#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Puts the page, its style, the web fonts and the pictures beside pelindra.js and pelindra.wasm.

The fonts become WOFF2 (fonttools with brotli); the pictures go as they are, full size, so that a
screen at twice the pixel density draws them from their sources."""
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
    for name in ("index.html", "pelindra.css"):
        shutil.copyfile(os.path.join(args.pages, name), os.path.join(args.site, name))
    for name in PICTURES:
        shutil.copyfile(os.path.join(args.assets, name), os.path.join(args.site, name))
    for name in FONTS:
        font = TTFont(os.path.join(args.assets, "fonts", name + ".otf"))
        font.flavor = "woff2"
        font.save(os.path.join(fonts, name + ".woff2"))
    shutil.copyfile(os.path.join(args.assets, "fonts", "LICENSE-OFL.txt"), os.path.join(fonts, "LICENSE-OFL.txt"))


if __name__ == "__main__":
    main()
