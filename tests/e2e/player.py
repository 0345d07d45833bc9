# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plays Pelindra as whichever user starts it, on an X server and bus of its own, and tells what it saw.

The game tests start it as another user than their own, because a program run by that user has to be
on that user's accessibility bus. It prints one line of JSON:

  record  plays one game to a new best: {"score": ..., "time": ..., "exit": ..., "stderr": ...}
  look    reads the best record before and after a game starts: {"before": ..., "after": ..., ...}
"""

import argparse
import json
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import GAME, MENU, play  # noqa: E402


def play_to_a_record(view):
    view.start_game()
    score, time = play.play_to_a_record(view, 3)
    return {"score": score, "time": time}


def look_at_the_best(view):
    before = view.best()
    view.start_game()
    return {"before": before, "after": view.best()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--data-home", required=True)
    parser.add_argument("what", choices=("record", "look"))
    args = parser.parse_args()
    harness.stop_everything_on_sigterm()

    workspace = harness.Workspace()
    x = harness.XServer(os.path.join(workspace.root, "xvfb.log"))
    try:
        program = harness.Program(args.binary, x.start(), workspace, home=args.home,
                                  data_home=args.data_home)
        program.start()
        program.window(MENU, harness.STARTUP_TIMEOUT)
        view = play.open_game(harness.Screen(program))
        seen = play_to_a_record(view) if args.what == "record" else look_at_the_best(view)
        program.close_window(GAME)
        seen["exit"] = program.wait_exit()
        seen["stderr"] = program.stderr()
    finally:
        harness.stop_everything()
    print(json.dumps(seen, ensure_ascii=False))


if __name__ == "__main__":
    main()
