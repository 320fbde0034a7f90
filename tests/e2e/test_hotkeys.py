# SPDX-License-Identifier: GPL-3.0-or-later
"""The clean shortcut of the running program: real key presses through the X server."""
import os
import plistlib
import subprocess
import sys
import time
import json
import unittest
from plistlib import UID

from quillmere_e2e import BINARY, ProgramTestCase

CONTROL, OPTION = 0x40000, 0x80000
kVK_ANSI_J, kVK_ANSI_K = 38, 40
# python3-dbus and python3-gi are Debian's, for Debian's own interpreter.
DEBIAN_PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable

# Another X client that holds Control-Alt-K on the root window until it is ended.
HOLDER = r"""
import ctypes, sys
xcb = ctypes.CDLL("libxcb.so.1")
xcb.xcb_connect.restype = ctypes.c_void_p
xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
xcb.xcb_grab_key_checked.restype = ctypes.c_uint
xcb.xcb_grab_key_checked.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32,
                                     ctypes.c_uint16, ctypes.c_uint8, ctypes.c_uint8,
                                     ctypes.c_uint8]
xcb.xcb_request_check.restype = ctypes.c_void_p
xcb.xcb_request_check.argtypes = [ctypes.c_void_p, ctypes.c_uint]
connection = xcb.xcb_connect(None, None)
cookie = xcb.xcb_grab_key_checked(connection, 0, int(sys.argv[1], 0), 4 | 8, 45, 1, 1)
print("held" if not xcb.xcb_request_check(connection, cookie) else "refused", flush=True)
sys.stdin.read()
"""


def shortcut_data(key_code, flags):
    """A stored shortcut: the keyed archive the program writes."""
    return plistlib.dumps({"$version": 100000, "$archiver": "NSKeyedArchiver",
                           "$top": {"root": UID(1)},
                           "$objects": ["$null", {"$class": UID(2), "KeyCode": key_code,
                                                  "ModifierFlags": flags},
                                        {"$classname": "Shortcut",
                                         "$classes": ["Shortcut", "NSObject"]}]},
                          fmt=plistlib.FMT_BINARY)


