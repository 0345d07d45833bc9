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
from harness import GAME, MENU, RECORD, wait_until  # noqa: E402


def play_to_a_record(program):
    view = harness.GameView(program)
    view.start_game()
    for _ in range(3):
        view.answer_right()
    view.lose()
    record = harness.RecordView(program)
    program.window(RECORD)
    seen = {"score": record.score(), "time": record.time()}
    record.leave()
    wait_until(lambda: program.windows() == [GAME], what="the game window back")
    return seen


def look_at_the_best(program):
    view = harness.GameView(program)
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
        program.click_named(MENU, "开始游戏")
        program.window(GAME)
        seen = play_to_a_record(program) if args.what == "record" else look_at_the_best(program)
        program.close_window(GAME)
        seen["exit"] = program.wait_exit()
        seen["stderr"] = program.stderr()
    finally:
        harness.stop_everything()
    print(json.dumps(seen, ensure_ascii=False))


if __name__ == "__main__":
    main()
