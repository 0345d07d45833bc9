#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every installed theme icon is a PNG of the size its directory names."""
import pathlib
import struct
import sys

root = pathlib.Path(sys.argv[1])
app_id = sys.argv[2]
failures = []
sizes = [16, 22, 24, 32, 48, 64, 128, 256]
for size in sizes:
    path = root / f"{size}x{size}" / "apps" / f"{app_id}.png"
    data = path.read_bytes() if path.exists() else b""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        failures.append(f"{path}: not a PNG")
        continue
    width, height = struct.unpack(">II", data[16:24])
    if (width, height) != (size, size):
        failures.append(f"{path}: {width}x{height}")
print("\n".join(failures) or f"{len(sizes)} icons checked")
sys.exit(1 if failures else 0)
