#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Compiles the Windows resource script and reads the result back: the version record must carry the
project version, the product name and the Chinese comment intact, and the program icon all its sizes."""
import subprocess
import sys
import tempfile

windres, script, version, comment = sys.argv[1:5]

with tempfile.TemporaryDirectory() as tmp:
    res = f"{tmp}/pelindra.res"
    # The host's C preprocessor stands in for the cross compiler's: the script needs no Windows headers.
    subprocess.run([windres, "--preprocessor=cpp", "-i", script, "-o", res, "-O", "res"], check=True)
    decoded = subprocess.run([windres, "-i", res, "-O", "rc"], check=True, capture_output=True, text=True).stdout

failures = []
numbers = version.replace(".", ", ")
for wanted in (f"FILEVERSION {numbers}", f"PRODUCTVERSION {numbers}", f'VALUE "FileVersion", "{version}"',
               f'VALUE "ProductVersion", "{version}"', 'VALUE "ProductName", "Pelindra"'):
    if wanted not in decoded:
        failures.append(f"missing: {wanted}")
escaped = "".join(f"\\x{ord(c):x}" for c in comment)
if f'VALUE "Comments", L"{escaped}"' not in decoded:
    failures.append("the comment did not come through as UTF-16: " +
                    next((line for line in decoded.splitlines() if "Comments" in line), "none"))
icons = [line for line in decoded.splitlines() if "Element no" in line]
if len(icons) != 5:
    failures.append(f"the icon group has {len(icons)} images, not 5")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
