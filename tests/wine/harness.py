# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the real Pelindra.exe under Wine on a private X server and plays it the way a person would.

Input goes in as real X events (xdotool) at screen coordinates. The windows are read the way a screen
reader reads them, through MSAA: msaa_client runs in the prefix for the whole test (--serve) and names
each window's elements, their roles, states and screen locations; places.py tells which control each
one is. Every test class gets a Wine prefix of its own, copied from the test run's template, an X
server of its own and its own folders, so the test files run side by side.

A test file is started with the paths it needs: --program (Pelindra.exe), --client (msaa_client.exe),
--template (a prefix that `harness.py --make-template DIR` made; without it, one is made for the file
alone) and --build (the build folder, for the packages).
"""

import argparse
import io
import json
import os
import pwd
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

import layout  # noqa: E402
import play  # noqa: E402
import xsession  # noqa: E402
from places import Rect, clip, control_at, relative  # noqa: E402
from xsession import STARTUP_TIMEOUT, Workspace, XServer, read_bytes, spawn, stop_process  # noqa: E402,F401

# A look through MSAA takes a fraction of a second under Wine, several on a loaded machine.
STATE_TIMEOUT = 15.0
READER_TIMEOUT = 8.0
# No Mono or Gecko, which would ask to be installed; no menu entries or icons made for the desktop.
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"
WINDOW_CLASS = "PelindraWindow"
KINDS = {10: "window", 18: "window", 43: "button", 41: "text", 23: "live"}  # MSAA roles
HOT = 0x80  # STATE_SYSTEM_HOTTRACKED: the pointer is on it
MENU, GAME, RECORD, ABOUT = play.MENU, play.GAME, play.RECORD, play.ABOUT
paths = argparse.Namespace(program=None, client=None, template=None, build=None)


def test_main():
    """Entry point of a test file: takes the paths it was given and returns the argv for unittest."""
    parser = argparse.ArgumentParser(add_help=False)
    for name in vars(paths):
        parser.add_argument(f"--{name}")
    known, rest = parser.parse_known_args(sys.argv[1:])
    vars(paths).update({k: os.path.abspath(v) for k, v in vars(known).items() if v})
    xsession.stop_everything_on_sigterm()
    if paths.template is None:
        paths.template = os.path.join(tempfile.mkdtemp(prefix="pelindra-wine-template-"), "prefix")
        xsession._directories.add(os.path.dirname(paths.template))
        make_template(paths.template)
    return [sys.argv[0]] + rest


def wine_env(prefix, home, display=None):
    """Wine's environment. Its server keeps its socket in a folder it makes in TMPDIR, and fontconfig its
    cache in XDG_CACHE_HOME: both in home."""
    env = {"PATH": "/usr/bin:/bin", "WINEPREFIX": prefix, "WINEDEBUG": "-all", "WINEDLLOVERRIDES": DLL_OVERRIDES,
           "LANG": "C.UTF-8", "HOME": home, "TMPDIR": home, "XDG_CACHE_HOME": os.path.join(home, "cache")}
    if display:
        env["DISPLAY"] = display
    return env


def make_template(prefix):
    """A fresh prefix whose windows are left unmanaged, since no window manager runs on the tests' X
    servers, at 96 dots per inch, in place of any that was there."""
    shutil.rmtree(prefix, ignore_errors=True)
    home = tempfile.mkdtemp(prefix="pelindra-wine-home-")
    try:
        env = wine_env(prefix, home)
        for command in (["wine", "wineboot", "-i"],
                        ["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t", "REG_SZ",
                         "/d", "N", "/f"], dpi_command(96), ["wineserver", "-w"]):
            subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=300)
    finally:
        shutil.rmtree(home, ignore_errors=True)


def dpi_command(dpi):
    return ["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi),
            "/f"]


def copy_prefix(template, target, owner=None):
    """The template's copy, owned by owner (uid, gid) if given. Wine's own program files are linked, not
    copied: it never writes them, and a prefix is 700 MB. The name of its server's folder stays behind."""
    def link_or_copy(source, destination):
        if source.endswith((".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl", ".acm", ".ax", ".tlb", ".nls")):
            return os.link(source, destination)
        shutil.copy2(source, destination, follow_symlinks=False)
        if owner:
            os.lchown(destination, *owner)

    shutil.copytree(template, target, symlinks=True, copy_function=link_or_copy,
                    ignore=lambda directory, _: ["wineserver"] if directory == template else [])
    if owner:
        for directory, _, _ in os.walk(target):
            os.chown(directory, *owner)


