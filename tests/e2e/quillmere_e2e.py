# SPDX-License-Identifier: GPL-3.0-or-later
"""What every end-to-end test of the program shares: the desktop, the built program started as a
person would start it, its settings file, and a few ways to look at and drive its windows."""
import datetime
import json
import os
import plistlib
import signal
import subprocess
import sys
import unittest

from desktop import Desktop, DesktopError

BINARY = os.environ.get("QUILLMERE_BINARY", "")
ROOT = os.path.join(os.path.dirname(__file__), "..", "..")
# pyatspi comes with Debian's python3 (python3-pyatspi), which may not be the one running the tests.
DEBIAN_PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable


def version():
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        for line in f:
            if line.startswith("project(Quillmere VERSION "):
                return line.split()[2]
    raise AssertionError("no version in CMakeLists.txt")


class ProgramTestCase(unittest.TestCase):
    """Each test gets a fresh desktop and temporary HOME; `start()` runs the program in it."""

    desktop_options = {}  # for Desktop(), e.g. the tray along the top edge
    program_env = {}  # more environment for the program, e.g. another language

    def setUp(self):
        if not BINARY or not os.access(BINARY, os.X_OK):
            self.fail("QUILLMERE_BINARY must name the built program")
        # A desktop part that fails to come up is started again once: the test is about
        # Quillmere, not about a busy machine.
        for attempt in (1, 2):
            try:
                self.desk = Desktop(**self.desktop_options).__enter__()
                break
            except DesktopError:
                if attempt == 2:
                    raise
        self.addCleanup(self.desk.close)
        self.program = None
        self.home = self.desk.home
        self.settings_file = self.path(".config", "Quillmere", "Quillmere.plist")

    def path(self, *parts):
        return os.path.join(self.home, *parts)

    def month_folder(self):
        """Where a clean today puts the items (the program runs in English)."""
        return self.path("Documents", "Quillmere", datetime.date.today().strftime("%B %Y"))

    def put_on_desktop(self, *names):
        """Files holding their own name; a name ending in "/" makes a folder with one inside."""
        for name in names:
            if name.endswith("/"):
                os.makedirs(self.path("Desktop", name, "inner"))
            else:
                with open(self.path("Desktop", name), "w") as f:
                    f.write(name)

    def settings(self):
        with open(self.settings_file, "rb") as f:
            return plistlib.load(f)

    def write_settings(self, **values):
        """Settings of a start that is not the first (so no greeting stands in the way)."""
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        with open(self.settings_file, "wb") as f:
            plistlib.dump({"CleanPath": self.path("Documents"),
                           "prevStartupVersions": [version()], **values}, f,
                          fmt=plistlib.FMT_BINARY)

    def start(self):
        env = dict(self.desk.env, LC_ALL="en_US.UTF-8", LANG="en_US.UTF-8")
        env.update(self.program_env)
        self.log = open(self.path(".quillmere.log"), "wb")
        self.program = subprocess.Popen([BINARY], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.addCleanup(self.stop)
        return self.desk.wait_for_window("^Quillmere$")

    def stop(self):
        """Quits the program as a person would (its Quit shortcut), else ends it by its id."""
        if self.program is None or self.program.poll() is not None:
            return
        window = self.desk.window("^Quillmere$")
        if window:
            self.press(window, "ctrl+q", check=False)
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

    def press(self, window, keys, check=True):
        self.desk.run(["xdotool", "windowactivate", "--sync", window], check=False)
        # Real key presses (XTEST) to the focused window: Qt ignores synthetic ones.
        self.desk.run(["xdotool", "key", "--clearmodifiers", keys], check=check)

    def wait_until(self, predicate, what, timeout=20.0):
        try:
            self.desk.wait_until(predicate, what, timeout)
        except DesktopError as error:
            self.fail(f"{error}\n--- program log ---\n{self.program_log()}")

    def accessible_nodes(self):
        """Every node of the program's windows as a screen reader hears it over AT-SPI
        (atspi_reader.py; the desktop needs accessibility=True), parents before children."""
        out = self.desk.run([DEBIAN_PYTHON, os.path.join(os.path.dirname(__file__),
                                                         "atspi_reader.py"), "Quillmere"],
                            timeout=120)
        nodes, stack = [], json.loads(out.stdout)["windows"][::-1]
        while stack:
            node = stack.pop()
            nodes.append(node)
            stack.extend(node["children"][::-1])
        return nodes
