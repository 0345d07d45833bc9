#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Compiles the Windows resource script and reads the result back: the version record must carry the
project version, the product name and the Chinese comment intact, the program icon all its sizes, and
the manifest must be one Windows reads: well-formed, in the place it looks, its settings in the
namespaces it knows (where a slip makes Windows ignore a setting without a word)."""
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

windres, script, version, comment = sys.argv[1:5]

with tempfile.TemporaryDirectory() as tmp:
    res = f"{tmp}/pelindra.res"
    # The host's C preprocessor stands in for the cross compiler's: the script needs no Windows headers.
    subprocess.run([windres, "--preprocessor=cpp", "-i", script, "-o", res, "-O", "res"], check=True)
    decoded = subprocess.run([windres, "-i", res, "-O", "rc"], check=True, capture_output=True, text=True).stdout
    with open(res, "rb") as f:
        compiled = f.read()


def resources(data):
    """(type, name, bytes) of each entry of a .res file; a type or name given by number is an int."""
    def ident(at):
        if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
            return struct.unpack_from("<H", data, at + 2)[0], at + 4
        end = at
        while struct.unpack_from("<H", data, end)[0]:
            end += 2
        return data[at:end].decode("utf-16-le"), end + 2
    at = 0
    while at < len(data):
        size, header = struct.unpack_from("<II", data, at)
        kind, after = ident(at + 8)
        name, _ = ident(after)
        yield kind, name, data[at + header:at + header + size]
        at = (at + header + size + 3) & ~3


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
RT_MANIFEST = 24
manifests = [body for kind, name, body in resources(compiled) if kind == RT_MANIFEST and name == 1]
if len(manifests) != 1:
    failures.append(f"{len(manifests)} manifests with the number Windows reads at start, not 1")
else:
    manifest = ET.fromstring(manifests[0])
    settings = {"{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel": "level",
                "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware": None,
                "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness": None}
    for tag, attribute in settings.items():
        found = manifest.find(f".//{tag}")
        if found is None or not (found.get(attribute) if attribute else found.text):
            failures.append(f"the manifest has no {tag}")
    if not manifest.findall(".//{urn:schemas-microsoft-com:compatibility.v1}supportedOS"):
        failures.append("the manifest names no supported Windows versions")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
