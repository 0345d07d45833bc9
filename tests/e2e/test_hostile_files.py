# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program handed a data.dat it did not write: it has to start, show the menu, read what can
be read, and write a new record over the file without losing anything else that was in it."""

import os
import shutil
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import GAME, MENU, game, play, wait_until  # noqa: E402
from hostile import CASES, fresh  # noqa: E402

BINARY = None


class HostileFiles(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.workspace = harness.Workspace()
        cls.x = harness.XServer(os.path.join(cls.workspace.root, "xvfb.log"))
        cls.x.start()

    @classmethod
    def tearDownClass(cls):
        cls.x.stop()
        cls.workspace.remove()

    def test_every_file_is_survived_read_as_far_as_it_can_be_and_kept_when_a_record_is_written(self):
        self.assertGreaterEqual(len(CASES) + 1, 20, "the corpus and the unreadable file below")
        for number, case in enumerate(CASES):
            with self.subTest(case.name):
                self.run_case(number, case)

    def run_case(self, number, case):
        executable = self.workspace.install(BINARY, f"program-{number}")
        directory = os.path.dirname(executable)
        data = os.path.join(directory, "data.dat")
        elsewhere = os.path.join(self.workspace.directory(f"elsewhere-{number}", 0o755), "real.dat")
        if case.special == "directory":
            os.mkdir(data)
        elif case.special == "dangling":
            os.symlink(os.path.join(directory, "gone", "data.dat"), data)
        elif case.special == "link":
            with open(elsewhere, "wb") as f:
                f.write(case.stored)
            os.symlink(elsewhere, data)
        else:
            with open(data, "wb") as f:
                f.write(case.stored)

        home = self.workspace.directory(f"home-{number}")
        program = harness.Program(executable, self.x.display, self.workspace, home=home)
        program.start()
        try:
            program.window(MENU, harness.STARTUP_TIMEOUT)
            view = play.open_game(harness.Screen(program))
            self.assertEqual(view.best(), ("0", "0秒"), "the stored record shows only from the first game")
            view.start_game()
            if case.best is not None:
                self.assertEqual(view.best(), case.best)
            kept = {"beside": data, "data": os.path.join(home, "data", "Pelindra", "data.dat"),
                    "link target": elsewhere}[case.where]
            before = harness.read_bytes(kept)
            score, seconds = self.play(program, view, case.points, expect_record=case.after is not None)
            if case.after is None:
                self.assertEqual(harness.read_bytes(kept), before, "no record, no write")
            else:
                wait_until(lambda: harness.read_bytes(kept) == case.after(score, seconds),
                           what=f"the record {score} at {seconds} s in {kept}")
            if case.special == "directory":
                self.assertTrue(os.path.isdir(data))
            if case.special in ("dangling", "link"):
                self.assertTrue(os.path.islink(data))
            program.close_window(GAME)
            self.assertEqual(program.wait_exit(), 0)
        finally:
            program.stop()

    def play(self, program, view, points, expect_record):
        if not expect_record:
            view.play(points)
            wait_until(lambda: view.shows(game.kGameOverNotice), what="the game over")
            self.assertEqual(program.windows(), [GAME], "no record window")
            return None, None
        score, time = play.play_to_a_record(view, points)
        self.assertEqual(int(score), points)
        return int(score), harness.seconds_of(time)


class UnreadableFile(unittest.TestCase):
    """A data.dat its player may not read is left alone, and the record kept in their data directory."""

    def test_an_unreadable_file_is_left_alone_and_the_record_kept_in_the_users_data(self):
        workspace = harness.Workspace()
        self.addCleanup(workspace.remove)
        executable = workspace.install(BINARY)
        directory = os.path.dirname(executable)
        # The directory takes the player's files; the file itself is closed to them.
        shutil.chown(directory, *harness.user_ids(*harness.NOBODY))
        data = os.path.join(directory, "data.dat")
        secret = b"[Secret]\r\nA=1\r\n[Mybest]\r\nScore=5\r\nTime=5\r\n"
        with open(data, "wb") as f:
            f.write(secret)
        os.chmod(data, 0o600)
        player = harness.NobodyPlayer(workspace)

        code, record, log = player.play(executable, "record")
        self.assertEqual(code, 0, f"the player failed:\n{log}")
        self.assertEqual(record["exit"], 0)
        self.assertEqual(harness.read_bytes(data), secret)
        score, seconds = int(record["score"]), harness.seconds_of(record["time"])
        self.assertEqual(harness.read_bytes(player.kept_record), fresh(score, seconds))


if __name__ == "__main__":
    BINARY, argv = harness.test_main()
    unittest.main(argv=argv, verbosity=2)
