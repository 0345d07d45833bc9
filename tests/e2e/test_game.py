# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Real games, played on the screen: answers, feedback, game over, the clock and the best record."""

import os
import sys
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import GAME, MENU, RECORD, game, wait_until  # noqa: E402

BINARY = None

FIRST_RUN = {"Mybest": {"Time": "0", "Score": "0"}}


class OnScreen(harness.OnScreenTest):
    def setUp(self):
        super().setUp()
        self.executable = self.workspace.install(BINARY)

    def run_program(self):
        program = harness.Program(self.executable, self.x.display, self.workspace)
        self.addCleanup(program.stop)
        program.start()
        program.window(MENU, harness.STARTUP_TIMEOUT)
        return program

    def open_game(self, program):
        return harness.play.open_game(harness.Screen(program))

    def end_program(self, program):
        program.close_window(GAME)
        self.assertEqual(program.wait_exit(), 0)
        self.assertEqual(program.stderr(), "")


class Playing(OnScreen):
    def test_a_first_game_sets_a_record_that_the_next_run_shows(self):
        program = self.run_program()
        data = program.data_file
        # Created while the menu was being built, before it showed.
        self.assertEqual(harness.read_settings(data), FIRST_RUN)
        stored = harness.read_bytes(data)

        view = self.open_game(program)
        self.assert_idle_before_any_game(view)
        self.start_after_idle_answers(view)
        score = harness.play.every_kind_of_answer(view, self)

        clock_before = harness.seconds_of(view.lose())
        record = harness.RecordView(program)
        program.window(RECORD)
        # The record window stands alone; the game window comes back only through its "返回".
        self.assertEqual(program.windows(), [RECORD])
        self.assertEqual(record.score(), str(score))
        seconds = harness.seconds_of(record.time())
        self.assertIn(seconds, (clock_before, clock_before + 1))
        # Written only once the window has closed.
        self.assertEqual(harness.read_bytes(data), stored)

        record.leave()
        wait_until(lambda: program.windows() == [GAME], what="the game window back")
        wait_until(lambda: harness.read_settings(data) == record_file(score, seconds),
                   what=f"data.dat to hold {score} and {seconds}")
        self.assertTrue(view.shows(game.kGameOverNotice))
        self.assertEqual(view.board(), [""] * 9)
        self.assertEqual(view.target(), "0")
        self.assertTrue(view.shows(game.kStartLink))
        self.assertEqual((view.clock(), view.score()), (f"{seconds}秒", str(score)))
        self.assertEqual(view.best(), (str(score), f"{seconds}秒"))
        self.end_program(program)

        # The next run reads the record at start-up, but the game window shows it only from the
        # first game on.
        again = self.run_program()
        view = self.open_game(again)
        self.assertEqual(view.best(), ("0", "0秒"))
        view.start_game()
        self.assertEqual(view.best(), (str(score), f"{seconds}秒"))
        self.end_program(again)
        self.assertEqual(harness.read_settings(data), record_file(score, seconds))

    def assert_idle_before_any_game(self, view):
        self.assertEqual(view.best(), ("0", "0秒"))
        self.assertEqual((view.clock(), view.score(), view.target()), ("0秒", "0", "0 "))
        self.assertEqual(view.board(), [""] * 9)
        for message in (game.kHitMark, game.kHint, game.kGameOverNotice):
            self.assertFalse(view.shows(message), message)

    def start_after_idle_answers(self, view):
        # Answers while no game runs count for nothing. Judged all the same, an empty box would match
        # the empty target and show the hit mark, and a claim would be wrong and show the hint; the
        # start that follows them in the event queue hides neither.
        view.click_box(5)
        view.claim()
        view.start_game()
        self.assertFalse(view.shows(game.kHitMark))
        self.assertFalse(view.shows(game.kHint))

    def test_a_game_left_alone_runs_out_at_15_seconds(self):
        program = self.run_program()
        stored = harness.read_bytes(program.data_file)
        view = self.open_game(program)
        clock = harness.CLOCK_LABEL
        origin = harness.extents(view.window())
        on_screen = harness.Rect(origin.x + clock.x, origin.y + clock.y, clock.width, clock.height)

        started = time.monotonic()
        view.start_game()
        seen = []
        red_at = set()

        def over():
            # Colour and text are set in one tick, so pixels read between two equal texts belong to
            # that text (or, not yet repainted, to the one before it).
            text = view.clock()
            colour = harness.text_colour(program.pixels(on_screen))
            if view.clock() == text:
                if not seen or seen[-1] != text:
                    seen.append(text)
                if colour == "red":
                    red_at.add(harness.seconds_of(text))
            return view.shows(game.kGameOverNotice)

        wait_until(over, 25.0, "the game to run out")
        took = time.monotonic() - started
        self.assertGreater(took, 14.9, "fifteen 1 s ticks cannot be done sooner")
        self.assertEqual(view.clock(), "15秒")
        numbers = [harness.seconds_of(text) for text in seen]
        self.assertEqual(numbers, sorted(set(numbers)), "the clock only goes forward")
        self.assertEqual(red_at - {12, 13, 14, 15}, set(), "red only in the last seconds")
        self.assertTrue(red_at & {12, 13, 14}, "red in the last seconds")
        # The game that ran out leaves the clock white again.
        wait_until(lambda: harness.text_colour(program.pixels(on_screen)) == "white",
                   what="the clock to turn white")

        self.assertEqual(view.board(), [""] * 9)
        self.assertEqual(view.target(), "0")
        self.assertTrue(view.shows(game.kStartLink))
        # Nothing scored is no record: no record window, nothing written.
        self.assertEqual(program.windows(), [GAME])
        self.assertEqual(harness.read_bytes(program.data_file), stored)
        self.end_program(program)


