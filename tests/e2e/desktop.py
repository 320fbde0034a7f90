#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A throw-away Linux desktop for end-to-end tests.

Starts a real X server (Xvfb on a free display), a private D-Bus session bus, the notification
daemon dunst, the window manager openbox and the tray tint2, each as a child process, and ends
every one of them by its process id. Used as a module (``with Desktop() as d: ...``) or as a
launcher around a command:

    python3 tests/e2e/desktop.py [--home DIR] -- COMMAND ARGS...

which runs COMMAND with DISPLAY and DBUS_SESSION_BUS_ADDRESS set and returns its exit code.
"""
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time


class DesktopError(RuntimeError):
    pass


def make_home(path):
    """Prepares a HOME with its XDG folders, Desktop and Documents; returns the environment."""
    for sub in ("Desktop", "Documents", ".config", ".local/share", ".cache", ".runtime"):
        os.makedirs(os.path.join(path, sub), exist_ok=True)
    os.chmod(os.path.join(path, ".runtime"), 0o700)
    return {
        "HOME": path,
        "XDG_CONFIG_HOME": os.path.join(path, ".config"),
        "XDG_DATA_HOME": os.path.join(path, ".local/share"),
        "XDG_CACHE_HOME": os.path.join(path, ".cache"),
        "XDG_RUNTIME_DIR": os.path.join(path, ".runtime"),
    }


class Desktop:
    def __init__(self, home=None, window_manager=True, tray=True, notifications=True):
        self._own_home = home is None
        self.home = home or tempfile.mkdtemp(prefix="quillmere-e2e-")
        self.window_manager = window_manager
        self.tray = tray
        self.notifications = notifications
        self.processes = []  # (name, Popen), in start order
        self._logs = []
        self.env = dict(os.environ)
        for key in ("XDG_CURRENT_DESKTOP", "WAYLAND_DISPLAY", "SESSION_MANAGER", "QT_QPA_PLATFORM"):
            self.env.pop(key, None)
        self.env.update(make_home(self.home))
        self.env["QT_QPA_PLATFORM"] = "xcb"

    # -- start and stop --------------------------------------------------------------------
    def __enter__(self):
        try:
            self._start_x()
            self._start_bus()
            if self.window_manager:
                self._spawn("openbox", ["openbox", "--sm-disable"])
                self._wait(lambda: self._root_has("_NET_SUPPORTING_WM_CHECK"), "openbox")
            if self.notifications:
                self._start_dunst()
            if self.tray:
                self._spawn("tint2", ["tint2"])
                self._wait(lambda: self._selection_owned("_NET_SYSTEM_TRAY_S0"), "tint2 tray")
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        for name, proc in reversed(self.processes):
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        self.processes.clear()
        for log in self._logs:
            log.close()
        self._logs.clear()
        if self._own_home:
            shutil.rmtree(self.home, ignore_errors=True)

    def _spawn(self, name, argv, **kwargs):
        if shutil.which(argv[0]) is None:
            raise DesktopError(f"{argv[0]} is not installed (scripts/install-deps test installs it)")
        log = open(os.path.join(self.home, f".{name}.log"), "wb")
        self._logs.append(log)
        proc = subprocess.Popen(argv, env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, **kwargs)
        self.processes.append((name, proc))
        return proc

    def _wait(self, predicate, what, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for name, proc in self.processes:
                if proc.poll() is not None:
                    with open(os.path.join(self.home, f".{name}.log"), errors="replace") as f:
                        tail = f.read()[-2000:]
                    raise DesktopError(f"{name} ended early with {proc.returncode}:\n{tail}")
            if predicate():
                return
            time.sleep(0.05)
        raise DesktopError(f"{what} did not come up within {timeout} s")

    def _read_fd_line(self, fd, what, proc, timeout=20.0):
        deadline = time.monotonic() + timeout
        data = b""
        os.set_blocking(fd, False)
        while time.monotonic() < deadline and not data.endswith(b"\n"):
            try:
                chunk = os.read(fd, 4096)
                if chunk:
                    data += chunk
                    continue
                if proc.poll() is not None:
                    break
            except BlockingIOError:
                pass
            time.sleep(0.02)
        os.close(fd)
        if not data.strip():
            raise DesktopError(f"{what} did not report itself")
        return data.decode().strip()

    def _start_x(self):
        r, w = os.pipe()
        proc = self._spawn("Xvfb", ["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24",
                                    "-nolisten", "tcp", "-noreset"], pass_fds=(w,))
        os.close(w)
        self.env["DISPLAY"] = ":" + self._read_fd_line(r, "Xvfb", proc)

    def _start_bus(self):
        # A session bus that activates no services: only the parts started here own names, so
        # a call that comes before dunst is up cannot start a second dunst behind our back.
        config = os.path.join(self.home, ".session-bus.conf")
        with open(config, "w") as f:
            f.write('<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"'
                    ' "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">\n'
                    "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                    '<policy context="default"><allow send_destination="*" eavesdrop="true"/>'
                    '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>\n')
        r, w = os.pipe()
        proc = self._spawn("dbus-daemon", ["dbus-daemon", f"--config-file={config}", "--nofork",
                                           "--nopidfile", f"--print-address={w}"], pass_fds=(w,))
        os.close(w)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._read_fd_line(r, "dbus-daemon", proc)

    def _start_dunst(self):
        conf = os.path.join(self.home, ".config", "dunst")
        os.makedirs(conf, exist_ok=True)
        with open(os.path.join(conf, "dunstrc"), "w") as f:
            # Long timeouts so that a test reads notices before they expire by themselves.
            f.write("[global]\n    history_length = 100\n[urgency_low]\n    timeout = 600\n"
                    "[urgency_normal]\n    timeout = 600\n[urgency_critical]\n    timeout = 0\n")
        self._spawn("dunst", ["dunst", "-config", os.path.join(conf, "dunstrc")])
        self._wait(lambda: self._name_has_owner("org.freedesktop.Notifications"), "dunst")

    # -- helpers for tests -----------------------------------------------------------------
    def run(self, argv, check=True, **kwargs):
        return subprocess.run(argv, env=self.env, check=check, capture_output=True, text=True,
                              **kwargs)

    def _name_has_owner(self, name):
        out = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                        "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                        f"string:{name}"], check=False)
        return out.returncode == 0 and "boolean true" in out.stdout

    def _root_has(self, atom):
        out = self.run(["xprop", "-root", atom], check=False)
        return out.returncode == 0 and "not found" not in out.stdout and "window id" in out.stdout

    def _selection_owned(self, selection):
        # tint2 owns the tray selection once its systray is up; xprop cannot ask, so look for
        # its window instead.
        out = self.run(["xdotool", "search", "--classname", "tint2"], check=False)
        return out.returncode == 0 and out.stdout.strip() != ""

    def notices(self):
        """Every notice dunst received, oldest first, as (summary, body) pairs."""
        self.run(["dunstctl", "close-all"], check=False)
        time.sleep(0.2)
        out = self.run(["dunstctl", "history"], check=False)
        if out.returncode != 0 or not out.stdout.strip():
            return []
        data = json.loads(out.stdout)["data"]
        entries = data[0] if data else []
        result = [(e["summary"]["data"], e["body"]["data"]) for e in entries]
        result.reverse()  # dunst lists the newest first
        return result

    def wait_for_window(self, name, timeout=20.0):
        """The id of the first window whose title matches `name` (a regular expression)."""
        found = []

        def look():
            out = self.run(["xdotool", "search", "--onlyvisible", "--name", name], check=False)
            ids = out.stdout.split()
            if ids:
                found.append(ids[0])
            return bool(ids)

        self._wait(look, f"a window named {name!r}", timeout)
        return found[0]

    def wait_until(self, predicate, what, timeout=20.0):
        self._wait(predicate, what, timeout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--home", help="HOME for the desktop (default: a temporary one)")
    parser.add_argument("--no-tray", action="store_true")
    parser.add_argument("--no-wm", action="store_true")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")
    with Desktop(home=args.home, tray=not args.no_tray, window_manager=not args.no_wm) as desk:
        proc = subprocess.Popen(command, env=desk.env)
        return proc.wait()


if __name__ == "__main__":
    sys.exit(main())
