#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The files of the Windows packages.

windows_package.py texts DIRECTORY NAME=PATH...
    Writes each text file into DIRECTORY under NAME, with Windows line ends and a byte-order mark, so
    that every Notepad shows the Chinese right.
windows_package.py zip OUTPUT EPOCH NAME=PATH...
    The portable archive: the files in one Pelindra folder, each dated EPOCH (seconds since 1970), so
    that the archive's bytes depend on its contents alone.
"""
import os
import sys
import time
import zipfile


def pairs(arguments):
    return [argument.split("=", 1) for argument in arguments]


def texts(directory, entries):
    os.makedirs(directory, exist_ok=True)
    for name, path in pairs(entries):
        with open(path, encoding="utf-8") as f:
            text = f.read().removeprefix("\ufeff")
        with open(os.path.join(directory, name), "w", encoding="utf-8-sig", newline="\r\n") as f:
            f.write(text)


def archive(output, epoch, entries):
    stamp = time.gmtime(int(epoch))[:6]
    with zipfile.ZipFile(output + ".part", "w") as out:
        for name, path in pairs(entries):
            info = zipfile.ZipInfo(f"Pelindra/{name}", stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(path, "rb") as f:
                out.writestr(info, f.read(), compresslevel=9)
    os.replace(output + ".part", output)


if __name__ == "__main__":
    command, *rest = sys.argv[1:]
    if command == "texts":
        texts(rest[0], rest[1:])
    elif command == "zip":
        archive(rest[0], rest[1], rest[2:])
    else:
        sys.exit(__doc__)
