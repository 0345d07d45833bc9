# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the real Pelindra binary on a private X server and plays it the way a person would.

Input goes in as real X events (xdotool), state comes back from the accessibility bus (AT-SPI), and
the screen is looked at only for what the bus cannot tell, such as a text colour. Every test gets its
own X server, its own directories and its own copy of the binary, and every test file its own D-Bus
session, so that they can run side by side and nothing one leaves behind can make another pass or fail.
"""

import argparse
import grp
import json
import os
import pwd
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from collections import namedtuple

import pyatspi
from gi.repository import Atspi, GLib
from Xlib import X
from Xlib import display as xdisplay
from Xlib import protocol

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))

import layout  # noqa: E402
import play  # noqa: E402
from layout import names  # noqa: E402
from places import (BACK, BEST_SCORE_LABEL, BEST_TIME_LABEL, CLOCK_LABEL, NO_DIGIT, PLACES,  # noqa: E402,F401
                    PROMPT_LABEL, SCORE_LABEL, START, Rect, box_rect, clip, control_at, inside, placed,
                    relative)
from xsession import (STARTUP_TIMEOUT, STATE_TIMEOUT, Workspace, XServer, _directories,  # noqa: E402,F401
                      read_bytes, spawn, stop_everything, stop_everything_on_sigterm, stop_process,
                      xdotool)

from play import POLL_SECONDS, seconds_of  # noqa: E402,F401: for the tests

game = names.game

TOOLS = ("Xvfb", "xdotool", "setpriv", "dbus-run-session")
SESSION_MARK = "PELINDRA_E2E_SESSION"

APP_NAMES = ("pelindra", "Pelindra")
# The titles the windows show, which is how the bus and the window system know them.
MENU, GAME, RECORD, ABOUT = (layout.caption(w) for w in (names.kMenuWindow, names.kGameWindow,
                                                          names.kRecordWindow, names.kAboutWindow))


# ---------------------------------------------------------------------------------------------------
# Running a test file


def test_main():
    """Entry point of a test file. Returns (binary, argv for unittest) inside a session of its own.

    Started outside one, it runs itself again inside a new D-Bus session whose runtime directory is
    its own too: the accessibility bus keeps its socket in the runtime directory (or ~/.cache), so two
    sessions that shared one would take each other's bus away when the first of them ended.
    """
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--binary", default=os.environ.get("PELINDRA_BINARY"))
    known, rest = parser.parse_known_args(sys.argv[1:])
    me = sys.argv[0]
    if not known.binary:
        sys.exit(f"{me}: give the program to test with --binary PATH (or PELINDRA_BINARY)")
    binary = os.path.abspath(known.binary)
    if not os.access(binary, os.X_OK):
        sys.exit(f"{me}: {binary} is not an executable file")
    missing = [tool for tool in TOOLS if shutil.which(tool, path="/usr/bin:/bin") is None]
    if missing:
        sys.exit(f"{me}: missing {', '.join(missing)}; scripts/deps test installs them")
    if os.environ.get(SESSION_MARK) == "1":
        stop_everything_on_sigterm()
        return binary, [me] + rest
    sys.exit(_run_in_own_session([os.path.abspath(me), "--binary", binary] + rest))


def _run_in_own_session(argv):
    runtime = tempfile.mkdtemp(prefix="pelindra-e2e-session-")
    _directories.add(runtime)
    # A home of its own too: the X servers, window managers and compositors the tests start keep
    # caches there (Mesa's shader cache, for one), and the player's real home is none of their business.
    home = os.path.join(runtime, "home")
    os.mkdir(home, 0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, HOME=home, XDG_CACHE_HOME=os.path.join(home, "cache"),
               XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_DATA_HOME=os.path.join(home, "data"),
               **{SESSION_MARK: "1"})
    # The desktop the tests are started from stays out of it: given a DISPLAY, the accessibility
    # library would look for its bus on that display first.
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS"):
        env.pop(name, None)
    stop_everything_on_sigterm()
    try:
        process = spawn(["dbus-run-session", "--", "/usr/bin/python3"] + argv, env=env,
                        stdin=subprocess.DEVNULL)
        return process.wait()
    finally:
        stop_everything()


def user_ids(user, group):
    return pwd.getpwnam(user).pw_uid, grp.getgrnam(group).gr_gid


NOBODY = ("nobody", "nogroup")
PLAYER_SCRIPTS = tuple(os.path.join("tests", *path) for path in (
    ("e2e", "player.py"), ("e2e", "harness.py"), ("support", "layout.py"), ("support", "play.py"),
    ("support", "places.py"), ("support", "xsession.py")))


class NobodyPlayer:
    """Plays the program as user nobody, from a home and a copy of the player scripts of its own.

    A program has to be on its own user's accessibility bus, so a game played as another user is
    played by a player of that user too, on an X server and bus of its own.
    """

    def __init__(self, workspace):
        self.home = workspace.directory("home", 0o700, user_ids(*NOBODY))
        self.data_home = os.path.join(self.home, "data")
        # The scripts and the sources they read the program's names from, laid out as in the tree.
        scripts = workspace.directory("scripts", 0o755)
        for path in [*PLAYER_SCRIPTS, *layout.sources()]:
            os.makedirs(os.path.dirname(os.path.join(scripts, path)), exist_ok=True)
            shutil.copy(os.path.join(layout.SOURCES, path), os.path.join(scripts, path))
        self.script = os.path.join(scripts, PLAYER_SCRIPTS[0])

    @property
    def kept_record(self):
        """Where the program keeps data.dat for this player when its own directory will not take it."""
        return os.path.join(self.data_home, "Pelindra", "data.dat")

    def play(self, executable, what, timeout=90):
        """Runs player.py's `what`; returns (exit code, result, log)."""
        command = [
            "setpriv", f"--reuid={NOBODY[0]}", f"--regid={NOBODY[1]}", "--clear-groups", "--",
            "env", "-i", "PATH=/usr/bin:/bin", f"HOME={self.home}", "LANG=C.UTF-8",
            "dbus-run-session", "--",
            "/usr/bin/python3", self.script, "--binary", executable, "--home", self.home,
            "--data-home", self.data_home, what,
        ]
        process = spawn(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            out, err = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            stop_process(process, 5.0)
            out, err = process.communicate()
        lines = out.decode("utf-8").strip().splitlines()
        result = json.loads(lines[-1]) if process.returncode == 0 and lines else None
        return process.returncode, result, err.decode("utf-8", errors="replace")


def read_settings(path):
    """Reads an INI-style settings file into {section: {item: value}}, or None when it is missing."""
    data = read_bytes(path)
    if data is None:
        return None
    sections = {}
    current = None
    for line in data.decode("utf-8", errors="replace").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key.strip()] = value.strip()
    return sections


