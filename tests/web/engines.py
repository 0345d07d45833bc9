# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The three browser engines the page is played in, behind one driver.

An engine is a browser with a profile directory of its own, and these primitives, in CSS pixels of the
page's viewport: navigate(url), run(expr) of a JavaScript expression (a promise is awaited),
move_to / click_at / tap(x, y), press(key) with key names such as "Tab", "Shift+Tab", "Enter", "Space",
"Escape" or "ArrowDown", set_viewport(width, height), screenshot() of the viewport as PNG bytes in device
pixels, new_tab() / switch_tab(tab) / close_tabs(), restart() on the same profile, and close().
PELINDRA_ENGINE picks one: chromium (the default), firefox or webkit.

- chromium: Debian's Chromium, headless, through selenium and chromedriver.
- firefox: Firefox ESR, headless, through its WebDriver BiDi agent and puppeteer-core, from the node
  script firefox.js beside this file.
- webkit: WebKitGTK's MiniBrowser through WebKitWebDriver and selenium, on an Xvfb of its own. Its window
  is never narrower than 447 px, so a narrower viewport is a same-origin frame of that size at the top
  left of the window, and the page runs in the frame."""

import base64
import ctypes
import json
import os
import queue
import select
import signal
import subprocess
import threading
import time
import unittest
from urllib.parse import urlencode, urlsplit

from selenium import webdriver
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.interaction import POINTER_TOUCH
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.keys import Keys

HERE = os.path.dirname(os.path.abspath(__file__))
NAMES = ("chromium", "firefox", "webkit")
# Long enough for a loaded two-core machine to start a browser; a passing run never waits this long.
START_TIMEOUT = 90.0
# The reserved path of the page that holds a narrow viewport's frame (page.Server serves it).
FRAME_PATH = "/.pelindra/frame"


def chosen():
    name = os.environ.get("PELINDRA_ENGINE", "chromium")
    if name not in NAMES:
        raise SystemExit(f"PELINDRA_ENGINE is {name!r}; it is one of {', '.join(NAMES)}")
    return name


def launch(name, profile, width, height, scale=1, flags=()):
    """A browser of that engine on the profile directory, its viewport width x height CSS pixels."""
    if flags and name != "chromium":
        raise unittest.SkipTest(f"the test needs Chromium's own switches {list(flags)}, which {name} has not")
    return {"chromium": Chromium, "firefox": Firefox, "webkit": WebKit}[name](profile, width, height, scale,
                                                                              flags)


def _end_with_us():
    """In the child: ended when the test process ends, however it ends, so that no browser outlives it."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def home_env(profile):
    """The environment of a browser whose home is inside its profile: what it keeps there goes with it."""
    return dict(os.environ, HOME=profile, XDG_CONFIG_HOME=os.path.join(profile, "config"),
                XDG_CACHE_HOME=os.path.join(profile, "cache"), XDG_DATA_HOME=os.path.join(profile, "data"))


class ScriptError(Exception):
    """A script that threw in the page."""


class Engine:
    name = ""

    def __init__(self, profile, width, height, scale, flags):
        self.profile, self.width, self.height, self.scale, self.flags = profile, width, height, scale, flags
        self.start()

    def restart(self):
        """The browser closed and started again on the same profile, as a player closes and opens it."""
        self.stop()
        self.start()

    def close(self):
        self.stop()

    def cdp(self, method, params):
        raise unittest.SkipTest(f"{method} is Chromium's DevTools protocol, which {self.name} has not")


