# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The built site served on the loopback and played in a browser engine (engines.py; PELINDRA_ENGINE
picks it).

Each Browser has a profile of its own in a temporary directory, so its localStorage starts empty and
nothing it keeps outlives it. The page is read the way the tests see a player's screen: windows by
their data-window, controls by their data-control, hidden ones by the hidden attribute."""

import atexit
import functools
import http.cookies
import http.server
import io
import json
import os
import shutil
import socketserver
import sys
import tempfile
import threading
import unittest
import uuid
from urllib.parse import parse_qs, urlsplit

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

# The program's names and the shared player, for the tests too.
import engines  # noqa: E402
import layout  # noqa: E402,F401
import play  # noqa: E402
from engines import ScriptError  # noqa: E402,F401
from layout import names  # noqa: E402
from play import GameView  # noqa: E402,F401

MENU, GAME, RECORD, ABOUT = names.kMenuWindow, names.kGameWindow, names.kRecordWindow, names.kAboutWindow
game, record = names.game, names.record
ENGINE = engines.chosen()

# Where the page keeps data.dat.
KEY = "pelindra/data.dat"
# Long enough for a loaded two-core machine; a passing run never waits this long.
TIMEOUT = 20.0

# Run before the page's own scripts: what it warns, what it logs as an error and every error that
# reaches the page.
WATCH = """
window.__warnings = [];
window.__errors = [];
const warn = console.warn.bind(console);
console.warn = (...args) => { window.__warnings.push(args.join(' ')); warn(...args); };
const error = console.error.bind(console);
console.error = (...args) => { window.__errors.push(args.join(' ')); error(...args); };
window.addEventListener('error', (e) => window.__errors.push(String(e.message)));
window.addEventListener('unhandledrejection', (e) => window.__errors.push(String(e.reason)));
"""

# Not every engine can run a script of its own before a page's: the server puts it first in every page
# it serves, chosen by a cookie that each Browser sets on its first visit to the host.
COOKIE = "pelindra-test"
PRIME_PATH = "/.pelindra/prime"
_scripts = {}
_refused = {}


def site_directory():
    site = os.environ.get("PELINDRA_SITE")
    if not site or not os.path.isfile(os.path.join(site, "index.html")):
        raise SystemExit("set PELINDRA_SITE to a built site (scripts/web --build prints it)")
    return site


class _Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def token(self):
        cookie = http.cookies.SimpleCookie(self.headers.get("Cookie", ""))
        return cookie[COOKIE].value if COOKIE in cookie else None

    def send_response(self, code, message=None):
        if code >= 400:
            _refused.setdefault(self.token(), []).append(f"the server answered {code} for {self.path}")
        super().send_response(code, message)

    def do_GET(self):
        url = urlsplit(self.path)
        query = {k: v[0] for k, v in parse_qs(url.query).items()}
        if url.path in self.server.dropped:
            self.close_connection = True
            return None
        if url.path == PRIME_PATH:
            return self.page("<!DOCTYPE html><title>prime</title>",
                             [("Set-Cookie", f"{COOKIE}={query['token']}; Path=/; Max-Age=86400; SameSite=Lax")])
        if url.path == engines.FRAME_PATH:
            frame = (f'<iframe class="pelindra-frame" src="{query["src"]}" style="display: block; border: 0; '
                     f'width: {int(query["width"])}px; height: {int(query["height"])}px"></iframe>')
            return self.page(f"<!DOCTYPE html><title>frame</title><body style=\"margin: 0\">{frame}</body>")
        path = self.translate_path(self.path)
        if os.path.isdir(path) and url.path.endswith("/"):
            path = os.path.join(path, "index.html")
        if not (path.endswith(".html") and os.path.isfile(path)):
            return super().do_GET()
        with open(path, encoding="utf-8") as f:
            text = f.read()
        script = _scripts.get(self.token(), WATCH)
        at = text.find("<head>")
        at = at + len("<head>") if at >= 0 else 0
        self.page(text[:at] + f"\n<script>{script}</script>" + text[at:])

    def page(self, text, headers=()):
        body = text.encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        for header in headers:
            self.send_header(*header)
        self.end_headers()
        self.wfile.write(body)


class Server:
    """python's http.server on a free loopback port, in a thread of this process."""

    def __init__(self, directory):
        handler = functools.partial(_Handler, directory=directory)
        handler.extensions_map = dict(_Handler.extensions_map, **{".wasm": "application/wasm"})
        self.httpd = socketserver.ThreadingTCPServer(("127.0.0.1", 0), handler)
        self.httpd.daemon_threads = True
        self.httpd.dropped = set()  # paths whose requests get no answer: the connection just closes
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}/"
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Element:
    """An element of the page by its CSS selector, found afresh each time; js() takes it as an argument."""

    def __init__(self, browser, selector):
        self.browser, self.selector = browser, selector

    def rect(self):
        return self.browser.js("return arguments[0].getBoundingClientRect().toJSON()", self)

    def screenshot(self):
        """What the element covers on the screen, in device pixels."""
        return self.browser.screenshot(self.rect())