# ---------------------------------------------------------------------------------------------------
# Waiting

# What a look at the bus may raise while the program is still building or tearing down a window.
TRANSIENT_ERRORS = (GLib.Error, LookupError)


def wait_until(condition, timeout=STATE_TIMEOUT, what=None):
    """The player's wait, where a look that fails because a window is just coming or going counts as
    "not yet"."""
    return play.wait_until(condition, timeout, what, TRANSIENT_ERRORS)


# ---------------------------------------------------------------------------------------------------
# A window manager


class Openbox:
    """The openbox window manager on a private X server, with a home of its own so no one's settings count."""

    def __init__(self, display, workspace):
        self.display = display
        self._home = workspace.directory("openbox-home")
        self._log_path = os.path.join(workspace.root, "openbox.log")
        self._process = None

    def start(self, timeout=STARTUP_TIMEOUT):
        env = {"DISPLAY": self.display, "PATH": "/usr/bin:/bin", "HOME": self._home,
               "XDG_CONFIG_HOME": os.path.join(self._home, "config"),
               "XDG_CACHE_HOME": os.path.join(self._home, "cache")}
        with open(self._log_path, "ab") as log:
            self._process = spawn(["openbox", "--sm-disable"], env=env, stdin=subprocess.DEVNULL,
                                  stdout=log, stderr=log)
        d = xdisplay.Display(self.display)
        # The last thing it puts on the root window as it starts; a window mapped before then may stay
        # unmanaged and unmapped.
        workarea = d.intern_atom("_NET_WORKAREA")
        try:
            wait_until(lambda: self._process.poll() is None and d.screen().root.get_full_property(
                workarea, X.AnyPropertyType) is not None, timeout, f"openbox to take {self.display}")
        finally:
            d.close()

    def stop(self):
        stop_process(self._process)
        self._process = None


