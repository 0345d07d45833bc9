# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Pelindra.exe as a player gets it and plays it under Wine: one self-contained file, data.dat made
beside it and kept there, by the mouse and by the keyboard alone, over a data.dat someone else wrote,
and from a folder that takes no files."""

import glob
import os
import subprocess
import sys
import unittest
import zipfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import paths, play  # noqa: E402
from hostile import CASES  # noqa: E402

# What the Windows edition ships as files of its own: the program and the texts; no DLL.
SHIPPED = {"Pelindra.exe", "README.txt", "LICENSE.txt", "LICENSE-OFL.txt"}
MINGW_RUNTIME = ("libstdc++", "libgcc", "libwinpthread")


def made_then(score, seconds):
    """data.dat as a first run makes it, Time first, then rewritten with a record."""
    return b"[Mybest]\r\nTime=%d\r\nScore=%d\r\n" % (seconds, score)


def play_to_a_record(test, screen, points):
    """One game of points right answers from the menu, lost on a wrong box, and the record window left;
    returns the (score, seconds) it showed."""
    view = play.open_game(screen)
    view.start_game()
    score, seconds = play.play_to_a_record(view, points)
    test.assertEqual(int(score), points)
    return int(score), play.seconds_of(seconds)


class Program(harness.WineTest):
    def test_the_build_makes_one_self_contained_64_bit_windows_program_a_zip_and_an_installer(self):
        headers = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", paths.program], check=True,
                                 capture_output=True, text=True).stdout
        self.assertIn("PE32+", headers)
        self.assertRegex(headers, r"Subsystem\s+00000002\s+\(Windows GUI\)")
        imports = [line.split(":", 1)[1].strip().lower() for line in headers.splitlines() if "DLL Name:" in line]
        # Only Windows' own DLLs, which a fresh prefix has as every Windows has them.
        system = {name.lower() for name in os.listdir(os.path.join(self.wine.prefix, "drive_c", "windows", "system32"))}
        self.assertTrue(imports and set(imports) <= system, imports)
        self.assertFalse([name for name in imports if name.startswith(MINGW_RUNTIME)])
        self.assertEqual(glob.glob(os.path.join(os.path.dirname(paths.program), "*.dll")), [])

        (archive,) = glob.glob(os.path.join(paths.build, "pelindra-*-win64.zip"))
        with zipfile.ZipFile(archive) as z:
            self.assertEqual({os.path.basename(name) for name in z.namelist()}, SHIPPED)
        self.assertEqual(len(glob.glob(os.path.join(paths.build, "pelindra-*-win64-setup.exe"))), 1)

    def test_a_first_run_makes_data_dat_beside_the_program_and_a_record_is_written_there(self):
        program, screen = self.start(self.install("first-run"))
        self.assertHolds(program.data_file, made_then(0, 0))
        score, seconds = play_to_a_record(self, screen, 2)
        self.assertHolds(program.data_file, made_then(score, seconds))
        self.end(program, screen)

    def test_the_keyboard_alone_plays_to_a_record_and_reads_the_game_as_a_screen_reader_does(self):
        program, screen = self.start(self.install("keys"))
        play.play_by_keys(screen, self)
        self.end(program, screen)

    def test_a_record_written_over_gbk_bytes_and_comments_keeps_them(self):
        for case in (c for c in CASES if c.name in ("gbk-elsewhere.dat", "comments.dat")):
            with self.subTest(case.name):
                program, screen = self.start(self.install(case.name, case.stored))
                score, seconds = play_to_a_record(self, screen, case.points)
                self.assertHolds(program.data_file, case.after(score, seconds))
                self.end(program, screen)



class FolderThatTakesNoFiles(harness.WineTest):
    # Root writes anywhere: as root, the game is played by another user.
    user = "nobody" if os.geteuid() == 0 else None

    def test_a_program_folder_that_takes_no_files_leaves_the_record_to_the_users_application_data(self):
        executable = self.install("read-only")
        folder = os.path.dirname(executable)
        os.chmod(folder, 0o555)
        program, screen = self.start(executable)
        score, seconds = play_to_a_record(self, screen, 1)
        kept = self.wine.user_folder("AppData", "Roaming", "Pelindra", "data.dat")
        self.assertHolds(kept, made_then(score, seconds))
        self.assertEqual(os.listdir(folder), ["Pelindra.exe"])
        (report,) = program.reports()
        self.assertIn(r"AppData\Roaming\Pelindra\data.dat instead", report)
        self.end(program, screen)


if __name__ == "__main__":
    unittest.main(argv=harness.test_main(), verbosity=2)
