# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's own names and texts, read from its sources, so that no test spells them again.

`names` is src/rules/names.h under its C++ names (names.kGameWindow, names.game.kBoxes); the rest reads
the window layouts in src/screens: a window's caption, its controls' texts and parents.
"""

import collections
import functools
import glob
import os
import re
import types

SOURCES = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
NAMES_HEADER = os.path.join("src", "rules", "names.h")
LAYOUTS = os.path.join("src", "screens", "*_window.cpp")

_STRINGS = r'(?:"(?:[^"\\]|\\.)*"\s*)+'  # adjacent literals, which C++ joins into one
# A name or a text in a layout: literals, a constant of names.h, or one of the file's own.
_VALUE = rf"{_STRINGS}|names::[\w:]+|k\w+"
_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}

Window = collections.namedtuple("Window", "caption texts parents")


def _literal(source):
    parts = re.findall(r'"((?:[^"\\]|\\.)*)"', source)
    return "".join(re.sub(r"\\(.)", lambda m: _ESCAPES[m.group(1)], part) for part in parts)


def _read(path):
    with open(os.path.join(SOURCES, path), encoding="utf-8") as f:
        return f.read()


_DECLARATION = re.compile(rf"namespace\s+(?P<open>[\w:]+)\s*{{|(?P<close>}})|constexpr\s+std::[\w:<>, ]+?\s+"
                          rf"(?P<name>k\w+)\s*=\s*(?:(?P<one>{_STRINGS})|{{(?P<many>[^}}]*)}});")


def _names(source):
    """names.h as nested namespaces of its string constants and arrays of them."""
    scopes = []
    for m in _DECLARATION.finditer(re.sub(r"//[^\n]*", "", source)):
        if m["open"]:
            scopes.append(types.SimpleNamespace())
            if len(scopes) > 1:
                setattr(scopes[-2], m["open"], scopes[-1])
        elif m["close"]:
            root = scopes.pop()
        elif m["one"] is not None:
            setattr(scopes[-1], m["name"], _literal(m["one"]))
        else:
            setattr(scopes[-1], m["name"], tuple(map(_literal, re.findall(_STRINGS, m["many"]))))
    return root


names = _names(_read(NAMES_HEADER))


def _blocks(source, opening):
    """The text between the braces of each `opening{ ... }` in source."""
    for m in re.finditer(opening, source):
        depth, at = 1, m.end()
        while depth:
            depth += {"{": 1, "}": -1}.get(source[at], 0)
            at += 1
        yield source[m.end():at - 1]


def _window(source):
    """(name, Window) of one screen's source."""
    constants = {m[1]: _literal(m[2]) for m in re.finditer(rf"std::string_view\s+(k\w+)\s*=\s*({_STRINGS});", source)}

    def value(v):
        if v.startswith('"'):
            return _literal(v)
        return functools.reduce(getattr, v.split("::")[1:], names) if v.startswith("names::") else constants.get(v)

    def fields(body):
        return {m[1]: value(m[2]) for m in re.finditer(rf"\.(\w+)\s*=\s*({_VALUE})", body)}

    window = Window(None, {}, {})
    # Controls written out field by field; a helper's own Control{.name = name, ...} names none.
    for control in filter(lambda c: c.get("name"), map(fields, _blocks(source, r"\bControl\{"))):
        for field, kept in (("text", window.texts), ("parent", window.parents)):
            if field in control:
                kept[control["name"]] = control[field]
    # The screens' small helpers take name, place and text in that order.
    for m in re.finditer(rf"\b\w+\(\s*({_VALUE}),\s*\{{[^{{}}]*\}},\s*({_VALUE})", source):
        window.texts[value(m[1])] = value(m[2])
    own = fields(next(_blocks(source, r"layout::Window\s+kLayout\s*\{")))
    return own["name"], window._replace(caption=own["caption"])


def sources():
    """The files read here, relative to the top of the tree."""
    layouts = glob.glob(os.path.join(SOURCES, LAYOUTS))
    return [NAMES_HEADER] + sorted(os.path.relpath(path, SOURCES) for path in layouts)


@functools.lru_cache(maxsize=None)
def windows():
    """{layout name: Window} of every window."""
    found = {}
    for path in sources()[1:]:
        try:
            found.update([_window(_read(path))])
        except (StopIteration, KeyError, AttributeError) as error:
            raise LookupError(f"{path} is no window layout as this reader knows them ({error!r})") from None
    return found


def caption(window):
    return windows()[window].caption


def window_of(title):
    """The layout name of the window with that title; the title itself for a window of no layout."""
    return next((name for name, w in windows().items() if w.caption == title), title)


def text(window, control):
    return windows()[window].texts[control]


def control(window, text):
    """The one control of the window that the layout gives that text, or else a text holding it."""
    texts = windows()[window].texts
    found = [name for name, t in texts.items() if t == text] or [name for name, t in texts.items() if text in t]
    if len(found) != 1:
        raise LookupError(f"{len(found)} controls of {window} read {text!r}")
    return found[0]


def parent(window, control):
    return windows()[window].parents[control]
