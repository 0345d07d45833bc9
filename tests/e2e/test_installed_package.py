# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Debian package, unpacked into a throwaway root, and played from there by a player who may not
write beside the unpacked program. Nothing is installed on this machine."""

import os
import stat
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "packaging"))

import check_package  # noqa: E402
import harness  # noqa: E402

BINARY = None
APP_ID = "io.github.pelindra.pelindra"
PROGRAM = "usr/games/pelindra"

CONTENTS = [
    f"./{PROGRAM}",
    f"./usr/share/applications/{APP_ID}.desktop",
    f"./usr/share/metainfo/{APP_ID}.metainfo.xml",
    "./usr/share/man/man6/pelindra.6.gz",
    "./usr/share/doc/pelindra/copyright",
    "./usr/share/doc/pelindra/changelog.gz",
] + [f"./usr/share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in (16, 22, 24, 32, 48, 64, 128, 256)]


@unittest.skipUnless(os.geteuid() == 0, "a root-owned program directory and a player as nobody need root")
class UnpackedPackage(unittest.TestCase):
    def setUp(self):
        self.workspace = harness.Workspace()
        self.addCleanup(self.workspace.remove)
        self.package = check_package.make_package(os.path.dirname(BINARY), self.workspace.directory("package"))
        self.root = self.workspace.directory("root", 0o755)
        subprocess.run(["dpkg-deb", "-x", self.package, self.root], check=True)

    def test_holds_its_files_and_keeps_the_record_in_the_players_data_directory(self):
        listing = subprocess.run(["dpkg-deb", "-c", self.package], check=True, capture_output=True,
                                 text=True).stdout
        files = {line.split()[-1] for line in listing.splitlines()}
        self.assertEqual([path for path in CONTENTS if path not in files], [])
        # So that a Wayland session runs it natively, where apt installs what is recommended.
        recommends = subprocess.run(["dpkg-deb", "-f", self.package, "Recommends"], check=True,
                                    capture_output=True, text=True).stdout.split(",")
        self.assertIn("qt6-wayland", [name.strip() for name in recommends])
        with open(os.path.join(self.root, f"usr/share/applications/{APP_ID}.desktop"), encoding="utf-8") as entry:
            self.assertIn(f"Exec=/{PROGRAM}\n", entry.read())

        program = os.path.join(self.root, PROGRAM)
        directory = os.stat(os.path.dirname(program))
        # What makes the player fall back on the data directory: a program directory only root may write.
        self.assertEqual((directory.st_uid, stat.S_IMODE(directory.st_mode)), (0, 0o755))

        player = harness.NobodyPlayer(self.workspace)
        code, record, log = player.play(program, "record")
        self.assertEqual(code, 0, f"the player failed:\n{log}")
        self.assertEqual((record["exit"], record["stderr"]), (0, ""))
        self.assertFalse(os.path.exists(os.path.join(os.path.dirname(program), "data.dat")))
        seconds = harness.seconds_of(record["time"])
        self.assertEqual(harness.read_settings(player.kept_record),
                         {"Mybest": {"Time": str(seconds), "Score": record["score"]}})

        code, look, log = player.play(program, "look")
        self.assertEqual(code, 0, f"the player failed:\n{log}")
        self.assertEqual(look["before"], ["0", "0秒"])
        self.assertEqual(look["after"], [record["score"], f"{seconds}秒"])


if __name__ == "__main__":
    BINARY, argv = harness.test_main()
    unittest.main(argv=argv, verbosity=2)
