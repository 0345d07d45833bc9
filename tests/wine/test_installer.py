# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The installer under Wine as a player runs it: silently (/S) into the user's own programs folder, with
a Start menu entry; the program started from there keeps data.dat beside itself, and the uninstaller
takes back everything but that."""

import glob
import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import MENU, paths, read_bytes, wait_until  # noqa: E402

SHIPPED = ["LICENSE-OFL.txt", "LICENSE.txt", "Pelindra.exe", "README.txt", "Uninstall.exe"]


class Installer(harness.WineTest):
    def test_a_silent_install_runs_and_its_uninstall_leaves_the_record(self):
        (setup,) = glob.glob(os.path.join(paths.build, "pelindra-*-win64-setup.exe"))
        folder = self.wine.user_folder("AppData", "Local", "Programs", "Pelindra")
        entry = self.wine.user_folder("AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                                      "Pelindra.lnk")
        self.assertEqual(self.wine.run([harness.windows_path(setup), "/S"]), 0)
        self.assertEqual(sorted(os.listdir(folder)), SHIPPED)
        self.assertTrue(os.path.isfile(entry))

        program, screen = self.start(os.path.join(folder, "Pelindra.exe"))
        record = b"[Mybest]\r\nTime=0\r\nScore=0\r\n"
        self.assertHolds(program.data_file, record)
        self.end(program, screen, MENU)

        # The uninstaller runs a copy of itself from the temporary folder and returns at once.
        self.assertEqual(self.wine.run([harness.windows_path(os.path.join(folder, "Uninstall.exe")), "/S"]), 0)
        wait_until(lambda: os.listdir(folder) == ["data.dat"] and not os.path.exists(entry),
                   what=lambda: f"only data.dat in {os.listdir(folder)}, and no {entry}")
        self.assertEqual(read_bytes(program.data_file), record)


if __name__ == "__main__":
    unittest.main(argv=harness.test_main(), verbosity=2)