class _Selenium(Engine):
    """What selenium does the same way in Chromium and WebKit."""

    driver = None
    chrome = None

    def stop(self):
        if self.driver is not None:
            try:
                self.driver.quit()
            except Exception:  # noqa: BLE001: a browser that is gone already is closed
                pass
            self.driver = None

    def navigate(self, url):
        self.driver.get(url)

    def run(self, expr):
        try:
            return self.driver.execute_script(f"return {expr};")
        except Exception as error:  # noqa: BLE001: selenium's own kinds differ between its versions
            if type(error).__name__ == "JavascriptException":
                raise ScriptError(error.msg) from None
            raise

    def pointer(self, kind, x, y, press):
        actions = ActionBuilder(self.driver, mouse=PointerInput(kind, kind))
        actions.pointer_action.move_to_location(int(x), int(y))
        if press:
            actions.pointer_action.pointer_down().pointer_up()
        actions.perform()

    def move_to(self, x, y):
        self.pointer("mouse", x, y, False)

    def click_at(self, x, y):
        self.pointer("mouse", x, y, True)

    def tap(self, x, y):
        self.pointer(POINTER_TOUCH, x, y, True)

    def press(self, key):
        *modifiers, last = key.split("+")
        keys = [SELENIUM_KEYS.get(k, k) for k in modifiers]
        chain = ActionChains(self.driver)
        for k in keys:
            chain.key_down(k)
        chain.send_keys(SELENIUM_KEYS.get(last, last))
        for k in reversed(keys):
            chain.key_up(k)
        chain.perform()

    def screenshot(self):
        return self.driver.get_screenshot_as_png()

    def fit_window(self, width, height):
        """The window sized so that its viewport is width x height."""
        if self.chrome is None:
            # The window's size less its viewport's: what the browser draws around the page.
            size = self.driver.get_window_size()
            inner = self.driver.execute_script("return [innerWidth, innerHeight]")
            self.chrome = size["width"] - inner[0], size["height"] - inner[1]
        self.driver.set_window_size(width + self.chrome[0], height + self.chrome[1])

    @property
    def tab(self):
        return self.driver.current_window_handle

    def new_tab(self):
        self.driver.switch_to.new_window("tab")
        return self.tab

    def switch_tab(self, tab):
        self.driver.switch_to.window(tab)

    def close_tabs(self):
        first, *others = self.driver.window_handles
        for handle in others:
            self.driver.switch_to.window(handle)
            self.driver.close()
        self.driver.switch_to.window(first)


SELENIUM_KEYS = {"Tab": Keys.TAB, "Enter": Keys.ENTER, "Space": Keys.SPACE, "Escape": Keys.ESCAPE,
                 "Shift": Keys.SHIFT, "Control": Keys.CONTROL, "Alt": Keys.ALT, "ArrowUp": Keys.ARROW_UP,
                 "ArrowDown": Keys.ARROW_DOWN, "ArrowLeft": Keys.ARROW_LEFT, "ArrowRight": Keys.ARROW_RIGHT,
                 "Home": Keys.HOME, "End": Keys.END}

CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage", "--disable-renderer-backgrounding",
                  "--disable-background-timer-throttling", "--disable-backgrounding-occluded-windows"]


class Chromium(_Selenium):
    name = "chromium"

    def start(self):
        from selenium.webdriver.chrome.service import Service
        import inspect

        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in CHROMIUM_FLAGS + list(self.flags):
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={self.profile}")
        options.add_argument(f"--window-size={self.width},{self.height}")
        if self.scale != 1:
            options.add_argument(f"--force-device-scale-factor={self.scale}")
        # The page's console, which errors() reads for what the page itself cannot see.
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        takes_log_output = "log_output" in inspect.signature(Service.__init__).parameters
        log = {"log_output": os.devnull} if takes_log_output else {"log_path": os.devnull}
        service = Service("/usr/bin/chromedriver", env=home_env(self.profile), **log)
        self.driver = webdriver.Chrome(service=service, options=options)
        self.driver.set_script_timeout(START_TIMEOUT)
        self.chrome = None
        self.set_viewport(self.width, self.height)

    def set_viewport(self, width, height):
        self.width, self.height = width, height
        self.fit_window(width, height)

    def cdp(self, method, params):
        return self.driver.execute_cdp_cmd(method, params)

    def log_errors(self):
        # What the page reports itself (console, uncaught errors) and what the server refused are told
        # elsewhere; this is the rest, such as a script the browser refused to run.
        return [entry["message"] for entry in self.driver.get_log("browser")
                if entry["level"] == "SEVERE" and entry.get("source") not in ("console-api", "javascript", "network")]


