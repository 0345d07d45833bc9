# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The built site served on the loopback and played in headless Chromium through Selenium.

Each Browser has a profile of its own in a temporary directory, so its localStorage starts empty and
nothing it keeps outlives it. The page is read the way the tests see a player's screen: windows by
their data-window, controls by their data-control, hidden ones by the hidden attribute."""

import contextlib
import functools
import http.server
import os
import shutil
import socketserver
import sys
import tempfile
import threading
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

# The program's names and the shared player, for the tests too.
import layout  # noqa: E402,F401
import play  # noqa: E402
from layout import names  # noqa: E402
from play import GameView  # noqa: E402,F401

MENU, GAME, RECORD, ABOUT = names.kMenuWindow, names.kGameWindow, names.kRecordWindow, names.kAboutWindow
game, record = names.game, names.record

# Where the page keeps data.dat.
KEY = "pelindra/data.dat"
# Long enough for a loaded two-core machine; a passing run never waits this long.
TIMEOUT = 20.0
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--disable-renderer-backgrounding",
                  "--disable-background-timer-throttling", "--disable-backgrounding-occluded-windows"]

# Installed before the page's own scripts: what it warns and every error that reaches the page.
WATCH = """
window.__warnings = [];
window.__errors = [];
const warn = console.warn.bind(console);
console.warn = (...args) => { window.__warnings.push(args.join(' ')); warn(...args); };
window.addEventListener('error', (e) => window.__errors.push(String(e.message)));
window.addEventListener('unhandledrejection', (e) => window.__errors.push(String(e.reason)));
"""


def site_directory():
    site = os.environ.get("PELINDRA_SITE")
    if not site or not os.path.isfile(os.path.join(site, "index.html")):
        raise SystemExit("set PELINDRA_SITE to a built site (scripts/web --build prints it)")
    return site


class _Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Server:
    """python's http.server on a free loopback port, in a thread of this process."""

    def __init__(self, directory):
        handler = functools.partial(_Quiet, directory=directory)
        handler.extensions_map = dict(_Quiet.extensions_map, **{".wasm": "application/wasm"})
        self.httpd = socketserver.ThreadingTCPServer(("127.0.0.1", 0), handler)
        self.httpd.daemon_threads = True
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}/"
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """A page in Chromium, and the shared player's screen on it."""

    def __init__(self, width=800, height=700, scale=1, before="", flags=()):
        self.profile = tempfile.mkdtemp(prefix="pelindra-web-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in CHROMIUM_FLAGS + list(flags):
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={self.profile}")
        options.add_argument(f"--window-size={width},{height}")
        if scale != 1:
            options.add_argument(f"--force-device-scale-factor={scale}")
        # Chromium keeps crash reports and settings under the home directory: this one is the profile's.
        env = dict(os.environ, HOME=self.profile, XDG_CONFIG_HOME=os.path.join(self.profile, "config"),
                   XDG_CACHE_HOME=os.path.join(self.profile, "cache"))
        log = {"log_output": os.devnull} if _service_takes_log_output() else {"log_path": os.devnull}
        service = Service("/usr/bin/chromedriver", env=env, **log)
        self.driver = webdriver.Chrome(service=service, options=options)
        self.driver.set_script_timeout(TIMEOUT)
        self.before = WATCH + before
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": self.before})

    def close(self):
        with contextlib.suppress(Exception):
            self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)

    def new_tab(self):
        """A second tab of the same browser, which shares the first one's storage; returns its handle."""
        self.driver.switch_to.new_window("tab")
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": self.before})
        return self.driver.current_window_handle

    # --- The page.

    def open(self, url):
        self.driver.get(url)
        self.wait(lambda: self.js("return !document.getElementById('stage').hasAttribute('data-loading')"),
                  "the stage to show")
        self.wait(lambda: self.shown(MENU), "the menu")

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    @staticmethod
    def wait(condition, what, timeout=TIMEOUT):
        return play.wait_until(condition, timeout, what)

    def window(self, name):
        found = self.driver.find_elements(By.CSS_SELECTOR, f'[data-window="{name}"]')
        return found[0] if found else None

    def control(self, window, name):
        return self.driver.find_element(By.CSS_SELECTOR, f'[data-window="{window}"] [data-control="{name}"]')

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

    def click(self, window, control):
        """A real press and release of the mouse on the middle of the control."""
        element = self.control(window, control)
        ActionChains(self.driver).move_to_element(element).click().move_by_offset(0, 0).perform()
        self.park_pointer()

    def park_pointer(self):
        # Out of every window, so that nothing stays lit up under it.
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(1, 1)
        actions.perform()

    def close_window(self, window):
        self.driver.find_element(By.CSS_SELECTOR, f'[data-window="{window}"] .titlebar .close').click()

    def storage(self, key=KEY):
        return self.js("return window.localStorage.getItem(arguments[0])", key)

    def store(self, text, key=KEY):
        self.js("window.localStorage.setItem(arguments[0], arguments[1])", key, text)

    def stored_bytes(self):
        return bytes(self.js("return [...window.localStorage.getItem(arguments[0])].map((c) => c.charCodeAt(0));",
                             KEY))

    # --- A phone, in Chromium's own calls: a mobile viewport of that many CSS px, and a finger's tap.

    def phone(self, width, height):
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                    {"width": width, "height": height, "deviceScaleFactor": 0, "mobile": True})
        self.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True})

    def tap(self, x, y):
        for kind, points in (("touchStart", [{"x": x, "y": y}]), ("touchEnd", [])):
            self.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})

    # --- The keyboard, and what a screen reader reads: Chromium's accessibility tree.

    KEYS = {"Tab": Keys.TAB, "Return": Keys.ENTER, "space": Keys.SPACE, "Escape": Keys.ESCAPE,
            "Left": Keys.ARROW_LEFT, "Right": Keys.ARROW_RIGHT, "Up": Keys.ARROW_UP, "Down": Keys.ARROW_DOWN}
    AX_KINDS = {"region": "window", "dialog": "window", "button": "button", "StaticText": "text", "status": "live"}

    def key(self, name):
        ActionChains(self.driver).send_keys(self.KEYS[name]).perform()

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

        place(self.driver.execute_cdp_cmd("DOM.getDocument", {"depth": -1})["root"], (None, None))
        nodes = {n["nodeId"]: n for n in self.driver.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]}
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
        return self.js("return window.__errors") + [
            entry["message"] for entry in self.driver.get_log("browser") if entry["level"] == "SEVERE"]


@functools.lru_cache(maxsize=None)
def _service_takes_log_output():
    import inspect
    return "log_output" in inspect.signature(Service.__init__).parameters


class SiteTest(unittest.TestCase):
    """One server for the tests of a class; each test opens the browsers it needs on it."""

    @classmethod
    def setUpClass(cls):
        cls.server = Server(site_directory())

    @classmethod
    def tearDownClass(cls):
        cls.server.close()

    def browser(self, **options):
        """A browser of its own, the page open in it, closed when the test is over."""
        b = Browser(**options)
        self.addCleanup(b.close)
        b.open(self.server.url)
        return b
