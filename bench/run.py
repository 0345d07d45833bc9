#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Measures the real program under Xvfb against the cheapest Qt Widgets window, and prints one table.

Every figure is the median of its runs, with their minimum and maximum: STARTUPS start-ups of each
program, RUNS of the rest."""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display, protocol

from figures import print_table, spread

MENU_START = (50 + 32 + 248 + 48, 50 + 192 + 32 + 12)  # "开始游戏", in the menu's grouped box
GAME_GO = (50 + 288 + 48, 50 + 144 + 12)  # "立刻开始！Go"


class Xvfb:
    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as answer:
            self.name = ":" + answer.readline().strip()
        self.x = display.Display(self.name)

    def close(self):
        self.process.terminate()
        self.process.wait()

    def top_windows(self, pid_name):
        found = []
        for window in self.x.screen().root.query_tree().children:
            try:
                if window.get_attributes().map_state == X.IsViewable and window.get_wm_class():
                    found.append(window)
            except Exception:  # a window that went away meanwhile
                pass
        return found

    def close_all(self):
        atom = self.x.intern_atom
        for window in self.top_windows(None):
            event = protocol.event.ClientMessage(
                window=window, client_type=atom("WM_PROTOCOLS"),
                data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
            window.send_event(event)
        self.x.flush()


def thread_stats(pid):
    """CPU time in nanoseconds and times scheduled in, over all threads of the process."""
    cpu = runs = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                fields = f.read().split()
            cpu += int(fields[0])
            runs += int(fields[2])
        except OSError:
            pass
    return cpu, runs


def peak_rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return float("nan")


class Run:
    """One start of a program, up to the end of its first paint."""

    def __init__(self, binary, probe, server, workdir):
        self.server = server
        read, write = os.pipe()
        env = {"PATH": "/usr/bin:/bin", "DISPLAY": server.name, "HOME": workdir, "LD_PRELOAD": probe,
               "PELINDRA_PROBE_FD": str(write), "XDG_RUNTIME_DIR": workdir, "LANG": "C.UTF-8"}
        start = time.monotonic_ns()
        self.process = subprocess.Popen([binary], env=env, pass_fds=(write,), cwd=workdir,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as answer:
            painted = answer.readline().strip()
        self.startup_ms = (int(painted) - start) / 1e6 if painted else float("nan")

    def idle(self, seconds):
        cpu0, runs0 = thread_stats(self.process.pid)
        time.sleep(seconds)
        cpu1, runs1 = thread_stats(self.process.pid)
        return (cpu1 - cpu0) / 1e6, runs1 - runs0

    def click(self, at):
        subprocess.run(["xdotool", "mousemove", str(at[0]), str(at[1]), "click", "1"],
                       env={"DISPLAY": self.server.name}, check=True)
        subprocess.run(["xdotool", "mousemove", "1000", "700"], env={"DISPLAY": self.server.name}, check=True)

    def close(self):
        self.server.close_all()
        try:
            return self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return self.process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", default="build-bench", help="the build directory")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--startups", type=int, default=30,
                        help="start-ups of each program; they are cheap, and their spread is wide")
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of each idle measurement")
    parser.add_argument("--clicks", type=int, default=1000)
    parser.add_argument("--games", type=int, default=5)
    args = parser.parse_args()

    build = os.path.abspath(args.build)
    game = os.path.join(build, "pelindra")
    floor = os.path.join(build, "bench", "pelindra_floor")
    probe = os.path.join(build, "bench", "pelindra_paint_probe.so")
    inprocess = os.path.join(build, "bench", "pelindra_bench_inprocess")
    server = Xvfb()
    work = tempfile.mkdtemp(prefix="pelindra-bench-")
    shutil.copy(game, work)  # its data.dat goes beside it
    game = os.path.join(work, "pelindra")
    figures = {key: [] for key in ("start", "rss", "menu_cpu", "menu_wakeups", "game_cpu", "game_wakeups",
                                   "played_rss", "floor_start", "floor_rss")}
    try:
        for binary in (floor, game):  # warm the caches once, unmeasured
            Run(binary, probe, server, work).close()
        # Start-ups first, in pairs whose order alternates, so that neither program gains from
        # following the other or from following a long idle stretch.
        for i in range(args.startups):
            print(f"start-up {i + 1} of {args.startups}", file=sys.stderr)
            pair = ((floor, "floor_start", "floor_rss"), (game, "start", "rss"))
            for binary, start_key, rss_key in pair if i % 2 == 0 else reversed(pair):
                time.sleep(1.0)  # let the X server settle after the last program went
                run = Run(binary, probe, server, work)
                time.sleep(0.3)
                figures[start_key].append(run.startup_ms)
                figures[rss_key].append(peak_rss_mib(run.process.pid))
                run.close()

        for i in range(args.runs):
            print(f"idle and game {i + 1} of {args.runs}", file=sys.stderr)
            time.sleep(1.0)
            run = Run(game, probe, server, work)
            time.sleep(0.3)
            cpu, wakeups = run.idle(args.idle)
            figures["menu_cpu"].append(cpu)
            figures["menu_wakeups"].append(wakeups)
            run.click(MENU_START)
            time.sleep(0.5)
            cpu, wakeups = run.idle(args.idle)
            figures["game_cpu"].append(cpu)
            figures["game_wakeups"].append(wakeups)
            run.click(GAME_GO)
            time.sleep(15.8)
            figures["played_rss"].append(peak_rss_mib(run.process.pid))
            code = run.close()
            if code != 0:
                print(f"the game exited with {code}", file=sys.stderr)

        env = {"DISPLAY": server.name, "HOME": work, "XDG_RUNTIME_DIR": work, "PATH": "/usr/bin:/bin"}
        clicks = subprocess.run([inprocess, "clicks", str(args.clicks)], env=env, cwd=work, check=True,
                                capture_output=True, text=True).stdout.split()
        games = subprocess.run([inprocess, "clock", str(args.games)], env=env, cwd=work, check=True,
                               capture_output=True, text=True).stdout.splitlines()
    finally:
        server.close()
        shutil.rmtree(work, ignore_errors=True)

    totals = []
    deviations = []
    for line in games:
        words = line.split()
        ticks = [float(w) for w in words[2:words.index("total")]]
        deviations += ticks
        totals.append(float(words[-1]))
    start, floor_start = statistics.median(figures["start"]), statistics.median(figures["floor_start"])
    rss, floor_rss = statistics.median(figures["rss"]), statistics.median(figures["floor_rss"])

    rows = [
        ("Start-up to the end of the first paint (ms)", spread(figures["start"]), spread(figures["floor_start"]),
         f"{start / floor_start:.2f}"),
        ("Peak RSS at the menu after start-up (MiB)", spread(figures["rss"]), spread(figures["floor_rss"]),
         f"{rss / floor_rss:.2f}"),
        ("Peak RSS after a 15-second game (MiB)", spread(figures["played_rss"]), "", ""),
        (f"CPU time idle in the menu over {args.idle:g} s (ms)", spread(figures["menu_cpu"], 2), "", ""),
        (f"Wake-ups idle in the menu over {args.idle:g} s", spread(figures["menu_wakeups"], 0), "", ""),
        (f"CPU time idle in the game window over {args.idle:g} s (ms)", spread(figures["game_cpu"], 2), "", ""),
        (f"Wake-ups idle in the game window over {args.idle:g} s", spread(figures["game_wakeups"], 0), "", ""),
        (f"Click on a digit to the next deal painted, median of {clicks[1]} (ms)",
         f"{float(clicks[2]):.3f} (min {float(clicks[4]):.3f})", "", ""),
        ("Click on a digit to the next deal painted, 99th percentile (ms)",
         f"{float(clicks[3]):.3f} (max {float(clicks[5]):.3f})", "", ""),
        (f"Game from the click on Go to the 15th tick, {len(totals)} games (ms)", spread(totals, 3), "", ""),
        ("Tick deviation from its ideal time, all ticks (ms)",
         f"{statistics.median(deviations):+.3f} ({min(deviations):+.3f} to {max(deviations):+.3f})", "", ""),
    ]
    print_table(("Figure", "Pelindra", "Floor", "Ratio"), rows)


if __name__ == "__main__":
    main()
