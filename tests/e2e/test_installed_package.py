# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Debian package, installed on this machine the way a player installs it, and played by a player
who may not write beside the installed program."""

import glob
import os
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402

BINARY = None
APP_ID = "io.github.pelindra.pelindra"

CONTENTS = [
    "./usr/bin/pelindra",
    f"./usr/share/applications/{APP_ID}.desktop",
    f"./usr/share/metainfo/{APP_ID}.metainfo.xml",
    "./usr/share/doc/pelindra/copyright",
] + [f"./usr/share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in (16, 22, 24, 32, 48, 64, 128, 256)]


def installed():
    status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "pelindra"], capture_output=True, text=True)
    return status.returncode == 0 and status.stdout.endswith(" installed")


@unittest.skipUnless(os.geteuid() == 0, "installing a package needs root")
class InstalledPackage(unittest.TestCase):
    def setUp(self):
        if installed():
            self.skipTest("pelindra is installed on this machine already; not touching it")
        build = os.path.dirname(BINARY)
        subprocess.run(["cpack", "-G", "DEB"], cwd=build, check=True, stdout=subprocess.DEVNULL)
        self.package = max(glob.glob(os.path.join(build, "pelindra_*.deb")), key=os.path.getmtime)

    def test_installs_with_apt_and_keeps_the_record_in_the_players_data_directory(self):
        listing = subprocess.run(["dpkg-deb", "-c", self.package], check=True, capture_output=True,
                                 text=True).stdout
        files = {line.split()[-1] for line in listing.splitlines()}
        self.assertEqual([path for path in CONTENTS if path not in files], [])

        self.addCleanup(subprocess.run, ["apt-get", "remove", "-y", "-qq", "pelindra"],
                        stdout=subprocess.DEVNULL, env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        subprocess.run(["apt-get", "install", "-y", "-qq", "--no-install-recommends", self.package], check=True,
                       stdout=subprocess.DEVNULL, env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        self.assertTrue(installed())

        workspace = harness.Workspace()
        self.addCleanup(workspace.remove)
        player = harness.NobodyPlayer(workspace)

        code, record, log = player.play("/usr/bin/pelindra", "record")
        self.assertEqual(code, 0, f"the player failed:\n{log}")
        self.assertEqual((record["exit"], record["stderr"]), (0, ""))
        self.assertFalse(os.path.exists("/usr/bin/data.dat"))
        seconds = harness.seconds_of(record["time"])
        self.assertEqual(harness.read_settings(player.kept_record),
                         {"Mybest": {"Time": str(seconds), "Score": record["score"]}})

        code, look, log = player.play("/usr/bin/pelindra", "look")
        self.assertEqual(code, 0, f"the player failed:\n{log}")
        self.assertEqual(look["before"], ["0", "0秒"])
        self.assertEqual(look["after"], [record["score"], f"{seconds}秒"])


if __name__ == "__main__":
    BINARY, argv = harness.test_main()
    unittest.main(argv=argv, verbosity=2)