class WebKit(_Selenium):
    name = "webkit"
    NARROWEST = 447
    MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"

    def start(self):
        from selenium.webdriver.remote.webdriver import WebDriver
        from selenium.webdriver.webkitgtk.service import Service

        # Room for the largest window a test asks for, at its scale.
        self.x = Xvfb(os.path.join(self.profile, "xvfb.log"), 2048 * self.scale)
        env = dict(home_env(self.profile), DISPLAY=self.x.display, GDK_SCALE=str(self.scale),
                   GDK_BACKEND="x11")
        env.pop("WAYLAND_DISPLAY", None)
        self.service = Service("/usr/bin/WebKitWebDriver", log_path=os.devnull, env=env)
        self.service.start()
        options = webdriver.WebKitGTKOptions()
        options.binary_location = self.MINIBROWSER
        options.add_argument("--automation")
        self.driver = WebDriver(command_executor=self.service.service_url, options=options)
        self.driver.set_script_timeout(START_TIMEOUT)
        self.frame = None
        self.chrome = None
        self.set_viewport(self.width, self.height)

    def restart(self):
        raise unittest.SkipTest("MiniBrowser under automation keeps a site's data in memory only: nothing it "
                                "stored outlives a restart")

    def stop(self):
        super().stop()
        for part in ("service", "x"):
            if getattr(self, part, None) is not None:
                getattr(self, part).stop()
                setattr(self, part, None)

    def set_viewport(self, width, height):
        self.width, self.height = width, height
        self.driver.switch_to.default_content()
        # A page in the frame stays there as the viewport turns, whatever its width becomes.
        framed = self.frame is not None and self.in_host()
        self.frame = (width, height) if width < self.NARROWEST or framed else None
        self.fit_window(max(width, self.NARROWEST), height)
        if self.frame:
            self.driver.execute_script("""const f = document.querySelector('iframe.pelindra-frame');
                if (f) Object.assign(f.style, {width: arguments[0] + 'px', height: arguments[1] + 'px'});""",
                                       width, height)
            if self.in_host():
                self.driver.switch_to.frame(0)

    def in_host(self, origin=None):
        """Whether the window shows the frame's host page, of that origin if one is named."""
        return self.driver.execute_script(
            """return location.pathname === arguments[0] && !!document.querySelector('iframe.pelindra-frame')
                && (!arguments[1] || location.origin === arguments[1])""", FRAME_PATH, origin)

    def navigate(self, url):
        self.driver.switch_to.default_content()
        if not self.frame:
            return self.driver.get(url)
        parts = urlsplit(url)
        if self.in_host(f"{parts.scheme}://{parts.netloc}"):
            # The frame goes on to the page; its host stays.
            self.driver.execute_script("""const f = document.querySelector('iframe.pelindra-frame');
                return new Promise((done) => { f.onload = () => done(true); f.src = arguments[0]; });""", url)
        else:
            width, height = self.frame
            query = urlencode({"src": url, "width": width, "height": height})
            self.driver.get(f"{parts.scheme}://{parts.netloc}{FRAME_PATH}?{query}")
        self.driver.switch_to.frame(0)

    def screenshot(self):
        # Its screenshot is of the last frame drawn, which can be older than the page (without a GPU a
        # browser's first frame takes seconds): wait for two.
        self.driver.execute_script(
            "return new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(() => done(true))))")
        png = super().screenshot()
        if not self.frame:
            return png
        import io
        from PIL import Image
        image = Image.open(io.BytesIO(png))
        out = io.BytesIO()
        image.crop((0, 0, self.frame[0] * self.scale, self.frame[1] * self.scale)).save(out, "PNG")
        return out.getvalue()

    def new_tab(self):
        # MiniBrowser's tabs behind the first take no input: a window of its own is a tab the player sees.
        self.driver.switch_to.default_content()
        self.driver.switch_to.new_window("window")
        self.set_viewport(self.width, self.height)
        return self.tab

    def log_errors(self):
        return []