class Browser:
    """A page in the chosen engine, and the shared player's screen on it."""

    def __init__(self, width=800, height=700, scale=1, before="", flags=()):
        self.profile = tempfile.mkdtemp(prefix="pelindra-web-")
        self.size = (width, height)
        self.engine = engines.launch(ENGINE, self.profile, width, height, scale, flags)
        self.clear = False
        self.set_before(before)

    @property
    def driver(self):
        """selenium's driver in Chromium and WebKit, for a measure only they can make."""
        return self.engine.driver

    def close(self):
        try:
            self.engine.close()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def set_before(self, before):
        """The script the pages from now on run before their own."""
        self.token = uuid.uuid4().hex
        _scripts[self.token] = WATCH + before
        self.primed = set()

    def reset(self, width=800, height=700, before=""):
        """As if new, for the next test: one tab of that size, and the next host visited emptied of what
        the last test kept there."""
        self.engine.close_tabs()
        if (width, height) != self.size:
            self.set_viewport(width, height)
        self.set_before(before)
        self.clear = True

    def restart(self):
        """The browser closed and opened again on the same profile."""
        self.engine.restart()

    def new_tab(self):
        """A second tab of the same browser, which shares the first one's storage; returns its handle."""
        return self.engine.new_tab()

    @property
    def tab(self):
        return self.engine.tab

    def switch_tab(self, tab):
        self.engine.switch_tab(tab)

    # --- The page.

    def navigate(self, url):
        """To the url, once it has loaded; the first visit to a host sets the cookie that picks the
        script this browser runs before the page's."""
        parts = urlsplit(url)
        if parts.hostname not in self.primed:
            self.engine.navigate(f"{parts.scheme}://{parts.netloc}{PRIME_PATH}?token={self.token}")
            if self.clear:
                self.js("""localStorage.clear(); sessionStorage.clear();
                    return Promise.all([
                        navigator.serviceWorker && navigator.serviceWorker.getRegistrations()
                            .then((all) => Promise.all(all.map((r) => r.unregister()))),
                        window.caches && caches.keys().then((all) => Promise.all(all.map((k) => caches.delete(k))))])
                        .then(() => true);""")
                self.clear = False
            self.primed.add(parts.hostname)
        self.engine.navigate(url)

    def open(self, url, program=True):
        """The page at url once its menu shows, and, unless program is false, once its program has taken
        the menu over: the page can show its menu before the program has started."""
        self.navigate(url)
        self.wait(lambda: self.js("return !document.getElementById('stage').hasAttribute('data-loading')"),
                  "the stage to show")
        self.wait(lambda: self.shown(MENU), "the menu")
        if program:
            self.wait(lambda: self.js("return performance.getEntriesByName('pelindra:menu-shown').length > 0"),
                      "the program")

    def js(self, script, *args):
        """The script as the body of a function, its arguments in arguments[]: JSON values, or Elements."""
        encoded = json.dumps(args, default=lambda e: {"pelindraSelector": e.selector})
        return self.engine.run(
            "(() => { const args = " + encoded + ".map((a) => a && a.pelindraSelector !== undefined ?"
            " document.querySelector(a.pelindraSelector) : a);\n"
            "return (function () {\n" + script + "\n}).apply(null, args); })()")

    @staticmethod
    def wait(condition, what, timeout=TIMEOUT):
        return play.wait_until(condition, timeout, what)

    def element(self, selector):
        return Element(self, selector)

    def window(self, name):
        selector = f'[data-window="{name}"]'
        return self.element(selector) if self.js("return !!arguments[0]", self.element(selector)) else None

    def control(self, window, name):
        return self.element(f'[data-window="{window}"] [data-control="{name}"]')

    def windows(self):
        """The windows on the screen, bottom first."""
        return self.js("""
            return [...document.querySelectorAll('[data-window]')].filter((w) => !w.hidden)
                .sort((a, b) => Number(a.style.zIndex) - Number(b.style.zIndex)).map((w) => w.dataset.window);""")

    def shown(self, window, control=None):
        return self.js("""
            const w = document.querySelector(`[data-window="${arguments[0]}"]`);
            if (!w || w.hidden) return false;
            if (!arguments[1]) return true;
            for (let e = w.querySelector(`[data-control="${arguments[1]}"]`); e && e !== w; e = e.parentElement)
                if (e.hidden) return false;
            return true;""", window, control)

    def text(self, window, control):
        return self.texts(window, [control])[0]

    def texts(self, window, controls):
        """The controls' texts, read in one go: a loaded machine makes every call count."""
        return self.js("""
            const w = document.querySelector(`[data-window="${arguments[0]}"]`);
            return arguments[1].map((name) => {
                const e = w && w.querySelector(`[data-control="${name}"]`);
                return e ? e.querySelector('.text').textContent : null; });""", window, list(controls))

    def centre(self, element):
        r = element.rect()
        return r["x"] + r["width"] / 2, r["y"] + r["height"] / 2

    def click(self, window, control):
        """A real press and release of the mouse on the middle of the control."""
        self.click_element(self.control(window, control))

    def click_element(self, element):
        x, y = self.centre(element)
        self.engine.click_at(x, y)
        self.park_pointer()

    def tap(self, window, control):
        """A touch on the middle of the control."""
        self.engine.tap(*self.centre(self.control(window, control)))

    def press(self, key):
        """A key pressed and released where the focus is, such as "Tab", "Shift+Tab" or "Space"."""
        self.engine.press(key)

    def park_pointer(self):
        # Out of every window, so that nothing stays lit up under it.
        self.engine.move_to(1, 1)

    def close_window(self, window):
        self.click_element(self.element(f'[data-window="{window}"] .titlebar .close'))

    def set_viewport(self, width, height):
        self.size = (width, height)
        self.engine.set_viewport(width, height)

    def screenshot(self, rect=None):
        """The viewport, or the rectangle of it in CSS pixels, as a picture in device pixels."""
        image = Image.open(io.BytesIO(self.engine.screenshot())).convert("RGB")
        if rect is None:
            return image
        scale = self.js("return window.devicePixelRatio")
        return image.crop(tuple(round(v * scale) for v in (rect["x"], rect["y"], rect["x"] + rect["width"],
                                                            rect["y"] + rect["height"])))

    def cdp(self, method, params):
        """Chromium's DevTools protocol; elsewhere the test is skipped, saying so."""
        return self.engine.cdp(method, params)

    def storage(self, key=KEY):
        return self.js("return window.localStorage.getItem(arguments[0])", key)

    def store(self, text, key=KEY):
        self.js("window.localStorage.setItem(arguments[0], arguments[1])", key, text)

    def stored_bytes(self):
        return bytes(self.js("return [...window.localStorage.getItem(arguments[0])].map((c) => c.charCodeAt(0));",
                             KEY))

    # --- A phone, and what a finger does on it.

    def phone(self, width, height):
        """A phone's viewport of that many CSS px, held the way its sides say."""
        self.set_viewport(width, height)

    def tap_at(self, x, y):
        self.engine.tap(x, y)

    # --- The keyboard, and what a screen reader reads: Chromium's accessibility tree.

    # The shared player's key names are the X ones the desktop is driven by.
    KEYS = {"Return": "Enter", "space": "Space", "Left": "ArrowLeft", "Right": "ArrowRight", "Up": "ArrowUp",
            "Down": "ArrowDown"}
    AX_KINDS = {"region": "window", "dialog": "window", "button": "button", "StaticText": "text", "status": "live"}

    def key(self, name):
        self.press(self.KEYS.get(name, name))

    def keyboard(self, window):
        return self.js("""const e = document.activeElement, w = e && e.closest('[data-window]');
            return w && w.dataset.window === arguments[0] ? e.dataset.control || null : null;""", window)

    def reading(self, window):
        places = {}

        def place(node, at):
            """Each DOM node's (window, control): those of the nearest elements that hold it."""
            attributes = dict(zip(node.get("attributes", [])[::2], node.get("attributes", [])[1::2]))
            if "data-window" in attributes:
                at = (attributes["data-window"], None)
            at = (at[0], attributes.get("data-control", at[1]))
            places[node["backendNodeId"]] = at
            for child in node.get("children", []):
                place(child, at)

        place(self.cdp("DOM.getDocument", {"depth": -1})["root"], (None, None))
        nodes = {n["nodeId"]: n for n in self.cdp("Accessibility.getFullAXTree", {})["nodes"]}
        out = []

        def walk(node):
            kind = None if node.get("ignored") else self.AX_KINDS.get(node["role"]["value"])
            polite = {"name": "live", "value": {"type": "token", "value": "polite"}} in node.get("properties", [])
            at, control = places.get(node.get("backendDOMNodeId"), (None, None))
            if kind and at == window:
                out.append(("text" if kind == "live" and not polite else kind, node["name"]["value"], control))
            for child in node.get("childIds", []):
                walk(nodes[child])

        walk(next(n for n in nodes.values() if "parentId" not in n))
        return out

    def warnings(self):
        return self.js("return window.__warnings")

    def errors(self):
        """What the page logged as an error or did not catch, what the engine itself reported, and what
        the server refused this browser."""
        return (self.js("return window.__errors") or []) + self.engine.log_errors() + _refused.get(self.token, [])


_shared = []


def shared_browser():
    """The one browser of this test process in its first size, started on first use: a browser takes
    seconds to start, a fresh page in it a fraction of one."""
    if not _shared:
        _shared.append(Browser())
        atexit.register(_shared[0].close)
    return _shared[0]


class SiteTest(unittest.TestCase):
    """One server for the tests of a class; each test opens the browsers it needs on it."""

    @classmethod
    def setUpClass(cls):
        cls.server = Server(site_directory())

    @classmethod
    def tearDownClass(cls):
        cls.server.close()

    def browser(self, width=800, height=700, before="", program=True, **launch):
        """A browser as if new, the page open in it: the shared one, which leaves whatever it showed
        before, unless it must start otherwise (scale, flags); that one is closed when the test is over."""
        opened = self.__dict__.setdefault("opened", [])
        if launch:
            b = Browser(width, height, before=before, **launch)
            self.addCleanup(b.close)
        else:
            b = shared_browser()
            b.reset(width, height, before)
        if b not in opened:
            opened.append(b)
        b.open(self.server.url, program)
        return b
