# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader hears over AT-SPI from every control of the window, tab by tab, and of
the window hanging under the tray icon: a name that says something, the level as a value, and a
label's changing text as it changes."""
import re
import unittest

from quillmere_e2e import ProgramTestCase

CONTROLS = {"push button", "check box", "radio button", "page tab", "page tab list", "text",
            "table", "table column header", "progress bar", "label", "menu item", "combo box"}
TABS = ["alt+x", "alt+s", "alt+b"]  # Exceptions, Settings, About; the Clean tab comes first


class ScreenReaderTest(ProgramTestCase):
    desktop_options = {"accessibility": True, "tray_at_top": True}

    def heard(self):
        return [node for node in self.accessible_nodes() if node["showing"]]

    def assert_every_control_says_something(self, window, where):
        """Each tab in turn: no control a reader reaches is silent or only a number or sign."""
        for key in [None, *TABS]:
            if key:
                self.press(window, key)
            silent = [(node["role"], node["name"]) for node in self.heard()
                      if node["role"] in CONTROLS and not re.search(r"[^\W\d_]{2}", node["name"])]
            self.assertEqual(silent, [], f"{where}, after {key or 'the start'}")
        self.press(window, "alt+l")  # back to the Clean tab

    def node(self, role, name):
        matches = [n for n in self.heard() if n["role"] == role and n["name"] == name]
        return matches[0] if matches else None

    def test_every_control_in_the_window_and_under_the_tray_icon(self):
        self.write_settings()
        window = self.start()
        level = self.node("progress bar", "Desktop clutter level")
        self.assertEqual((level["value"], level["description"]), (1, "Level 1 of 3"))
        self.assertTrue(self.node("label", "Cleaning is optional."))
        # The shortcut's button says what it shows; what it is for is its description.
        self.press(window, "alt+s")
        self.assertEqual(self.node("push button", "Record Shortcut")["description"],
                         "Clean shortcut")
        self.press(window, "alt+l")

        # The level sentence and the level follow the Desktop, and are heard as they change.
        self.put_on_desktop(*[f"{i}.txt" for i in range(25)])
        self.wait_until(lambda: self.node("label", "Cleaning is recommended."),
                        "the new level sentence heard")
        self.assertEqual(self.node("progress bar", "Desktop clutter level")["value"], 2)

        self.press(window, "alt+c")  # a clean shows the Undo button, named by its text
        self.wait_until(lambda: any(n["role"] == "push button" and
                                    n["name"].startswith("Undo the clean of") for n in self.heard()),
                        "the Undo button heard")
        self.assert_every_control_says_something(window, "the window")

        # Under the tray icon: the window's buttons are gone, the Quit button is there.
        self.stop()
        self.write_settings(AppShouldRunInMenuBar=True)
        window = self.start()
        self.wait_until(lambda: self.node("push button", "Quit"), "the Quit button heard")
        self.assertIsNone(self.node("push button", "Close"))
        self.assert_every_control_says_something(window, "under the tray icon")


if __name__ == "__main__":
    unittest.main()
