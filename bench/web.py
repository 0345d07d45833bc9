#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Measures the browser edition on this machine and prints one table: in headless Chromium, or with
--paint-only in the engine PELINDRA_ENGINE names, as the browser tests do.

Every figure is the median of its runs, with their minimum and maximum, unless it says otherwise:
PAIRS cold loads of the page and of its static snapshot, RUNS idle stretches, CLICKS answers and GAMES
games."""
import argparse
import gzip
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "web"))
sys.dont_write_bytecode = True

import page  # noqa: E402
from page import GAME, MENU, RECORD  # noqa: E402

from figures import spread  # noqa: E402

# Counts every timer and animation frame the page asks for, and every one that runs.
COUNT_TIMERS = """
window.__timers = { asked: 0, ran: 0 };
for (const name of ['setTimeout', 'setInterval', 'requestAnimationFrame']) {
  const original = window[name].bind(window);
  window[name] = (callback, ...rest) => {
    window.__timers.asked += 1;
    return original((...args) => { window.__timers.ran += 1; return callback(...args); }, ...rest);
  };
}
"""

# Each answer's latency: from the time the browser took the release of the mouse button to the moment
# after the frame that shows the next deal was drawn (a task queued from that frame's animation
# callback runs once the frame's style, layout and paint are done).
TIME_ANSWERS = """
window.__latencies = [];
document.addEventListener('pointerup', (e) => {
  const start = e.timeStamp;
  requestAnimationFrame(() => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => window.__latencies.push(performance.now() - start);
    channel.port2.postMessage(0);
  });
}, true);
"""

# When the click on Go came (the time the browser took the mouse button's release), and when the clock
# label showed each second.
WATCH_CLOCK = """
window.__clock = [];
window.__watchClock = () => {
  const game = document.querySelector('[data-window="GameWindow"]');
  const clock = game.querySelector('[data-control="透明标签2"] .text');
  const go = game.querySelector('[data-control="超级链接框1"]');
  window.__clock = [];
  go.addEventListener('pointerup', (e) => window.__clock.push(['go', e.timeStamp]), { capture: true, once: true });
  new MutationObserver(() => window.__clock.push([clock.textContent, performance.now()]))
    .observe(clock, { childList: true, characterData: true, subtree: true });
};
"""


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def site_size(site):
    raw = packed = 0
    files = 0
    for folder, _, names in os.walk(site):
        for name in names:
            with open(os.path.join(folder, name), "rb") as f:
                data = f.read()
            raw += len(data)
            packed += len(gzip.compress(data, compresslevel=9, mtime=0))
            files += 1
    return files, raw, packed


# The page's own DOM once the menu shows, with every script and the program's preload taken out: what
# a page that had nothing to run would be, with the same styles, faces and pictures.
SNAPSHOT = """
const root = document.documentElement.cloneNode(true);
root.querySelectorAll('script, link[rel=preload][as=fetch]').forEach((e) => e.remove());
return '<!DOCTYPE html>\\n' + root.outerHTML;
"""
SNAPSHOT_PAGE = "static-menu.html"


def first_paint(url):
    """Navigation start to the first contentful paint, and to the load event's end, in a new browser."""
    b = page.Browser()
    try:
        b.engine.navigate(url)
        fcp = b.wait(lambda: b.js("""const e = performance.getEntriesByName('first-contentful-paint')[0];
                                     return e ? e.startTime : 0"""), "the first contentful paint")
        loaded = b.wait(lambda: b.js("return performance.getEntriesByType('navigation')[0].loadEventEnd"),
                        "the load event's end")
        return fcp, loaded
    finally:
        b.close()


