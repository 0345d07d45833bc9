# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the end-to-end tests start and make, the desktop's and the Windows program's under Wine alike:
processes in process groups of their own and temporary directories, so that nothing outlives a test run,
and private X servers that pick a free display themselves, so that tests run side by side.
"""

import os
import select
import shutil
import signal
import subprocess
import tempfile
import time

# Long enough for a loaded two-core CI machine; a passing run never waits this long.
STARTUP_TIMEOUT = 20.0
STATE_TIMEOUT = 5.0

_processes = set()
_directories = set()


def spawn(command, **options):
    """Starts a process in a process group of its own, which stop_process ends as a whole."""
    process = subprocess.Popen(command, start_new_session=True, **options)
    _processes.add(process)
    return process


def stop_process(process, grace=2.0):
    """Ends a process that we started, and everything it started, and reaps it."""
    if process is None:
        return
    _processes.discard(process)
    if process.poll() is not None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            continue


def stop_everything():
    for process in list(_processes):
        stop_process(process)
    for path in list(_directories):
        shutil.rmtree(path, ignore_errors=True)
    _directories.clear()


def stop_everything_on_sigterm():
    """A test run stopped from outside (a time-out) still takes down its X servers and programs."""
    def stop(signum, _frame):
        stop_everything()
        os._exit(128 + signum)

    signal.signal(signal.SIGTERM, stop)


class Workspace:
    """The temporary directories of one test. Everything under its root goes when it is removed."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="pelindra-e2e-")
        os.chmod(self.root, 0o755)
        _directories.add(self.root)

    def directory(self, name, mode=0o700, owner=None):
        path = os.path.join(self.root, name)
        os.makedirs(path, exist_ok=True)
        os.chmod(path, mode)
        if owner is not None:
            shutil.chown(path, *owner)
        return path

    def install(self, binary, name="program"):
        """A copy of the binary alone in a directory of its own, which is where it keeps data.dat."""
        directory = self.directory(name, 0o755)
        target = os.path.join(directory, os.path.basename(binary))
        shutil.copy2(binary, target)
        return target

    def remove(self):
        _directories.discard(self.root)
        shutil.rmtree(self.root, ignore_errors=True)


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def xdotool(display, *args):
    """Real input events on the X server of that display."""
    subprocess.run(["xdotool", *args], env={"DISPLAY": display, "PATH": "/usr/bin:/bin"}, check=True,
                   timeout=STATE_TIMEOUT, stdin=subprocess.DEVNULL)


class XServer:
    """A private Xvfb. It picks a free display itself (-displayfd), so parallel tests never collide."""

    def __init__(self, log_path, size=(1024, 768)):
        self.display = None
        self.size = size
        self._log_path = log_path
        self._process = None

    def start(self, timeout=STARTUP_TIMEOUT):
        read_fd, write_fd = os.pipe()
        try:
            with open(self._log_path, "ab") as log:
                self._process = spawn(
                    ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % self.size,
                     "-nolisten", "tcp", "-noreset"],
                    pass_fds=(write_fd,), stdin=subprocess.DEVNULL, stdout=log, stderr=log)
            os.close(write_fd)
            write_fd = -1
            # Xvfb writes the display number once it accepts clients.
            number = b""
            deadline = time.monotonic() + timeout
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_fd], [], [], max(deadline - time.monotonic(), 0))
                chunk = os.read(read_fd, 16) if ready else b""
                if not chunk:
                    raise RuntimeError(f"Xvfb did not start; see {self._log_path}")
                number += chunk
        finally:
            os.close(read_fd)
            if write_fd >= 0:
                os.close(write_fd)
        self.display = ":" + number.decode().strip()
        return self.display

    def stop(self):
        stop_process(self._process)
        self._process = None
