# SPDX-License-Identifier: GPL-3.0-or-later
"""What every end-to-end test of the program shares: the desktop, the built program started as a
person would start it, its settings file, and a few ways to look at and drive its windows."""
import os
import plistlib
import signal
import subprocess
import time
import unittest

from desktop import Desktop, DesktopError

BINARY = os.environ.get("QUILLMERE_BINARY", "")


class ProgramTestCase(unittest.TestCase):
    """Each test gets a fresh desktop and temporary HOME; `start()` runs the program in it."""

    def setUp(self):
        if not BINARY or not os.access(BINARY, os.X_OK):
            self.fail("QUILLMERE_BINARY must name the built program")
        # A desktop part that fails to come up is started again once: the test is about
        # Quillmere, not about a busy machine.
        for attempt in (1, 2):
            self.desk = Desktop()
            try:
                self.desk.__enter__()
                break
            except DesktopError:
                if attempt == 2:
                    raise
        self.addCleanup(self.desk.close)
        self.program = None
        self.home = self.desk.home

    def path(self, *parts):
        return os.path.join(self.home, *parts)

    @property
    def settings_file(self):
        return self.path(".config", "Quillmere", "Quillmere.plist")

    def settings(self):
        with open(self.settings_file, "rb") as f:
            return plistlib.load(f)

    def write_settings(self, values):
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        with open(self.settings_file, "wb") as f:
            plistlib.dump(values, f, fmt=plistlib.FMT_BINARY)

    def start(self, extra_env=None):
        env = dict(self.desk.env)
        env.update(extra_env or {})
        self.log = open(self.path(".quillmere.log"), "wb")
        self.program = subprocess.Popen([BINARY], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.addCleanup(self.stop)
        return self.desk.wait_for_window("^Quillmere$")

    def stop(self):
        """Quits the program as a person would (its Quit shortcut), else ends it by its id."""
        if self.program is None or self.program.poll() is not None:
            return
        windows = self.desk.run(["xdotool", "search", "--name", "^Quillmere$"], check=False)
        for wid in windows.stdout.split()[:1]:
            self.desk.run(["xdotool", "windowactivate", "--sync", wid], check=False)
            self.desk.run(["xdotool", "key", "--clearmodifiers", "ctrl+q"], check=False)
        try:
            # An open alert takes the key for itself; then the program is ended by its id.
            self.program.wait(timeout=4)
        except subprocess.TimeoutExpired:
            self.program.send_signal(signal.SIGTERM)
            self.program.wait(timeout=10)
        self.log.close()

    def program_log(self):
        with open(self.path(".quillmere.log"), encoding="utf-8", errors="replace") as f:
            return f.read()

    def window_exists(self, name):
        out = self.desk.run(["xdotool", "search", "--onlyvisible", "--name", name], check=False)
        return out.stdout.strip() != ""

    def press(self, window, keys):
        self.desk.run(["xdotool", "windowactivate", "--sync", window], check=False)
        # Real key presses (XTEST) to the focused window: Qt ignores synthetic ones.
        self.desk.run(["xdotool", "key", "--clearmodifiers", keys])

    def screenshot(self, name):
        """Saves a PNG of the whole screen beside the test's log, for a person to look at."""
        out = os.path.join(os.environ.get("QUILLMERE_SCREENSHOTS", self.home), name + ".png")
        self.desk.run(["import", "-window", "root", out], check=False)
        return out

    def wait_until(self, predicate, what, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if predicate():
                return
            time.sleep(0.1)
        self.fail(f"{what} did not happen within {timeout} s\n--- program log ---\n"
                  + self.program_log())