def menu_paints(site, runs):
    """The page's first paint, which is the menu, against the static snapshot of the same menu: both
    served from one copy of the site, each load in a new browser with an empty profile, the order
    alternating from pair to pair."""
    work = tempfile.mkdtemp(prefix="pelindra-bench-")
    try:
        copy = os.path.join(work, "site")
        shutil.copytree(site, copy)
        server = page.Server(copy)
        try:
            b = page.Browser()
            try:
                b.open(server.url)
                snapshot = b.js(SNAPSHOT)
            finally:
                b.close()
            with open(os.path.join(copy, SNAPSHOT_PAGE), "w", encoding="utf-8") as f:
                f.write(snapshot)
            paints, floors, ready = [], [], []
            for n in range(runs):
                for which in ((0, 1) if n % 2 == 0 else (1, 0)):
                    if which == 0:
                        fcp, loaded = first_paint(server.url)
                        paints.append(fcp)
                        ready.append(loaded)
                    else:
                        floors.append(first_paint(server.url + SNAPSHOT_PAGE)[0])
        finally:
            server.close()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return paints, floors, ready


def idle(server, runs, seconds):
    asked, ran = [], []
    for _ in range(runs):
        b = page.Browser(before=COUNT_TIMERS)
        try:
            b.open(server.url)
            time.sleep(1.0)
            b.js("window.__timers = { asked: 0, ran: 0 }")
            time.sleep(seconds)
            counts = b.js("return window.__timers")
            asked.append(counts["asked"])
            ran.append(counts["ran"])
        finally:
            b.close()
    return asked, ran


def click_at(b, element):
    """A click as a player makes it: the pointer comes to rest on the control, then presses it.

    A pointer that arrives in the same instant as the press makes the browser draw a frame for the
    move just before the answer's frame, and the answer then waits for it: that would measure the
    robot, not the page.
    """
    r = b.js("return arguments[0].getBoundingClientRect().toJSON()", element)
    x, y = r["x"] + r["width"] / 2, r["y"] + r["height"] / 2
    b.driver.execute_cdp_cmd("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": x, "y": y})
    b.driver.execute_async_script(
        "const done = arguments[0];"
        "requestAnimationFrame(() => requestAnimationFrame(() => setTimeout(done, 20)));")
    for kind in ("mousePressed", "mouseReleased"):
        b.driver.execute_cdp_cmd("Input.dispatchMouseEvent",
                                 {"type": kind, "x": x, "y": y, "button": "left", "clickCount": 1})


def answers(server, clicks):
    # Frames as soon as they are asked for, so that the figure is the page's own work and not the wait
    # for the display's next refresh.
    b = page.Browser(before=TIME_ANSWERS, flags=["--disable-frame-rate-limit", "--disable-gpu-vsync"])
    try:
        b.open(server.url)
        b.click(MENU, "超级链接框1")
        view = page.GameView(b)
        latencies = []
        while len(latencies) < clicks:
            windows = b.windows()
            if windows == [RECORD]:
                b.click(RECORD, "按钮2")
                continue
            if b.shown(GAME, "超级链接框1"):
                b.click(GAME, "超级链接框1")
                continue
            target, board = view.deal()
            score = view.score()
            b.js("window.__latencies = []")
            box = page.BOXES[board.index(target)] if target in board else "超级链接框3"
            click_at(b, b.control(GAME, box))
            b.wait(lambda: b.js("return window.__latencies.length") > 0, "the answer's frame")
            # A click that came as the game ran out is no answer.
            if view.score() != score:
                latencies.append(b.js("return window.__latencies[0]"))
    finally:
        b.close()
    return latencies


