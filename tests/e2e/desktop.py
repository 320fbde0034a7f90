#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A throw-away Linux desktop for end-to-end tests.

Starts a real X server (Xvfb on a free display), a private D-Bus session bus, the notification
daemon dunst, the window manager openbox and the tray tint2, each as a child process, and ends
every one of them by its process id. Used as a module (``with Desktop() as d: ...``) or as a
launcher around a command:

    python3 tests/e2e/desktop.py [--home DIR] [--no-tray] [--no-wm] [--tray-at-top] -- COMMAND ARGS...

which runs COMMAND with DISPLAY and DBUS_SESSION_BUS_ADDRESS set and returns its exit code.
"""
import argparse
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# A session bus that activates no services: only the parts started here own names, so a call that
# comes before dunst is up cannot start a second dunst behind our back.
BUS_CONFIG = ('<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"'
              ' "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">\n'
              "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
              '<policy context="default"><allow send_destination="*" eavesdrop="true"/>'
              '<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>\n')
# Long timeouts so that a test reads notices before they expire by themselves.
# A notice's menu of actions picks its first entry, as a user would pick "Undo".
DUNSTRC = ("[global]\n    history_length = 100\n    dmenu = /usr/bin/head -n 1\n"
           "[urgency_low]\n    timeout = 600\n"
           "[urgency_normal]\n    timeout = 600\n[urgency_critical]\n    timeout = 0\n")
AT_SPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
XDG_FOLDERS = {"XDG_CONFIG_HOME": ".config", "XDG_DATA_HOME": ".local/share",
               "XDG_CACHE_HOME": ".cache", "XDG_RUNTIME_DIR": ".runtime"}


class DesktopError(RuntimeError):
    pass


class Desktop:
    def __init__(self, home=None, window_manager=True, tray=True, notifications=True,
                 tray_at_top=False, accessibility=False):
        self.tray_at_top = tray_at_top  # tint2's panel along the top edge, as a menu bar
        self.accessibility = accessibility  # the AT-SPI bus that screen readers listen on
        self._own_home = home is None
        self.home = home or tempfile.mkdtemp(prefix="quillmere-e2e-")
        self.window_manager, self.tray, self.notifications = window_manager, tray, notifications
        self.processes = []  # (name, Popen, log), in start order
        self.env = {key: value for key, value in os.environ.items()
                    if key not in ("XDG_CURRENT_DESKTOP", "WAYLAND_DISPLAY", "SESSION_MANAGER")}
        self.env.update(HOME=self.home, QT_QPA_PLATFORM="xcb")
        for key, sub in XDG_FOLDERS.items():
            self.env[key] = os.path.join(self.home, sub)
        for folder in ["Desktop", "Documents", *XDG_FOLDERS.values()]:
            os.makedirs(os.path.join(self.home, folder), exist_ok=True)
        os.chmod(self.env["XDG_RUNTIME_DIR"], 0o700)

    # -- start and stop --------------------------------------------------------------------
    def __enter__(self):
        try:
            self.env["DISPLAY"] = ":" + self._spawn_reporting(
                "Xvfb", ["Xvfb", "-displayfd", "{fd}", "-screen", "0", "1280x800x24",
                         "-nolisten", "tcp", "-noreset"])
            config = self._write(".session-bus.conf", BUS_CONFIG)
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self._spawn_reporting(
                "dbus-daemon", ["dbus-daemon", f"--config-file={config}", "--nofork",
                                "--nopidfile", "--print-address={fd}"])
            if self.accessibility:
                # Its own bus for accessibility, announced on the session bus as org.a11y.Bus;
                # Qt programs talk to it when QT_LINUX_ACCESSIBILITY_ALWAYS_ON is set.
                self._spawn("at-spi-bus-launcher", [AT_SPI_BUS_LAUNCHER, "--launch-immediately"])
                self.wait_until(lambda: self._name_owned("org.a11y.Bus"), "the AT-SPI bus")
                self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
            if self.window_manager:
                self._spawn("openbox", ["openbox", "--sm-disable"])
                self.wait_until(self._window_manager_up, "openbox")
            if self.notifications:
                dunstrc = self._write(".config/dunst/dunstrc", DUNSTRC)
                self._spawn("dunst", ["dunst", "-config", dunstrc])
                self.wait_until(self._notifications_up, "dunst")
            if self.tray:
                tint2 = ["tint2"]
                if self.tray_at_top:
                    with open("/etc/xdg/tint2/tint2rc") as f:
                        rc = f.read().replace("panel_position = bottom", "panel_position = top")
                    tint2 += ["-c", self._write(".config/tint2/tint2rc", rc)]
                self._spawn("tint2", tint2)
                self.wait_until(lambda: self._search("--classname", "tint2"), "tint2 tray")
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        for _, proc, log in reversed(self.processes):
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
            log.close()
        self.processes.clear()
        if self._own_home:
            shutil.rmtree(self.home, ignore_errors=True)

    def _write(self, name, text):
        path = os.path.join(self.home, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
        return path

    def _spawn(self, name, argv, **kwargs):
        if shutil.which(argv[0]) is None:
            raise DesktopError(f"{argv[0]} is not installed (scripts/install-deps test installs it)")
        log = open(os.path.join(self.home, f".{name}.log"), "wb")
        proc = subprocess.Popen(argv, env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, **kwargs)
        self.processes.append((name, proc, log))
        return proc

    def _spawn_reporting(self, name, argv, timeout=20.0):
        """Starts a part that writes one line (its display, its address) to the pipe named {fd}."""
        r, w = os.pipe()
        proc = self._spawn(name, [arg.replace("{fd}", str(w)) for arg in argv], pass_fds=(w,))
        os.close(w)
        data, deadline = b"", time.monotonic() + timeout
        while not data.endswith(b"\n") and time.monotonic() < deadline:
            if select.select([r], [], [], 0.05)[0]:
                chunk = os.read(r, 4096)
                if not chunk:
                    break
                data += chunk
            elif proc.poll() is not None:
                break
        os.close(r)
        if not data.strip():
            raise DesktopError(f"{name} did not report itself")
        return data.decode().strip()

    def _window_manager_up(self):
        out = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
        return out.returncode == 0 and "window id" in out.stdout

    def _notifications_up(self):
        out = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                        "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                        "string:org.freedesktop.Notifications"], check=False)
        return out.returncode == 0 and "boolean true" in out.stdout

    def _name_owned(self, name):
        out = self.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                        "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                        f"string:{name}"], check=False)
        return out.returncode == 0 and "boolean true" in out.stdout

    def _search(self, *criteria):
        """The ids of the windows xdotool finds."""
        return self.run(["xdotool", "search", *criteria], check=False).stdout.split()

    # -- helpers for tests -----------------------------------------------------------------
    def run(self, argv, check=True, **kwargs):
        return subprocess.run(argv, env=self.env, check=check, capture_output=True, text=True,
                              **kwargs)

    def wait_until(self, predicate, what, timeout=20.0):
        """Polls `predicate`; a part of the desktop that ends meanwhile fails at once."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for name, proc, _ in self.processes:
                if proc.poll() is not None:
                    with open(os.path.join(self.home, f".{name}.log"), errors="replace") as f:
                        tail = f.read()[-2000:]
                    raise DesktopError(f"{name} ended early with {proc.returncode}:\n{tail}")
            if predicate():
                return
            time.sleep(0.05)
        raise DesktopError(f"{what} did not happen within {timeout} s")

    def window(self, name):
        """The id of the first visible window whose title matches `name` (a regular expression),
        or None."""
        ids = self._search("--onlyvisible", "--name", name)
        return ids[0] if ids else None

    def wait_for_window(self, name, timeout=20.0):
        self.wait_until(lambda: self.window(name), f"a window named {name!r}", timeout)
        return self.window(name)

    def notices(self):
        """Every notice dunst received, oldest first, as (summary, body) pairs."""
        self.run(["dunstctl", "close-all"], check=False)
        time.sleep(0.2)
        out = self.run(["dunstctl", "history"], check=False)
        data = json.loads(out.stdout)["data"] if out.returncode == 0 and out.stdout.strip() else []
        return [(e["summary"]["data"], e["body"]["data"]) for e in reversed(data[0] if data else [])]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--home", help="HOME for the desktop (default: a temporary one)")
    parser.add_argument("--no-tray", action="store_true")
    parser.add_argument("--no-wm", action="store_true")
    parser.add_argument("--tray-at-top", action="store_true")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        parser.error("no command given")
    with Desktop(home=args.home, tray=not args.no_tray, window_manager=not args.no_wm,
                 tray_at_top=args.tray_at_top) as desk:
        return subprocess.Popen(command, env=desk.env).wait()


if __name__ == "__main__":
    sys.exit(main())