class ByKeyboard(OnScreen):
    """Under a window manager, which gives each new window the keyboard as a desktop does."""

    def setUp(self):
        super().setUp()
        openbox = harness.Openbox(self.x.display, self.workspace)
        self.addCleanup(openbox.stop)
        openbox.start()

    def test_a_game_played_by_keys_alone_reads_in_order_and_tells_each_new_digit_on_the_bus(self):
        program = self.run_program()
        told = harness.Announcements()
        harness.play.play_by_keys(harness.Screen(program), self)
        digits = {name for role, name in told.after_events() if role == harness.pyatspi.ROLE_STATUS_BAR}
        self.assertTrue(digits & set("0123456789"), "the digit to press, each time it changed")
        program.close_window(GAME)
        self.assertEqual(program.wait_exit(), 0)
        # Qt's bridge gives the bus a tenth of a second for each key a screen reader might take; on a busy
        # machine it says so, and hands the key on all the same.
        said = [line for line in program.stderr().splitlines() if not line.startswith("QSpiApplication::keyEventError")]
        self.assertEqual(said, [])


class NoWriteAccess(unittest.TestCase):
    """A player who may not write to the program's directory keeps the record in their data directory."""

    def test_the_record_is_kept_in_the_data_directory_and_read_back(self):
        workspace = harness.Workspace()
        self.addCleanup(workspace.remove)
        executable = workspace.install(BINARY)
        player = harness.NobodyPlayer(workspace)

        def play(what):
            code, result, log = player.play(executable, what)
            self.assertEqual(code, 0, f"the player failed:\n{log}")
            return result

        record = play("record")
        self.assertEqual(record["exit"], 0)
        self.assertEqual(record["stderr"], "")
        score, seconds = record["score"], harness.seconds_of(record["time"])
        self.assertGreater(int(score), 0)
        self.assertFalse(os.path.exists(os.path.join(os.path.dirname(executable), "data.dat")))
        self.assertEqual(harness.read_settings(player.kept_record), record_file(int(score), seconds))

        look = play("look")
        self.assertEqual(look["exit"], 0)
        self.assertEqual(look["before"], ["0", "0秒"])
        self.assertEqual(look["after"], [score, f"{seconds}秒"])


def record_file(score, seconds):
    return {"Mybest": {"Score": str(score), "Time": str(seconds)}}


if __name__ == "__main__":
    BINARY, argv = harness.test_main()
    unittest.main(argv=argv, verbosity=2)
