#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Puts the page, the web fonts and the pictures beside pelindra.js and pelindra.wasm.

The style goes into the page itself, one request less before the menu can be drawn: the page's own rules
(pelindra.css), then those that carry the look, which pelindra_prebuild writes from it. The fonts are the
browser's WOFF2 cuts that assets/make-assets.py makes, with the line metrics every engine reads; the
pictures go as they are, full size, so that a screen at twice the pixel density draws them from their
sources. The program icon, where the desktop's pelindra.ico is 99 KB of bitmaps, goes as the theme
icon's small PNGs: the tab's favicon.ico, and the window's title-bar picture, shown at 16 CSS px.

The site is installable and plays without the network: a web app manifest with the icons make-assets.py
draws for it, and a service worker (sw.js) that keeps every file of the site under a name that changes
with every build."""
import argparse
import hashlib
import json
import os
import re
import shutil
import struct

PICTURES = ("banner.jpg", "block.jpg", "about.ico")
FONTS = ("PelindraSansSC-Regular", "PelindraSansSC-Heavy")
FAVICON_SIZES = (16, 32, 48)
# The title bar shows it at 16 CSS px, which a screen at twice the pixel density draws from 32.
TITLE_ICON_SIZES = (32,)
WEB_ICON_SIZES = (192, 512)
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# What the linker puts in the site.
PROGRAM = ("pelindra.js", "pelindra.wasm")
# Where in pelindra.css the rules that carry the look go.
LOOK_MARK = "/* @LOOK@ */"
# The page's background, which is also what a phone shows around the app as it starts.
NIGHT = "#05070d"
MANIFEST = {
    "name": "Pelindra 鼠游板",
    "short_name": "鼠游板",
    "description": "一款虐手的小游戏，一玩就上瘾！",
    "lang": "zh-Hans",
    "start_url": "./",
    "scope": "./",
    "display": "standalone",
    "background_color": NIGHT,
    "theme_color": NIGHT,
    "icons": [{"src": f"pelindra-{n}.png", "sizes": f"{n}x{n}", "type": "image/png"} for n in WEB_ICON_SIZES],
}


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
    parser.add_argument("--look-style", required=True, help="the rules that pelindra_prebuild wrote from the look")
    args = parser.parse_args()

    fonts = os.path.join(args.site, "fonts")
    os.makedirs(fonts, exist_ok=True)
    with open(os.path.join(args.pages, "pelindra.css"), encoding="utf-8") as f:
        style = f.read()
    with open(args.look_style, encoding="utf-8") as f:
        look = f.read()
    if style.count(LOOK_MARK) != 1:
        raise SystemExit(f"pelindra.css has no {LOOK_MARK} to put the look's rules in place of")
    style = style.replace(LOOK_MARK, look.rstrip("\n"))
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
    for name, sizes in (("favicon.ico", FAVICON_SIZES), ("pelindra.ico", TITLE_ICON_SIZES)):
        with open(os.path.join(args.site, name), "wb") as f:
            f.write(favicon(args.assets, sizes))
    for name in FONTS:
        shutil.copyfile(os.path.join(args.assets, "fonts", name + ".woff2"), os.path.join(fonts, name + ".woff2"))
    shutil.copyfile(os.path.join(args.assets, "fonts", "LICENSE-OFL.txt"), os.path.join(fonts, "LICENSE-OFL.txt"))
    installable(args.assets, args.pages, args.site)


def installable(assets, pages, site):
    """The manifest and its icons, then the service worker, which keeps every file in the site by now."""
    for n in WEB_ICON_SIZES:
        shutil.copyfile(os.path.join(assets, "icons", "web", f"pelindra-{n}.png"),
                        os.path.join(site, f"pelindra-{n}.png"))
    with open(os.path.join(site, "manifest.webmanifest"), "w", encoding="utf-8") as f:
        json.dump(MANIFEST, f, ensure_ascii=False, indent=1)
        f.write("\n")
    for name in PROGRAM:
        if not os.path.isfile(os.path.join(site, name)):
            raise SystemExit(f"{name} is not in {site}: the service worker would keep a site without it")
    files = sorted(path for path in (os.path.relpath(os.path.join(top, name), site).replace(os.sep, "/")
                                     for top, _, names in os.walk(site) for name in names) if path != "sw.js")
    with open(os.path.join(pages, "sw.js"), encoding="utf-8") as f:
        worker = f.read()
    # The build's name is the files' own, and the worker's: any change to any of them makes a new
    # worker, which the browser finds at the next visit online and which replaces the cache before.
    build = hashlib.sha256(worker.encode())
    for name in files:
        with open(os.path.join(site, name), "rb") as f:
            build.update(name.encode() + b"\0" + hashlib.sha256(f.read()).digest())
    for mark, value in (("@BUILD@", build.hexdigest()[:16]), ('["@FILES@"]', json.dumps(files))):
        if mark not in worker:
            raise SystemExit(f"sw.js has no {mark} to fill in")
        worker = worker.replace(mark, value)
    with open(os.path.join(site, "sw.js"), "w", encoding="utf-8") as f:
        f.write(worker)


if __name__ == "__main__":
    main()