def windows_path(path):
    """A Unix path as Wine's Z: drive names it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# ---------------------------------------------------------------------------------------------------
# A prefix with its X server and its MSAA reader


class Wine:
    """A copy of the template prefix, on an X server of the workspace's own, at a scale of its own, run
    by the workspace's user or by another one (user)."""

    def __init__(self, workspace, scale=1, user=None):
        self.workspace, self.scale = workspace, scale
        self.user = user or pwd.getpwuid(os.getuid()).pw_name
        owner = (pwd.getpwnam(user).pw_uid, pwd.getpwnam(user).pw_gid) if user else None
        self.as_user = ["setpriv", f"--reuid={owner[0]}", f"--regid={owner[1]}", "--clear-groups", "--"] if user else []
        self.x = XServer(os.path.join(workspace.root, "xvfb.log"), (1024 * scale, 768 * scale))
        self.x.start()
        self.prefix = os.path.join(workspace.root, "prefix")
        copy_prefix(paths.template, self.prefix, owner)
        self.env = wine_env(self.prefix, workspace.directory("home", 0o700, owner), self.x.display)
        if scale != 1:
            self.command(dpi_command(96 * scale))
        self.known = set()  # the Windows process ids of the programs started here
        self._reader = None
        # Its first answer: Wine has set the prefix's server up, which two programs starting at once
        # would both try to do.
        try:
            self.ask("--class", WINDOW_CLASS, "--list")
        except LookupError:
            pass

    def command(self, command):
        """Runs a command of Wine's own as the prefix's user."""
        subprocess.run(self.as_user + command, env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=STARTUP_TIMEOUT * 3)

    def stop(self):
        stop_process(self._reader)
        for command in (["wineserver", "-k"], ["wineserver", "-w"]):
            subprocess.run(self.as_user + command, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=60)
        self.x.stop()

    def spawn(self, command, **options):
        options.setdefault("stdin", subprocess.DEVNULL)
        return spawn([*self.as_user, "wine", *command], env=self.env, cwd=self.workspace.root, **options)

    def run(self, command, timeout=STARTUP_TIMEOUT * 3):
        """Runs a Windows program to its end; returns its exit status."""
        process = self.spawn(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            return process.wait(timeout)
        finally:
            stop_process(process)

    def user_folder(self, *parts):
        """A path in the Windows user's own folder, C:\\users\\<name> in the prefix."""
        return os.path.join(self.prefix, "drive_c", "users", self.user, *parts)

    def ask(self, *arguments):
        """msaa_client's answer to one command line: the objects it printed, or LookupError when it
        found no such window or object. A reader silent for READER_TIMEOUT is replaced and asked again:
        now and then one waits for good where a new one answers at once (docs/RELIABILITY.md)."""
        for patience in (READER_TIMEOUT, STARTUP_TIMEOUT):
            if self._reader is None:
                self._reader = self.spawn([paths.client, "--serve"], stdin=subprocess.PIPE,
                                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                patience = STARTUP_TIMEOUT
            answer = self._answer(arguments, patience)
            if answer is not None:
                return answer
            print(f"msaa_client gave no answer in {patience:.0f} s to {arguments}; asking a new one", file=sys.stderr)
            stop_process(self._reader)
            self._reader = None
        raise AssertionError(f"msaa_client gave no answer to {arguments}, nor did a new one")

    def _answer(self, arguments, patience):
        self._reader.stdin.write(("\t".join(arguments) + "\n").encode())
        self._reader.stdin.flush()
        lines = []
        while True:
            ready, _, _ = select.select([self._reader.stdout], [], [], patience)
            line = self._reader.stdout.readline() if ready else b""
            if not line:
                return None
            found = json.loads(line)
            if "end" in found:
                if found["end"]:
                    raise LookupError(f"msaa_client {' '.join(arguments)}: status {found['end']}")
                return lines
            lines.append(found)

    def xdotool(self, *arguments):
        xsession.xdotool(self.x.display, *arguments)

    def screenshot(self, rect):
        """The screen's pixels in rect, as an RGB image."""
        from PIL import Image  # only the tests of looks need it
        png = subprocess.run(["import", "-display", self.x.display, "-window", "root", "png:-"], check=True,
                             capture_output=True, timeout=STARTUP_TIMEOUT).stdout
        with Image.open(io.BytesIO(png)) as image:
            return image.convert("RGB").crop((rect.x, rect.y, rect.x + rect.width, rect.y + rect.height))


class Program:
    """One run of a copy of Pelindra.exe in a prefix."""

    def __init__(self, wine, executable):
        self.wine, self.executable = wine, executable
        self.directory = os.path.dirname(executable)
        self.process = self.pid = None
        self._stderr = os.path.join(wine.workspace.root, f"stderr-{time.monotonic_ns()}.txt")

    @property
    def data_file(self):
        return os.path.join(self.directory, "data.dat")

    def start(self):
        """Starts it and waits for its menu; the menu tells its Windows process id."""
        with open(self._stderr, "wb") as errors:
            self.process = self.wine.spawn([windows_path(self.executable)], stderr=errors)

        def menu():
            if self.process.poll() is not None:
                raise AssertionError(f"Pelindra.exe ended with {self.process.returncode} before its menu showed")
            return next((w["pid"] for w in self.wine.ask("--class", WINDOW_CLASS, "--list")
                         if w["pid"] not in self.wine.known and w["name"] == layout.caption(MENU)), None)

        self.pid = wait_until(menu, STARTUP_TIMEOUT, "the menu of a new Pelindra.exe")
        self.wine.known.add(self.pid)
        return self

    def stop(self):
        stop_process(self.process)

    def reports(self):
        """The lines the program wrote to stderr about itself."""
        return [line for line in read_bytes(self._stderr).decode("utf-8", "replace").splitlines()
                if line.startswith("pelindra:")]

    def kill(self):
        """Ends it at once, as a power cut or the task manager would."""
        self.process.kill()
        self.process.wait()

    def wait_exit(self, timeout=STATE_TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"Pelindra.exe was still running {timeout:.1f} s later") from None

    def close(self):
        """Alt+F4 to the window that has the keyboard, which closing the game window or menu ends with."""
        self.wine.xdotool("key", "alt+F4")

    def has_x_focus(self):
        """Whether the X server sends the keys to a window of this program, as Windows does already."""
        focused = subprocess.run(["xdotool", "getwindowfocus", "getwindowpid"], env={"DISPLAY": self.wine.x.display},
                                 capture_output=True, text=True)
        return focused.stdout.strip() == str(self.process.pid)


def wait_until(condition, timeout=STATE_TIMEOUT, what=None):
    """The player's wait, where a window or object that is just coming or going counts as "not yet"."""
    return play.wait_until(condition, timeout, what, (LookupError,))


# ---------------------------------------------------------------------------------------------------
# The shared player's screen


class Screen:
    """A program's windows as MSAA reads them, played with real X input (see play.py for the protocol).

    Each window's elements are read once by their child ids, and each is told to stand for a control
    of the layout by its text or, for a text that changes, by its place; a look then reads only the
    elements it needs.
    """

    def __init__(self, program):
        self.program, self.wine = program, program.wine
        self._controls = {}  # by window handle: {control: (child id, kind)}
        self._mapped = set()

    def _windows(self):
        return [w for w in self.wine.ask("--class", WINDOW_CLASS, "--list") if w["pid"] == self.program.pid]

    def windows(self):
        return sorted(layout.window_of(w["name"]) for w in self._windows())

    def window(self, window):
        title = layout.caption(window)
        return wait_until(lambda: next((w for w in self._windows() if w["name"] == title), None),
                          what=f"the window {title!r}")

    def client(self, window):
        """The window's client area on the screen."""
        return Rect(*self.window(window)["location"])

    def _logical(self, rect, origin):
        return Rect(*(v // self.wine.scale for v in relative(rect, origin)))

    def _ids(self, window):
        w = self.window(window)
        if w["hwnd"] not in self._controls:
            origin, found, first = Rect(*w["location"]), {}, 1
            # Child ids run from 1; a window's timers have none, so a run of 32 without any is the end.
            while True:
                chunk = self.wine.ask("--hwnd", w["hwnd"], "--child", ",".join(map(str, range(first, first + 32))),
                                      "--fields", "name,role,location")
                for e in chunk:
                    control = control_at(window, KINDS.get(e["role"]), self._logical(Rect(*e["location"]), origin),
                                         e["name"])
                    if control is not None and e["role"] in KINDS:
                        found.setdefault(control, (e["child"], KINDS[e["role"]]))
                if not chunk:
                    break
                first += 32
            self._controls[w["hwnd"]] = found
        return w, self._controls[w["hwnd"]]

    def _elements(self, window, controls, fields):
        """The window and the controls' elements, with these of their properties (msaa_client's --fields)."""
        w, ids = self._ids(window)
        missing = [c for c in controls if c not in ids]
        if missing:
            raise LookupError(f"no element stands for {missing} in {window}")
        read = {e["child"]: e for e in self.wine.ask("--hwnd", w["hwnd"], "--child",
                                                     ",".join(str(ids[c][0]) for c in controls), "--fields", fields)}
        return w, [read[ids[c][0]] for c in controls]

    def texts(self, window, controls):
        return [e["name"] for e in self._elements(window, controls, "name")[1]]

    def shown(self, window, control):
        return "invisible" not in self._elements(window, [control], "state")[1][0]["states"]

    def element(self, window, control):
        """The control's element as it is now: its name, role, state and location."""
        return self._elements(window, [control], "name,role,state,location")[1][0]

    def spot(self, window, control):
        """Where a click on the control goes: the middle of what the window shows of it."""
        w, (e,) = self._elements(window, [control], "state,location")
        area = clip(Rect(*e["location"]), Rect(*w["location"]))
        if area.width <= 0 or area.height <= 0 or "invisible" in e["states"]:
            raise AssertionError(f"{control} has nothing on the screen to click in {window}: {e}")
        # Shown to Windows is not yet mapped on the X server, where a click would reach what lies beneath.
        if w["hwnd"] not in self._mapped:
            wait_until(lambda: subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--pid", str(self.program.process.pid), "--name",
                 f"^{w['name']}$"], env={"DISPLAY": self.wine.x.display}, capture_output=True).returncode == 0,
                what=f"the X window of {window}")
            self._mapped.add(w["hwnd"])
        return str(area.x + area.width // 2), str(area.y + area.height // 2)

    def click(self, window, control):
        self.wine.xdotool("mousemove", *self.spot(window, control), "click", "1")

    @staticmethod
    def wait(condition, what, timeout=STATE_TIMEOUT):
        return wait_until(condition, timeout, what)

    def key(self, name):
        self.wine.xdotool("key", name)

    def keyboard(self, window):
        w = self.window(window)
        try:
            (e,) = self.wine.ask("--hwnd", w["hwnd"], "--focus", "--fields", "name,role,location")
        except LookupError:  # nothing of the window has the keyboard
            return None
        return control_at(window, KINDS.get(e["role"]), self._logical(Rect(*e["location"]), Rect(*w["location"])),
                          e["name"])

    def reading(self, window):
        w = self.window(window)
        origin = Rect(*w["location"])
        tree = self.wine.ask("--hwnd", w["hwnd"], "--fields", "name,role,state,location")
        return [(KINDS[e["role"]], e["name"],
                 control_at(window, KINDS[e["role"]], self._logical(Rect(*e["location"]), origin), e["name"])
                 if e["path"] else None)
                for e in tree if e["role"] in KINDS and "invisible" not in e["states"]]

    def park_pointer(self, window):
        """The pointer in a corner of the screen that no window covers, and off every control of window."""
        self.wine.xdotool("mousemove", "0", str(768 * self.wine.scale - 1))
        _, ids = self._ids(window)
        buttons = [c for c, (_, kind) in ids.items() if kind == "button"]
        self.wait(lambda: not any(e["state"] & HOT for e in self._elements(window, buttons, "state")[1]),
                  "no control under the pointer")


class WineTest(unittest.TestCase):
    """Each test class gets a prefix, an X server and folders of its own; scale 2 runs it at 200 %, user
    as another user than the test's."""

    scale = 1
    user = None

    @classmethod
    def setUpClass(cls):
        cls.workspace = Workspace()
        cls.wine = Wine(cls.workspace, cls.scale, cls.user)

    @classmethod
    def tearDownClass(cls):
        cls.wine.stop()
        cls.workspace.remove()

    def install(self, name, data=None):
        """A copy of Pelindra.exe alone in a folder of its own, with that data.dat beside it."""
        executable = self.workspace.install(paths.program, name)
        if data is not None:
            with open(os.path.join(os.path.dirname(executable), "data.dat"), "wb") as f:
                f.write(data)
        return executable

    def start(self, executable):
        program = Program(self.wine, executable)
        self.addCleanup(program.stop)
        return program.start(), Screen(program)

    def assertHolds(self, path, data):  # noqa: N802: as unittest names them
        """A file that holds data, or comes to once a save under way is done."""
        wait_until(lambda: read_bytes(path) == data, what=lambda: f"{path} to hold {data!r}, not {read_bytes(path)!r}")

    def end(self, program, screen, window=GAME):
        """Closes the game window or the menu with Alt+F4, which ends the program with exit code 0."""
        screen.wait(lambda: screen.keyboard(window) is not None and program.has_x_focus(),
                    f"the {window} to have the keyboard")
        program.close()
        self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__" and sys.argv[1:2] == ["--make-template"]:
    make_template(sys.argv[2])
