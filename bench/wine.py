#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Measures Pelindra.exe under Wine against the cheapest Win32 window (floor_win32.cpp) and prints one
table: start-ups in alternating pairs, as the X server sees them; the files' sizes; the CPU time idle.

Both programs run in one fresh prefix whose server and Wine's own services are already running, as a
Windows session's are when a player starts a program, on a private Xvfb. A start-up runs from just
before the process is started to the window's first map, and to the last change of its pixels before it
rests (the X server's Damage events on it, which it reports for every drawing); then the program is
killed and the next one starts a second later. Every figure is the median of its runs, with their
minimum and maximum."""
import argparse
import glob
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display
from Xlib.ext import damage

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "wine"))
sys.dont_write_bytecode = True

import harness  # noqa: E402
from figures import print_table, spread  # noqa: E402

REST = 1.5  # seconds without a change to its pixels after which a window counts as painted


class Session:
    """A prefix made for the benchmark, its server kept running, on a private Xvfb."""

    def __init__(self, work):
        self.x = harness.XServer(os.path.join(work, "xvfb.log"))
        self.x.start()
        self.prefix = os.path.join(work, "prefix")
        harness.make_template(self.prefix)
        self.env = harness.wine_env(self.prefix, work, self.x.display)
        self.server = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env)
        # Wine's services start with the first program and stay; they must not hold a pipe of ours.
        subprocess.run(["wine", "cmd", "/c", "exit"], env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        self.display = display.Display(self.x.display)
        self.display.damage_query_version()
        self.display.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.flush()

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env)
        self.server.wait()
        self.display.close()
        self.x.stop()

    def start(self, program):
        """Starts the program; returns (the process, ms to the first map, ms to the last paint)."""
        while self.display.pending_events():  # what earlier programs left
            self.display.next_event()
        windows, mapped, painted = set(), None, None
        start = time.monotonic()
        process = subprocess.Popen(["wine", program], env=self.env, cwd=os.path.dirname(program),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        while painted is None or time.monotonic() - painted < REST:
            if time.monotonic() - start > 30:
                raise RuntimeError(f"{program} showed no window in 30 s")
            while self.display.pending_events():
                event = self.display.next_event()
                now = time.monotonic()
                # Damage is watched from the window's creation, before anything can be drawn in it.
                if event.type == X.CreateNotify and event.width * event.height > 1:
                    event.window.damage_create(damage.DamageReportRawRectangles)
                    windows.add(event.window.id)
                elif event.type == X.MapNotify and event.window.id in windows and mapped is None:
                    mapped = now
                elif type(event).__name__ == "DamageNotify" and event.drawable.id in windows and mapped:
                    painted = now
            self.display.flush()
            time.sleep(0.0005)
        return process, (mapped - start) * 1000, (painted - start) * 1000

    def processes(self):
        """The Unix processes of the prefix: the server, Wine's services and the programs."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/environ", "rb") as f:
                    if f"WINEPREFIX={self.prefix}".encode() in f.read().split(b"\0"):
                        found.append(int(pid))
            except OSError:
                pass
        return set(found) | {self.server.pid}


def cpu_and_wakeups(pids):
    """CPU time in nanoseconds and times scheduled in, over all threads of the processes."""
    cpu = runs = 0
    for pid in pids:
        for task in os.listdir(f"/proc/{pid}/task") if os.path.isdir(f"/proc/{pid}") else ():
            try:
                with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                    fields = f.read().split()
                cpu, runs = cpu + int(fields[0]), runs + int(fields[2])
            except OSError:
                pass
    return cpu, runs


def kill(process):
    process.kill()
    process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", default="build-bench-windows", help="the Windows build directory")
    parser.add_argument("--startups", type=int, default=30, help="start-ups of each program")
    parser.add_argument("--runs", type=int, default=3, help="idle stretches of each program")
    parser.add_argument("--idle", type=float, default=30.0, help="seconds of each idle stretch")
    args = parser.parse_args()

    build = os.path.abspath(args.build)
    work = tempfile.mkdtemp(prefix="pelindra-bench-wine-")
    built = {"Pelindra": os.path.join(build, "Pelindra.exe"),
             "Floor": os.path.join(build, "bench", "pelindra_floor_win32.exe")}
    programs = {}
    for name, path in built.items():
        os.mkdir(os.path.join(work, name))  # data.dat goes beside the game
        programs[name] = shutil.copy(path, os.path.join(work, name))
    figures = {(name, key): [] for name in programs for key in ("map", "paint", "cpu", "wakeups", "all_cpu")}
    session = Session(work)
    try:
        for program in programs.values():  # warm the caches once, unmeasured
            kill(session.start(program)[0])
        for i in range(args.startups):
            print(f"start-up {i + 1} of {args.startups}", file=sys.stderr)
            for name in list(programs)[:: 1 if i % 2 == 0 else -1]:
                time.sleep(1.0)
                process, mapped, painted = session.start(programs[name])
                figures[name, "map"].append(mapped)
                figures[name, "paint"].append(painted)
                kill(process)
        for i in range(args.runs):
            for name, program in programs.items():
                print(f"idle {name} {i + 1} of {args.runs}", file=sys.stderr)
                process = session.start(program)[0]
                everything = session.processes()
                own0, all0 = cpu_and_wakeups([process.pid]), cpu_and_wakeups(everything)
                time.sleep(args.idle)
                own1, all1 = cpu_and_wakeups([process.pid]), cpu_and_wakeups(everything)
                figures[name, "cpu"].append((own1[0] - own0[0]) / 1e6)
                figures[name, "wakeups"].append(own1[1] - own0[1])
                figures[name, "all_cpu"].append((all1[0] - all0[0]) / 1e6)
                kill(process)
    finally:
        session.close()
        shutil.rmtree(work, ignore_errors=True)

    def ratio(key):
        game, floor = (statistics.median(figures[name, key]) for name in programs)
        return f"{game / floor:.2f}"

    sizes = {os.path.basename(path): os.path.getsize(path) / 1024 for path in
             [os.path.join(build, "Pelindra.exe"), *glob.glob(os.path.join(build, "Pelindra-*"))]}
    idle = f"{args.idle:g} s"
    rows = [
        ("Start to the first window mapped (ms)", spread(figures["Pelindra", "map"]),
         spread(figures["Floor", "map"]), ratio("map")),
        ("Start to the first window painted (ms)", spread(figures["Pelindra", "paint"]),
         spread(figures["Floor", "paint"]), ratio("paint")),
        (f"CPU time of the program idle in the menu over {idle} (ms)", spread(figures["Pelindra", "cpu"], 2),
         spread(figures["Floor", "cpu"], 2), ""),
        (f"Wake-ups of the program idle in the menu over {idle}", spread(figures["Pelindra", "wakeups"], 0),
         spread(figures["Floor", "wakeups"], 0), ""),
        (f"CPU time of all the prefix's processes over {idle} (ms)", spread(figures["Pelindra", "all_cpu"], 2),
         spread(figures["Floor", "all_cpu"], 2), ""),
        ("Program file (KiB)", *(f"{os.path.getsize(path) / 1024:.1f}" for path in built.values()), ""),
    ] + [(f"{name} (KiB)", f"{size:.1f}", "", "") for name, size in sorted(sizes.items()) if name != "Pelindra.exe"]
    print_table(("Figure", "Pelindra.exe", "Floor", "Ratio"), rows)


if __name__ == "__main__":
    main()
