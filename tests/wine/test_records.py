# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The best record in data.dat survives two copies of Pelindra.exe at once and a copy killed at any
moment around its save, under Wine."""

import os
import random
import sys
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import GAME, RECORD, play, read_bytes  # noqa: E402

ASIDE = 470  # pixels: no longer under the first copy's windows
KILLS = 6
# A kill comes this long at most after the first trace of the save in the folder, which lasts a few
# milliseconds under Wine: before it has replaced data.dat, while it does, or after.
KILL_WITHIN = 0.005


def record_file(score, seconds):
    return b"[Mybest]\r\nScore=%d\r\nTime=%d\r\n" % (score, seconds)


class Records(harness.WineTest):
    def to_the_record_window(self, screen, points):
        view = play.open_game(screen)
        view.start_game()
        window = play.to_the_record_window(view, points)
        self.assertEqual(window.score(), str(points))
        return view, (points, play.seconds_of(window.time()))

    def test_a_second_copy_never_replaces_the_higher_record_of_the_first(self):
        executable = self.install("two", record_file(0, 0))
        second, second_screen = self.start(executable)
        second_view = play.open_game(second_screen)
        # Moved aside by its caption bar, as a player who keeps two copies open would. The record window
        # hides the game window before it shows, which hands the second copy the activation for a moment;
        # Wine then may raise its window above the first's, where a click meant for the first would land.
        client = second_screen.client(GAME)
        caption = (str(client.x + 100), str(client.y - 8))
        self.wine.xdotool("mousemove", *caption, "mousedown", "1", "mousemove_relative", str(ASIDE), "0", "mouseup", "1")
        second_screen.wait(lambda: second_screen.client(GAME).x == client.x + ASIDE, "the second copy's window aside")
        first, first_screen = self.start(executable)
        first_view, (score, seconds) = self.to_the_record_window(first_screen, 2)
        play.RecordView(first_screen).leave()
        self.end(first, first_screen)
        self.assertHolds(first.data_file, record_file(score, seconds))

        # The second copy still knows only the 0 it read at start-up, so 1 point is a record to it.
        second_view.start_game()
        play.play_to_a_record(second_view, 1)
        self.assertEqual(second_view.best(), (str(score), f"{seconds}秒"), "the best that the file holds")
        self.end(second, second_screen)
        self.assertEqual(read_bytes(first.data_file), record_file(score, seconds))

    def test_a_copy_killed_at_any_moment_around_its_save_leaves_data_dat_whole(self):
        executable = self.install("killed")
        folder = os.path.dirname(executable)
        data = os.path.join(folder, "data.dat")
        found = []
        for _ in range(KILLS):
            with open(data, "wb") as f:
                f.write(record_file(0, 0))
            program, screen = self.start(executable)
            _, shown = self.to_the_record_window(screen, 1)
            before = folder_state(folder)
            x, y = screen.spot(RECORD, play.record.kBackButton)
            harness.spawn(["xdotool", "mousemove", x, y, "click", "1"], env={"DISPLAY": self.wine.x.display})
            # Looked for without a pause: the save is over within a few milliseconds.
            deadline = time.monotonic() + harness.STATE_TIMEOUT
            while folder_state(folder) == before:
                self.assertLess(time.monotonic(), deadline, "the save to begin")
            time.sleep(random.uniform(0, KILL_WITHIN))
            program.kill()
            found.append(sorted(name.split("-")[0] for name in os.listdir(folder)))
            # The next copy puts back a file that a kill between the two renames of a replacement left
            # under another name.
            self.start(executable)[0].stop()
            self.assertIn(read_bytes(data), (record_file(0, 0), record_file(*shown)))
            found[-1].append("saved" if read_bytes(data) == record_file(*shown) else "not saved")
        print(f"the folder at each kill, and data.dat after: {found}", file=sys.stderr)


def folder_state(folder):
    """The names in the folder, and data.dat's size and time if it is there."""
    data = os.path.join(folder, "data.dat")
    return sorted(os.listdir(folder)), os.path.exists(data) and os.stat(data)[6:9]


if __name__ == "__main__":
    unittest.main(argv=harness.test_main(), verbosity=2)
