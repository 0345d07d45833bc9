# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The best record survives what players and their machines do: two copies at once, a hand edit while
the game runs, a full disk, links in shared directories, a program directory named in GB18030, and a
logout while the record window is up."""

import os
import shutil
import signal
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import GAME, MENU, play, wait_until  # noqa: E402

BINARY = None


def record_bytes(score, seconds):
    """A file that a record save created."""
    return b"[Mybest]\r\nScore=%d\r\nTime=%d\r\n" % (score, seconds)


def first_run_then(score, seconds):
    """A file that a first run made with both items 0, Time first, and a record save then rewrote."""
    return b"[Mybest]\r\nTime=%d\r\nScore=%d\r\n" % (seconds, score)


def is_root():
    return os.geteuid() == 0


class WrappedProgram(harness.Program):
    """The program started through a command that execs it in the end, so it keeps its process id."""

    def __init__(self, command, *args, **options):
        super().__init__(*args, **options)
        self.command = command

    def start(self):
        with open(self._stderr_path, "wb") as err:
            self.process = harness.spawn(self.command, env=self.environment(), cwd=self.home,
                                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err)
        return self


class RecordSafety(harness.OnScreenTest):
    def run_program(self, executable, program=None, **options):
        program = program or harness.Program(executable, self.x.display, self.workspace, **options)
        self.addCleanup(program.stop)
        program.start()
        program.window(MENU, harness.STARTUP_TIMEOUT)
        return program, play.open_game(harness.Screen(program))

    def reach_a_record(self, program, view, points):
        """One game of points right answers, lost on a wrong box, as far as its record window; returns
        (score, seconds) it shows."""
        view.start_game()
        window = play.to_the_record_window(view, points)
        score = int(window.score())
        self.assertEqual(score, points, "the record window celebrates the game")
        return score, harness.seconds_of(window.time())

    def play_to_a_record(self, program, view, points):
        shown = self.reach_a_record(program, view, points)
        play.RecordView(view.screen).leave()
        wait_until(lambda: program.windows() == [GAME], what="the game window back")
        return shown

    def end(self, program):
        program.close_window(GAME)
        self.assertEqual(program.wait_exit(), 0)

    def own_file(self, program):
        return os.path.join(program.data_home, "Pelindra", "data.dat")

    def test_a_second_copy_never_replaces_the_higher_record_of_the_first(self):
        executable = self.workspace.install(BINARY)
        second, second_view = self.run_program(executable)
        # Started later, the first copy's windows lie above the second's.
        first, first_view = self.run_program(executable)
        score, seconds = self.play_to_a_record(first, first_view, 2)
        self.end(first)
        data = first.data_file
        self.assertEqual(harness.read_bytes(data), first_run_then(score, seconds))

        # The second copy still knows only the 0 it read at start-up, so 1 point is a record to it.
        self.play_to_a_record(second, second_view, 1)
        self.assertEqual(second_view.best(), (str(score), f"{seconds}秒"), "the best that the file holds")
        self.end(second)
        self.assertEqual(harness.read_bytes(data), first_run_then(score, seconds))
        self.assertEqual(second.stderr(), "")

    def test_a_record_on_screen_is_saved_when_a_logout_or_a_closed_terminal_ends_the_program(self):
        for signum in (signal.SIGTERM, signal.SIGHUP):
            with self.subTest(signal.Signals(signum).name):
                program, view = self.run_program(self.workspace.install(BINARY, signal.Signals(signum).name))
                score, seconds = self.reach_a_record(program, view, 2)
                program.process.send_signal(signum)
                self.assertEqual(program.wait_exit(), 128 + signum)
                self.assertEqual(harness.read_bytes(program.data_file), first_run_then(score, seconds))
                self.assertEqual(program.stderr(), "")

    def test_a_hand_edit_made_while_the_game_runs_is_kept(self):
        executable = self.workspace.install(BINARY)
        program, view = self.run_program(executable)
        edited = b"; my own notes\r\n[Mine]\r\nX=1\r\n\r\n[Mybest]\r\nScore=50\r\nTime=7\r\n"
        with open(program.data_file, "wb") as f:
            f.write(edited)
        self.play_to_a_record(program, view, 1)
        self.assertEqual(view.best(), ("50", "7秒"))
        self.end(program)
        self.assertEqual(harness.read_bytes(program.data_file), edited)

    def test_a_record_that_a_full_disk_cannot_take_goes_to_the_users_data_and_is_found_later(self):
        # The program directory is a small tmpfs of its own, filled to the last page, in a mount
        # namespace that lives as long as the program; data.dat there holds 0, or is not there at all.
        unshare = ["unshare", "--mount", "--propagation", "private"]
        if not is_root():
            unshare[1:1] = ["--map-root-user"]
        if subprocess.run(unshare + ["true"], stdin=subprocess.DEVNULL).returncode != 0:
            self.skipTest("no mount namespace to be had here")
        for name, first_file in (("a file at 0", "printf '[Mybest]\\r\\nScore=0\\r\\nTime=0\\r\\n' > \"$1/data.dat\""),
                                 ("no file yet", "true")):
            with self.subTest(name):
                self.full_disk_case(unshare, name.replace(" ", "-"), first_file)

    def full_disk_case(self, unshare, name, first_file):
        directory = self.workspace.directory("full-" + name, 0o755)
        fill = ("mount -t tmpfs -o size=$2 tmpfs \"$1\" && cp \"$3\" \"$1/pelindra\" && " + first_file + " && "
                "{ dd if=/dev/zero of=\"$1/filler\" bs=4096 2>/dev/null; true; } && exec \"$1/pelindra\"")
        size = str((os.path.getsize(BINARY) // 4096 + 64) * 4096)
        command = unshare + ["--", "sh", "-c", fill, "sh", directory, size, BINARY]
        home = self.workspace.directory("home-" + name)

        def full_disk_program():
            return WrappedProgram(command, os.path.join(directory, "pelindra"), self.x.display,
                                  self.workspace, home=home)

        program, view = self.run_program(None, full_disk_program())
        score, seconds = self.play_to_a_record(program, view, 1)
        own = self.own_file(program)
        wait_until(lambda: harness.read_bytes(own) == record_bytes(score, seconds), what="the record in " + own)
        self.assertEqual(view.best(), (str(score), f"{seconds}秒"))
        self.end(program)
        inside = os.path.join(directory, "data.dat")
        self.assertEqual(program.stderr().splitlines(),
                         [f"pelindra: could not save the best record to {inside}: No space left on device; "
                          f"saving it to {own} instead"])

        # Another run, on a disk that is as full as ever, with data.dat beside it as it was.
        again, view = self.run_program(None, full_disk_program())
        view.start_game()
        self.assertEqual(view.best(), (str(score), f"{seconds}秒"))
        self.end(again)
        self.assertEqual(again.stderr(), "")

    def test_a_link_planted_by_another_user_in_a_shared_directory_is_not_followed(self):
        if not is_root():
            self.skipTest("planting a file of another user takes root")
        shared = self.workspace.directory("shared", 0o1777)
        executable = os.path.join(shared, "pelindra")
        shutil.copy2(BINARY, executable)
        # A file that only root may write, and a link to it that another user put beside the program.
        protected = os.path.join(self.workspace.directory("etc", 0o755), "protected")
        content = b"[Mybest]\r\nScore=0\r\nTime=0\r\nroot-only=yes\r\n"
        with open(protected, "wb") as f:
            f.write(content)
        os.chmod(protected, 0o644)
        data = os.path.join(shared, "data.dat")
        os.symlink(protected, data)
        os.lchown(data, *harness.user_ids(*harness.NOBODY))

        program, view = self.run_program(executable)
        own = self.own_file(program)
        score, seconds = self.play_to_a_record(program, view, 1)
        self.end(program)
        self.assertEqual(harness.read_bytes(protected), content)
        self.assertTrue(os.path.islink(data))
        self.assertEqual(harness.read_bytes(own), first_run_then(score, seconds))
        self.assertEqual(program.stderr().splitlines(),
                         [f"pelindra: not using {data}: it is a link that belongs to another user; "
                          f"keeping the record in {own} instead"])

    def test_a_link_to_the_players_own_file_is_written_through_keeping_its_group_and_mode(self):
        executable = self.workspace.install(BINARY)
        target = os.path.join(self.workspace.directory("mine", 0o755), "pelindra.dat")
        with open(target, "wb") as f:
            f.write(b"[Mybest]\r\nScore=0\r\nTime=0\r\n")
        os.chmod(target, 0o640)
        if is_root():
            os.chown(target, 0, harness.user_ids(*harness.NOBODY)[1])
        before = os.stat(target)
        data = os.path.join(os.path.dirname(executable), "data.dat")
        os.symlink(target, data)

        program, view = self.run_program(executable)
        score, seconds = self.play_to_a_record(program, view, 1)
        self.end(program)
        self.assertTrue(os.path.islink(data))
        self.assertEqual(harness.read_bytes(target), record_bytes(score, seconds))
        after = os.stat(target)
        self.assertNotEqual(after.st_ino, before.st_ino, "replaced whole, not written in place")
        self.assertEqual((after.st_uid, after.st_gid, after.st_mode), (before.st_uid, before.st_gid, before.st_mode))
        self.assertEqual(os.listdir(os.path.dirname(target)), ["pelindra.dat"])
        self.assertEqual(program.stderr(), "")

    def test_a_program_directory_named_in_gb18030_keeps_its_record_beside_the_program(self):
        # "鼠游板" in GB18030: bytes that are no UTF-8.
        name = "鼠游板".encode("gb18030")
        directory = os.path.join(os.fsencode(self.workspace.root), name)
        os.mkdir(directory, 0o755)
        executable = os.path.join(directory, b"pelindra")
        shutil.copy2(BINARY, executable)
        root_file = harness.read_bytes("/data.dat")

        program, view = self.run_program(executable)
        data = os.path.join(directory, b"data.dat")
        self.assertEqual(harness.read_bytes(data), b"[Mybest]\r\nTime=0\r\nScore=0\r\n")
        score, seconds = self.play_to_a_record(program, view, 1)
        self.end(program)
        self.assertEqual(harness.read_bytes(data), first_run_then(score, seconds))
        self.assertEqual(harness.read_bytes("/data.dat"), root_file, "nothing at the root of the file system")
        self.assertFalse(os.path.exists(self.own_file(program)))


if __name__ == "__main__":
    BINARY, argv = harness.test_main()
    unittest.main(argv=argv, verbosity=2)
