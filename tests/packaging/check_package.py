#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the Debian package from a build, in a directory of its own, and has lintian look at it.

    check_package.py BUILD_DIR

Any tag fails the check, informational and pedantic ones included: the package is clean at every level
lintian has, so whatever it finds is new.
"""
import glob
import subprocess
import sys
import tempfile


def make_package(build, into):
    """Runs CPack on the build with its output under `into`; returns the path of the .deb."""
    made = subprocess.run(["cpack", "-G", "DEB", "--config", f"{build}/CPackConfig.cmake", "-B", into],
                          capture_output=True, text=True)
    if made.returncode != 0:
        raise RuntimeError(f"cpack failed:\n{made.stdout}{made.stderr}")
    (package,) = glob.glob(f"{into}/pelindra_*.deb")
    return package


def main():
    (build,) = sys.argv[1:]
    with tempfile.TemporaryDirectory(prefix="pelindra-package-") as tmp:
        package = make_package(build, tmp)
        result = subprocess.run(["lintian", "--pedantic", "--info", "--fail-on", "error,warning,info,pedantic",
                                 "--tag-display-limit", "0", package], capture_output=True, text=True)
    # lintian's notice that it runs as root is no finding.
    report = [line for line in (result.stdout + result.stderr).splitlines()
              if line and "running with root privileges" not in line]
    print("\n".join(report) or "lintian: no tags")
    sys.exit(result.returncode)


if __name__ == "__main__":
    main()
