# SPDX-License-Identifier: GPL-3.0-or-later
"""Excepting an item through the real file chooser of the running program."""
import os
import plistlib
import time
import unittest

from quillmere_e2e import ProgramTestCase


def archived_strings(data):
    """The strings of a keyed archive's objects (enough to see which names it holds)."""
    return [o for o in plistlib.loads(data)["$objects"] if isinstance(o, str) and o != "$null"]


class ExceptionsTest(ProgramTestCase):
    def test_an_item_added_through_the_chooser_is_never_cleaned(self):
        self.write_settings()
        self.put_on_desktop("keep me.txt", "tidy me.txt")
        window = self.start()

        # Exceptions tab, then through the table to the add segment.
        for keys in ("alt+x", "Tab", "Tab", "space"):
            self.press(window, keys)
        chooser = self.desk.wait_for_window("^Choose a file that you want to exclude")
        time.sleep(0.5)
        self.desk.run(["xdotool", "windowactivate", "--sync", chooser], check=False)
        self.desk.run(["xdotool", "type", "--delay", "5", self.path("Desktop", "keep me.txt")])
        self.desk.run(["xdotool", "key", "Return"])

        self.wait_until(lambda: "ExceptionsObjects" in self.settings(), "the exception being stored")
        self.assertEqual(archived_strings(self.settings()["ExceptionsObjects"]), ["keep me.txt"])
        stored = self.path(".local", "share", "Quillmere", "ExceptionsTableViewData")
        self.wait_until(lambda: os.path.exists(stored), "the exceptions file")
        with open(stored, "rb") as f:
            self.assertIn("keep me", archived_strings(f.read()))

        self.press(window, "alt+l")
        self.press(window, "alt+c")
        self.wait_until(lambda: os.path.exists(os.path.join(self.month_folder(), "tidy me.txt")),
                        "the clean")
        self.assertEqual(os.listdir(self.path("Desktop")), ["keep me.txt"])


if __name__ == "__main__":
    unittest.main()