# ---------------------------------------------------------------------------------------------------
# The Wayland compositor

View = namedtuple("View", "title rect")


class Weston:
    """A private weston. Headless, or in a window of its own on an X server, where xdotool reaches it.

    It keeps its socket in the runtime directory given, which its clients must share. The debug
    protocol is on, so that its scene graph tells which window stands above which.
    """

    SOCKET = "pelindra-wayland"
    # Its window on the X server, at +0+0 where no window manager places it, so X and weston share
    # their coordinates.
    WIDTH, HEIGHT = 1024, 768

    def __init__(self, workspace, runtime_dir, x_display=None):
        self.runtime_dir = runtime_dir
        self.x_display = x_display
        self._home = workspace.directory("weston-home")
        self._log_path = os.path.join(workspace.root, "weston.log")
        self._process = None
        self._pointer_pinned = False

    def _env(self):
        # Mesa keeps its shader cache under XDG_CACHE_HOME, or else in the user's real home, whatever
        # HOME says.
        env = {"PATH": "/usr/bin:/bin", "HOME": self._home, "XDG_RUNTIME_DIR": self.runtime_dir,
               "XDG_CACHE_HOME": os.path.join(self._home, "cache")}
        if self.x_display:
            env["DISPLAY"] = self.x_display
        return env

    def start(self, timeout=STARTUP_TIMEOUT):
        if self.x_display:
            backend = ["--backend=x11-backend.so", f"--width={self.WIDTH}", f"--height={self.HEIGHT}"]
        else:
            backend = ["--backend=headless-backend.so"]
        with open(self._log_path, "ab") as log:
            self._process = spawn(["weston", *backend, f"--socket={self.SOCKET}", "--idle-time=0", "--debug"],
                                  env=self._env(), stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        socket = os.path.join(self.runtime_dir, self.SOCKET)

        def listening():
            if self._process.poll() is not None:
                raise AssertionError(f"weston ended with {self._process.returncode}; see {self._log_path}")
            return os.path.exists(socket)

        wait_until(listening, timeout, "weston's socket")

    def stop(self):
        stop_process(self._process)
        self._process = None

    def _scene_graph(self):
        env = dict(self._env(), WAYLAND_DISPLAY=self.SOCKET)
        env.pop("DISPLAY", None)
        return subprocess.run(["weston-debug", "scene-graph"], env=env, capture_output=True, text=True,
                              check=True, timeout=STATE_TIMEOUT, stdin=subprocess.DEVNULL).stdout

    @staticmethod
    def _views(graph, kind):
        pattern = kind + r"[^\n]*\n\t\tposition: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\)"
        for match in re.finditer(pattern, graph):
            left, top, right, bottom = (int(v) for v in match.groups()[-4:])
            yield match, Rect(left, top, right - left, bottom - top)

    def windows(self):
        """The top-level windows on the screen, the uppermost first."""
        return [View(match.group(1), rect)
                for match, rect in self._views(self._scene_graph(), r"top-level window '([^']*)' of")]

    def cursor(self, owner=None):
        """Where the pointer's picture stands, or None while it has none (or none that owner, a process
        id, has given it)."""
        for match, rect in self._views(self._scene_graph(), r"role wl_pointer-cursor, PID (\d+),"):
            if owner is None or int(match.group(1)) == owner:
                return rect
        return None

    # --- the pointer, nested in an X server -----------------------------------------------------------

    def xdotool(self, *args):
        xdotool(self.x_display, *args)

    def point_at(self, spot, owner=None):
        """Moves the pointer to spot; returns its picture once weston shows it there, and, given owner,
        once the client of that process id has given it its own, which it does as the pointer enters."""
        if not self._pointer_pinned:
            self._pin_pointer()
        self.xdotool("mousemove", str(spot[0]), str(spot[1]))
        return self._wait_cursor_on(spot, owner)

    def _pin_pointer(self):
        """Makes weston's pointer stand where the X server's does, which it need not on its own.

        The x11 backend moves weston's pointer by the motion between the X events it sees. Unless the
        X server told it where the pointer was as its window appeared, which depends on timing, it
        starts at 0, 0 and takes no motion from the first event, only a place to measure the next one
        from: an offset that stays for good. Its pointer stops at the output's edges, though, so a
        move from one corner to the opposite one ends there, offset or not. The X pointer goes to a
        corner first, a move that may be lost, then across to the opposite corner and back. weston
        takes the X server's events in order, so once it shows the pointer in that last corner,
        every move after lands where it is sent.
        """
        far = (self.WIDTH - 1, self.HEIGHT - 1)
        self.xdotool("mousemove", *map(str, far), "mousemove", "0", "0", "mousemove", *map(str, far))
        self._wait_cursor_on(far)
        self._pointer_pinned = True

    def _wait_cursor_on(self, point, owner=None):
        def there():
            # The picture stands around the pointer's hot spot, so it covers the point the pointer is at.
            cursor = self.cursor(owner)
            return cursor if cursor is not None and inside(point, cursor) else None

        return wait_until(there, what=lambda: f"weston's pointer at {point}: its picture at {self.cursor()}")


# ---------------------------------------------------------------------------------------------------
# Looking at the accessibility bus


def showing(accessible):
    try:
        return accessible.getState().contains(pyatspi.STATE_SHOWING)
    except GLib.Error:
        return False


def extents(accessible):
    e = accessible.get_extents(Atspi.CoordType.SCREEN)
    return Rect(e.x, e.y, e.width, e.height)


def descendants(accessible):
    for child in accessible:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find_all(root, name=None, role=None, only_showing=True):
    found = []
    for node in descendants(root):
        if name is not None and node.name != name:
            continue
        if role is not None and node.getRole() != role:
            continue
        if only_showing and not showing(node):
            continue
        found.append(node)
    return found


def find(root, name=None, role=None, only_showing=True):
    found = find_all(root, name, role, only_showing)
    if not found:
        raise LookupError(f"no {'showing ' if only_showing else ''}control named {name!r} "
                          f"with role {role!r} in {root.name!r}")
    return found[0]


def focused(accessible):
    try:
        return accessible.getState().contains(pyatspi.STATE_FOCUSED)
    except GLib.Error:
        return False


def press(accessible):
    """The Press action of a button on the bus, the way a screen reader or a switch device presses it."""
    actions = accessible.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) == "Press":
            actions.doAction(i)
            return
    raise LookupError(f"{accessible.name!r} has no Press action")