def clock(server, games):
    totals, deviations = [], []
    b = page.Browser(before=WATCH_CLOCK)
    try:
        b.open(server.url)
        b.click(MENU, "超级链接框1")
        for _ in range(games):
            b.js("window.__watchClock()")
            b.click(GAME, "超级链接框1")
            b.wait(lambda: any(text == "15秒" for text, _ in b.js("return window.__clock")), "the 15th tick",
                   timeout=30)
            marks = b.js("return window.__clock")
            start = next(t for text, t in marks if text == "go")
            ticks = {}
            for text, t in marks:
                if text.endswith("秒") and text != "0秒" and text[:-1] not in ticks:
                    ticks[text[:-1]] = t
            totals.append(ticks["15"] - start)
            deviations += [ticks[str(n)] - start - 1000 * n for n in range(1, 16)]
            if b.windows() == [RECORD]:
                b.click(RECORD, "按钮2")
            time.sleep(1.5)
    finally:
        b.close()
    return totals, deviations


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--site", default=os.path.join(HERE, "..", "build-web", "site"))
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--pairs", type=int, default=20, help="cold loads of the page and of its static snapshot")
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of each idle stretch")
    parser.add_argument("--clicks", type=int, default=1000)
    parser.add_argument("--games", type=int, default=5)
    parser.add_argument("--paint-only", action="store_true", help="only the size and the first paints")
    args = parser.parse_args()
    site = os.path.abspath(args.site)
    print("site size", file=sys.stderr)
    files, raw, packed = site_size(site)
    print(f"{args.pairs} pairs of cold loads, the page's and the static snapshot's", file=sys.stderr)
    paints, floors, loaded = menu_paints(site, args.pairs)
    ratio = statistics.median(paints) / statistics.median(floors)
    rows = [
        (f"Site, {files} files, uncompressed (KB)", f"{raw / 1000:.1f}", "at most 1000 KB", raw <= 1000 * 1000),
        ("Site, each file gzipped at level 9 (KB)", f"{packed / 1000:.1f}", "at most 400 KB", packed <= 400 * 1000),
        ("Navigation start to the menu painted (ms)", spread(paints), "median at most 250 ms",
         statistics.median(paints) <= 250),
        ("The same for the menu's static snapshot (ms)", spread(floors), "", None),
        ("The menu painted against its static snapshot, ratio of medians", f"{ratio:.2f}", "at most 1.15",
         ratio <= 1.15),
        ("Navigation start to the load event's end (ms)", spread(loaded), "", None),
    ]
    if not args.paint_only:
        server = page.Server(site)
        try:
            print(f"{args.runs} idle stretches of {args.idle:g} s", file=sys.stderr)
            asked, ran = idle(server, args.runs, args.idle)
            print(f"{args.clicks} answers", file=sys.stderr)
            latencies = answers(server, args.clicks)
            print(f"{args.games} games against the clock", file=sys.stderr)
            totals, deviations = clock(server, args.games)
        finally:
            server.close()
        rows += [
            (f"Timers and frames asked for, idle in the menu over {args.idle:g} s", spread(asked, 0), "none",
             max(asked) == 0),
            (f"Timers and frames run, idle in the menu over {args.idle:g} s", spread(ran, 0), "none",
             max(ran) == 0),
            (f"Click on the answer to the next deal painted, median of {len(latencies)} (ms)",
             f"{statistics.median(latencies):.2f} (min {min(latencies):.2f})", "", None),
            ("Click on the answer to the next deal painted, 99th percentile (ms)",
             f"{percentile(latencies, 0.99):.2f} (max {max(latencies):.2f})", "below 16 ms",
             percentile(latencies, 0.99) < 16),
            (f"Game from the click on Go to the 15th tick, {len(totals)} games (ms)", spread(totals, 3),
             "15000 ± 20 ms", all(abs(t - 15000) <= 20 for t in totals)),
            ("Tick deviation from its ideal time, all ticks (ms)",
             f"{statistics.median(deviations):+.3f} ({min(deviations):+.3f} to {max(deviations):+.3f})", "",
             None),
        ]
    width = max(len(r[0]) for r in rows)
    value = max(len(r[1]) for r in rows)
    goal = max(len(r[2]) for r in rows)
    print(f"| {'Figure'.ljust(width)} | {'Measured'.ljust(value)} | {'Goal'.ljust(goal)} | Met |")
    print(f"|{'-' * (width + 2)}|{'-' * (value + 2)}|{'-' * (goal + 2)}|-----|")
    for name, measured, target, met in rows:
        mark = "" if met is None else ("yes" if met else "NO")
        print(f"| {name.ljust(width)} | {measured.ljust(value)} | {target.ljust(goal)} | {mark.ljust(3)} |")


if __name__ == "__main__":
    main()