class Firefox(Engine):
    name = "firefox"
    # A quiet browser that keeps to the loopback and never throttles a page in the background.
    PREFS = {"browser.shell.checkDefaultBrowser": False, "datareporting.policy.dataSubmissionEnabled": False,
             "toolkit.telemetry.reportingpolicy.firstRun": False, "app.update.disabledForTesting": True,
             "browser.sessionstore.resume_from_crash": False, "dom.min_background_timeout_value": 4,
             "dom.timeout.enable_budget_timer_throttling": False, "network.http.speculative-parallel-limit": 0,
             "browser.safebrowsing.malware.enabled": False, "browser.safebrowsing.phishing.enabled": False,
             "extensions.update.enabled": False, "browser.startup.homepage_override.mstone": "ignore"}

    def start(self):
        self.log = open(os.path.join(self.profile, "firefox-bridge.log"), "ab")
        self.node = subprocess.Popen(["node", os.path.join(HERE, "firefox.js")], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.log, env=home_env(self.profile),
                                     start_new_session=True, preexec_fn=_end_with_us)
        self.answers = queue.Queue()
        threading.Thread(target=self._read, args=(self.node.stdout, self.answers), daemon=True).start()
        self.asked = 0
        self.call("launch", timeout=START_TIMEOUT, profile=os.path.join(self.profile, "firefox"),
                  width=self.width, height=self.height, scale=self.scale, prefs=self.PREFS)

    @staticmethod
    def _read(stream, answers):
        for line in stream:
            answers.put(json.loads(line))
        answers.put(None)

    def call(self, op, timeout=START_TIMEOUT, **args):
        self.asked += 1
        self.node.stdin.write((json.dumps({"id": self.asked, "op": op, "args": args}) + "\n").encode())
        self.node.stdin.flush()
        try:
            answer = self.answers.get(timeout=timeout)
        except queue.Empty:
            raise TimeoutError(f"firefox.js did not answer {op} in {timeout:.0f} s") from None
        if answer is None:
            raise RuntimeError(f"firefox.js ended; see {self.log.name}")
        if "error" in answer:
            if op == "run":
                raise ScriptError(answer["error"])
            raise RuntimeError(f"firefox.js {op}: {answer['error']}")
        return answer["value"]

    def stop(self):
        if getattr(self, "node", None) is None:
            return
        try:
            self.call("close", timeout=30)
        except Exception:  # noqa: BLE001: then it is ended below
            pass
        self.node.stdin.close()
        try:
            self.node.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(self.node.pid, signal.SIGKILL)
            self.node.wait()
        self.node.stdout.close()
        self.node = None
        self.log.close()

    def navigate(self, url):
        self.call("navigate", url=url)

    def run(self, expr):
        return self.call("run", expr=expr)

    def move_to(self, x, y):
        self.call("move", x=x, y=y)

    def click_at(self, x, y):
        self.call("click", x=x, y=y)

    def tap(self, x, y):
        self.call("tap", x=x, y=y)

    def press(self, key):
        *modifiers, last = key.split("+")
        self.call("press", key=last, modifiers=modifiers)

    def set_viewport(self, width, height):
        self.width, self.height = width, height
        self.call("viewport", width=width, height=height)

    def screenshot(self):
        return base64.b64decode(self.call("screenshot"))

    @property
    def tab(self):
        return getattr(self, "_tab", 0)

    def new_tab(self):
        self._tab = self.call("newTab")
        return self._tab

    def switch_tab(self, tab):
        self.call("switchTab", tab=tab)
        self._tab = tab

    def close_tabs(self):
        self.call("closeTabs")
        self._tab = 0

    def log_errors(self):
        return []


class Xvfb:
    """A private X server; it picks a free display itself (-displayfd), so parallel tests never collide."""

    def __init__(self, log_path, size):
        read_fd, write_fd = os.pipe()
        with open(log_path, "ab") as log:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{size}x{size}x24", "-nolisten", "tcp",
                 "-noreset"], pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                start_new_session=True, preexec_fn=_end_with_us)
        os.close(write_fd)
        number, deadline = b"", time.monotonic() + START_TIMEOUT
        try:
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_fd], [], [], max(deadline - time.monotonic(), 0))
                chunk = os.read(read_fd, 16) if ready else b""
                if not chunk:
                    self.stop()
                    raise RuntimeError(f"Xvfb did not start; see {log_path}")
                number += chunk
        finally:
            os.close(read_fd)
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()