class HotKeyTest(ProgramTestCase):
    def start_with_clean_shortcut(self):
        self.write_settings(CleanShortcutEnabled=True,
                            CleanShortcut=shortcut_data(kVK_ANSI_K, CONTROL | OPTION))
        window = self.start()
        self.wait_until(lambda: "object is there" in self.program_log(), "the start-up")
        return window

    def key(self, keys):
        """A real key press, to whichever window has the focus."""
        self.desk.run(["xdotool", "key", keys])

    def cleaned(self, name):
        return os.path.exists(os.path.join(self.month_folder(), name))

    def test_the_stored_shortcut_cleans_also_with_num_lock_on(self):
        self.put_on_desktop("first.txt")
        self.start_with_clean_shortcut()
        self.key("ctrl+alt+k")
        self.wait_until(lambda: self.cleaned("first.txt"), "the shortcut's clean")
        self.wait_until(lambda: ("Clean Complete", "Finished Cleaning:1 items")
                        in self.desk.notices(), "the notice")

        self.key("Num_Lock")
        self.put_on_desktop("second.txt")
        self.key("ctrl+alt+k")
        self.wait_until(lambda: self.cleaned("second.txt"), "the clean with Num Lock on")
        self.key("Num_Lock")

    def test_holding_the_shortcut_down_cleans_once(self):
        self.put_on_desktop("held.txt")
        self.start_with_clean_shortcut()
        self.desk.run(["xset", "r", "on", "r", "rate", "200", "30"])
        self.desk.run(["xdotool", "keydown", "ctrl+alt+k"])
        time.sleep(1.5)  # long enough for the server to repeat the key many times
        self.desk.run(["xdotool", "keyup", "k", "keyup", "alt", "keyup", "ctrl"])
        self.wait_until(lambda: ("Clean Complete", "Finished Cleaning:1 items")
                        in self.desk.notices(), "the notice")
        # A second press after the release is a new press, and must still clean.
        self.put_on_desktop("again.txt")
        self.key("ctrl+alt+k")

        def titles():
            return [summary for summary, _ in self.desk.notices()]
        self.wait_until(lambda: titles().count("Clean Complete") == 2, "the next press's clean")
        self.assertNotIn("The Desktop is already clean.", titles())

    def test_a_new_recording_moves_the_hot_key(self):
        window = self.start_with_clean_shortcut()
        self.put_on_desktop("kept.txt")
        # The settings tab, the recorder (its label's mnemonic), the current combination (which
        # the recorder gets, not the hot key), then the new one.
        for keys in ("alt+s", "alt+o", "space", "ctrl+alt+k", "space", "ctrl+alt+j"):
            self.press(window, keys)
        self.wait_until(lambda: plistlib.loads(self.settings()["CleanShortcut"])["$objects"][1]
                        .get("KeyCode") == kVK_ANSI_J, "the new shortcut being stored")
        self.assertTrue(os.path.exists(self.path("Desktop", "kept.txt")))

        # The old combination no longer cleans: had it, the new one would find the Desktop
        # already clean, and say so, before the second clean.
        self.put_on_desktop("one.txt")
        self.key("ctrl+alt+k")
        self.key("ctrl+alt+j")
        self.wait_until(lambda: self.cleaned("one.txt"), "the new shortcut's clean")
        self.put_on_desktop("two.txt")
        self.key("ctrl+alt+j")
        self.wait_until(lambda: self.cleaned("two.txt"), "the second clean")
        titles = [summary for summary, _ in self.desk.notices()]
        self.assertNotIn("The Desktop is already clean.", titles)

    def test_a_combination_another_program_holds_is_refused_without_a_crash(self):
        root = self.desk.run(["xwininfo", "-root"]).stdout.split("Window id: ")[1].split()[0]
        holder = subprocess.Popen([sys.executable, "-c", HOLDER, root], env=self.desk.env,
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.addCleanup(holder.wait)
        self.addCleanup(holder.stdin.close)
        self.assertEqual(holder.stdout.readline().strip(), "held")

        self.put_on_desktop("stays.txt")
        window = self.start_with_clean_shortcut()
        self.wait_until(lambda: "⌃⌥K stored under CleanShortcut is not a global hot key"
                        in self.program_log(), "the refused registration")
        # The holder gets the combination; the program goes on, and its button still cleans.
        self.key("ctrl+alt+k")
        self.press(window, "alt+c")
        self.wait_until(lambda: self.cleaned("stays.txt"), "the button's clean")
        self.assertIsNone(self.program.poll())

class PortalHotKeyTest(ProgramTestCase):
    """Without an X server to grab on, the desktop portal's global shortcuts carry the key."""

    def test_the_portal_binds_the_shortcut_and_its_activation_cleans(self):
        self.check_portal(QT_QPA_PLATFORM="offscreen")

    def test_an_x11_program_in_a_wayland_session_prefers_the_portal(self):
        self.check_portal(QT_QPA_PLATFORM="xcb", WAYLAND_DISPLAY="wayland-quillmere-test")

    def check_portal(self, **session):
        binds = self.path("binds.jsonl")
        portal = subprocess.Popen([DEBIAN_PYTHON, os.path.join(os.path.dirname(__file__),
                                                                "portal_standin.py"), binds],
                                  env=self.desk.env, stdout=subprocess.PIPE, text=True)
        self.addCleanup(portal.wait)
        self.addCleanup(portal.terminate)
        self.assertEqual(portal.stdout.readline().strip(), "ready")

        self.put_on_desktop("via portal.txt")
        self.write_settings(CleanShortcutEnabled=True,
                            CleanShortcut=shortcut_data(kVK_ANSI_K, CONTROL | OPTION))
        env = dict(self.desk.env, LC_ALL="en_US.UTF-8", **session)
        self.log = open(self.path(".quillmere.log"), "wb")
        self.program = subprocess.Popen([BINARY], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.addCleanup(self.program.wait)
        self.addCleanup(self.program.terminate)

        def bound():
            return os.path.exists(binds) and open(binds).read().strip()
        self.wait_until(bound, "the bind request")
        with open(binds) as f:
            request = json.loads(f.read().splitlines()[-1])
        self.assertEqual([o["preferred_trigger"] for _, o in request["shortcuts"]],
                         ["CTRL+ALT+k"])
        self.desk.run(["dbus-send", "--session", "--dest=org.freedesktop.portal.Desktop",
                       "--type=method_call", "/org/freedesktop/portal/desktop",
                       "org.quillmere.Test.Press", "string:CTRL+ALT+k"])
        self.wait_until(lambda: os.path.exists(os.path.join(self.month_folder(), "via portal.txt")),
                        "the portal's clean")
        self.wait_until(lambda: ("Clean Complete", "Finished Cleaning:1 items")
                        in self.desk.notices(), "the notice")


if __name__ == "__main__":
    unittest.main()
