#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Waits for a top-level X window whose title contains TEXT, lets it settle, then asks it to close the
way a window manager's close button does (WM_DELETE_WINDOW).

    scripts/close-window.py TEXT [--settle SECONDS] [--timeout SECONDS]

Exits 0 once the request is sent, 1 when no such window appeared in time."""

import argparse
import sys
import time

from Xlib import X, display, error, protocol


def title(d, window):
    for name in ("_NET_WM_NAME", "WM_NAME"):
        try:
            prop = window.get_full_property(d.intern_atom(name), X.AnyPropertyType)
        except error.XError:
            return ""
        if prop and prop.value:
            value = prop.value
            return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)
    return ""


def find(d, text):
    try:
        children = d.screen().root.query_tree().children
    except error.XError:
        return None
    for window in children:
        try:
            mapped = window.get_attributes().map_state == X.IsViewable
        except error.XError:
            continue
        if mapped and text in title(d, window):
            return window
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("text")
    parser.add_argument("--settle", type=float, default=1.0)
    parser.add_argument("--timeout", type=float, default=120.0)
    args = parser.parse_args()

    deadline = time.monotonic() + args.timeout
    d = None
    while time.monotonic() < deadline:
        try:
            d = d or display.Display()
            window = find(d, args.text)
        except (error.DisplayError, ConnectionError):
            d, window = None, None
        if window is not None:
            time.sleep(args.settle)
            protocols = d.intern_atom("WM_PROTOCOLS")
            delete = d.intern_atom("WM_DELETE_WINDOW")
            event = protocol.event.ClientMessage(
                window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            window.send_event(event, event_mask=X.NoEventMask)
            d.sync()
            return 0
        time.sleep(0.2)
    print(f"close-window: no window titled like {args.text!r} within {args.timeout:.0f} s", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
