# SPDX-License-Identifier: GPL-3.0-or-later
"""Quillmere started in a German session speaks German: its window, its greeting and its notices."""
import unittest

from quillmere_e2e import ProgramTestCase


class GermanTest(ProgramTestCase):
    desktop_options = {"accessibility": True}
    program_env = {"LANGUAGE": "de", "LC_ALL": "de_DE.UTF-8", "LANG": "de_DE.UTF-8"}

    def test_window_greeting_and_notice_are_german(self):
        window = self.start()
        greeting = self.desk.wait_for_window("^So benutzen Sie Quillmere$")
        heard = {(node["role"], node["name"]) for node in self.accessible_nodes()}
        for control in [("page tab", "Aufräumen"), ("page tab", "Einstellungen"),
                        ("push button", "Schreibtisch aufräumen"), ("push button", "Vielen Dank"),
                        ("label", "Aufräumen ist nicht nötig."), ("menu item", "Fenster")]:
            self.assertIn(control, heard)
        self.press(greeting, "Return")
        self.wait_until(lambda: not self.desk.window("^So benutzen"), "the greeting closing")

        self.put_on_desktop("a.txt", "b.txt")
        self.press(window, "alt+s")  # "&Schreibtisch aufräumen"
        notice = ("Aufräumen abgeschlossen", "Aufräumen beendet: 2 Objekte")
        self.wait_until(lambda: notice in self.desk.notices(), "the German notice")


if __name__ == "__main__":
    unittest.main()