# ---------------------------------------------------------------------------------------------------
# The program


class Program:
    """One run of a copy of the binary, with a clean environment of its own."""

    def __init__(self, executable, display, workspace, *, home=None, data_home=None, env=None):
        self.executable = executable
        self.extra_env = dict(env or {})
        self.directory = os.path.dirname(executable)
        self.display = display
        self.home = home or workspace.directory("home")
        self.data_home = data_home or os.path.join(self.home, "data")
        self.runtime_dir = workspace.directory("runtime", 0o700)
        self._stderr_path = os.path.join(workspace.root, f"stderr-{time.monotonic_ns()}.txt")
        self.process = None
        self._app = None
        self._x = None

    @property
    def data_file(self):
        return os.path.join(self.directory, "data.dat")

    def environment(self):
        env = {
            "PATH": "/usr/bin:/bin",
            "HOME": self.home,
            "XDG_DATA_HOME": self.data_home,
            "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
            "XDG_CACHE_HOME": os.path.join(self.home, "cache"),
            "XDG_RUNTIME_DIR": self.runtime_dir,
            "LANG": "C.UTF-8",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        }
        if self.display:
            env["DISPLAY"] = self.display
        if "DBUS_SESSION_BUS_ADDRESS" in os.environ:
            env["DBUS_SESSION_BUS_ADDRESS"] = os.environ["DBUS_SESSION_BUS_ADDRESS"]
        env.update(self.extra_env)
        return env

    def start(self):
        with open(self._stderr_path, "wb") as err:
            # Started from elsewhere, so that a program that looked for data.dat in its working
            # directory rather than its own would be caught.
            self.process = spawn([self.executable], env=self.environment(), cwd=self.home,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err)
        return self

    def stop(self):
        stop_process(self.process)
        if self._x is not None:
            self._x.close()
            self._x = None

    def wait_exit(self, timeout=STATE_TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program was still running {timeout:.1f} s later") from None

    def running(self):
        return self.process.poll() is None

    def stderr(self):
        with open(self._stderr_path, "rb") as f:
            return f.read().decode("utf-8", errors="replace")

    # --- the bus -----------------------------------------------------------------------------------

    def app(self, timeout=STARTUP_TIMEOUT):
        """The program's application object on the bus, told from any other by its process id."""
        if self._app is not None:
            return self._app

        def registered():
            if not self.running():
                raise AssertionError(f"the program ended early with {self.process.returncode}: "
                                     f"{self.stderr()}")
            for app in pyatspi.Registry.getDesktop(0):
                try:
                    if app is not None and app.get_process_id() == self.process.pid:
                        return app
                except GLib.Error:
                    # One that has just gone away; it must not hide the others.
                    continue
            return None

        self._app = wait_until(registered, timeout, "the program on the accessibility bus")
        return self._app

    def windows(self):
        """Titles of the program's top-level windows that are on the screen now, sorted."""
        return sorted(w.name for w in self.app() if w is not None and showing(w))

    def window(self, title, timeout=STATE_TIMEOUT):
        def shown():
            for w in self.app():
                if w is not None and w.name == title and showing(w):
                    return w
            return None

        return wait_until(shown, timeout, lambda: f"window {title!r} (showing: {self._titles()})")

    def wait_window_gone(self, title, timeout=STATE_TIMEOUT):
        wait_until(lambda: title not in self.windows(), timeout, f"window {title!r} to go")

    def _titles(self):
        try:
            return self.windows()
        except TRANSIENT_ERRORS as error:
            return repr(error)

    # --- input -------------------------------------------------------------------------------------

    def click_at(self, x, y):
        xdotool(self.display, "mousemove", str(x), str(y), "click", "1")

    def click(self, control, window=None):
        """A real left click at the centre of the part of the control that its window shows."""
        area = extents(control)
        if window is not None:
            area = clip(area, extents(window))
            # The bus tells of a window once the program has asked for it to be shown; a click that
            # reached the X server before the window was mapped would go to whatever lies beneath.
            wait_until(lambda: self._x_window(window.name), what=f"the X window {window.name!r} mapped")
        if area.width <= 0 or area.height <= 0:
            raise AssertionError(f"{control.name!r} has nothing on the screen to click: {area}")
        self.click_at(area.x + area.width // 2, area.y + area.height // 2)

    def click_named(self, title, name, role=pyatspi.ROLE_PUSH_BUTTON):
        window = self.window(title)
        self.click(wait_until(lambda: find(window, name, role), what=f"{name!r} in {title!r}"), window)

    # --- the X side --------------------------------------------------------------------------------

    def _xdisplay(self):
        if self._x is None:
            self._x = xdisplay.Display(self.display)
        return self._x

    def _x_window(self, title):
        """This program's mapped window of that title: another copy's windows may bear the same one."""
        d = self._xdisplay()
        net_wm_name = d.intern_atom("_NET_WM_NAME")
        net_wm_pid = d.intern_atom("_NET_WM_PID")
        utf8 = d.intern_atom("UTF8_STRING")
        # A window manager puts each client inside a frame of its own, one level down.
        pending = list(d.screen().root.query_tree().children)
        while pending:
            w = pending.pop(0)
            if w.get_attributes().map_state != X.IsViewable:
                continue
            prop = w.get_full_property(net_wm_name, utf8)
            if prop is not None and prop.value.decode("utf-8") == title:
                pid = w.get_full_property(net_wm_pid, X.AnyPropertyType)
                if pid is None or pid.value[0] == self.process.pid:
                    return w
            pending.extend(w.query_tree().children)
        raise LookupError(f"no mapped X window titled {title!r} of process {self.process.pid}")

    def x_window(self, title):
        """The program's mapped X window of that title, framed by a window manager or not."""
        return self._x_window(title)

    def key(self, name):
        """A real key press and release, to whichever window has the keyboard."""
        xdotool(self.display, "key", name)

    def press_named(self, title, name):
        window = self.window(title)
        press(wait_until(lambda: find(window, name, pyatspi.ROLE_PUSH_BUTTON), what=f"{name!r} in {title!r}"))

    def close_window(self, title):
        """What a window manager's close button does: WM_DELETE_WINDOW to the window."""
        d = self._xdisplay()
        target = self._x_window(title)
        protocols = d.intern_atom("WM_PROTOCOLS")
        delete = d.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=target, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        target.send_event(event, event_mask=X.NoEventMask)
        d.sync()

    def pixels(self, rect):
        """The screen's pixels in rect as a list of (r, g, b)."""
        root = self._xdisplay().screen().root
        data = root.get_image(rect.x, rect.y, rect.width, rect.height, X.ZPixmap, 0xFFFFFFFF).data
        # At depth 24 each pixel comes as a 32-bit word, blue first.
        return [(data[i + 2], data[i + 1], data[i]) for i in range(0, len(data), 4)]


# ---------------------------------------------------------------------------------------------------
# The desktop under the shared player

class Screen:
    """The program's windows on the accessibility bus, played with real X input.

    A control with a text of its own goes by that text; one whose text changes, by its place (PLACES).
    by_press: through the bus' Press action instead, where no pointer is to be had.
    """

    def __init__(self, program, by_press=False):
        self.program = program
        self.by_press = by_press

    def windows(self):
        return sorted(layout.window_of(title) for title in self.program.windows())

    def window(self, window):
        return self.program.window(layout.caption(window))

    def texts(self, window, controls):
        return [node.name for node in self._placed(self.window(window), window, controls)]

    def shown(self, window, control):
        return bool(find_all(self.window(window), name=layout.text(window, control)))

    def click(self, window, control):
        if (window, control) not in PLACES:
            by_text = self.program.press_named if self.by_press else self.program.click_named
            return by_text(layout.caption(window), layout.text(window, control))
        w = self.window(window)
        node = self._placed(w, window, [control])[0]
        return press(node) if self.by_press else self.program.click(node, w)

    @staticmethod
    def wait(condition, what, timeout=STATE_TIMEOUT):
        return wait_until(condition, timeout, what)

    @classmethod
    def _placed(cls, w, window, controls):
        origin = extents(w)
        return placed(window, controls, ((cls.KINDS.get(node.getRole()), relative(extents(node), origin), node)
                                         for node in find_all(w)))

    # --- the keyboard and what a screen reader hears

    KINDS = {pyatspi.ROLE_FRAME: "window", pyatspi.ROLE_DIALOG: "window", pyatspi.ROLE_PUSH_BUTTON: "button",
             pyatspi.ROLE_LABEL: "text", pyatspi.ROLE_STATUS_BAR: "live"}

    def key(self, name):
        self.program.key(name)

    def keyboard(self, window):
        return next((c for kind, _, c in self.reading(window, focused) if kind != "window"), None)

    def reading(self, window, which=showing):
        w = self.window(window)
        origin = extents(w)

        return [(self.KINDS.get(w.getRole()), w.name, None)] + [
            (self.KINDS[node.getRole()], node.name,
             control_at(window, self.KINDS[node.getRole()], relative(extents(node), origin), node.name))
            for node in descendants(w) if node.getRole() in self.KINDS and which(node)]


class Announcements:
    """The names that change on the bus, as a screen reader hears of them: (role, name)."""

    def __init__(self):
        self.heard = []
        self._listener = Atspi.EventListener.new(
            lambda e: self.heard.append((e.source.get_role(), e.source.get_name())))
        self._listener.register("object:property-change:accessible-name")

    def after_events(self):
        while GLib.MainContext.default().iteration(False):
            pass
        return self.heard


def GameView(program, by_press=False):  # noqa: N802: it stands for the class it makes
    return play.GameView(Screen(program, by_press))


def RecordView(program, by_press=False):  # noqa: N802
    return play.RecordView(Screen(program, by_press))


# ---------------------------------------------------------------------------------------------------
# Colours on the screen


def is_red(rgb):
    r, g, b = rgb
    return r > 180 and g < 90 and b < 90


def is_white(rgb):
    return min(rgb) > 200


def text_colour(pixels):
    """"red" or "white" for a label's pixels, by which of the two its glyphs are drawn in.

    The background may hold a few pixels of either colour, so a colour counts only when there are
    enough of it to be letters and next to none of the other.
    """
    red = sum(1 for p in pixels if is_red(p))
    white = sum(1 for p in pixels if is_white(p))
    if red >= 30 and red > 2 * white:
        return "red"
    if white >= 30 and red < 5:
        return "white"
    return None


class OnScreenTest(unittest.TestCase):
    """Each test gets directories and an X server of its own."""

    def setUp(self):
        self.workspace = Workspace()
        self.addCleanup(self.workspace.remove)
        self.x = XServer(os.path.join(self.workspace.root, "xvfb.log"))
        self.addCleanup(self.x.stop)
        self.x.start()
