# SPDX-License-Identifier: GPL-3.0-or-later
"""The built program's first and second start under a real X server."""
import unittest

from quillmere_e2e import ProgramTestCase


class StartupTest(ProgramTestCase):
    def test_first_start_greets_once_and_records_its_settings(self):
        self.start()
        alert = self.desk.wait_for_window("^How to use Quillmere$")
        self.assertTrue(self.desk.window("^Quillmere$"))
        settings = self.settings()
        self.assertEqual(settings["CleanPath"], self.path("Documents"))
        self.assertEqual(len(settings["prevStartupVersions"]), 1)

        self.press(alert, "Return")  # "Great Thanks"
        self.wait_until(lambda: not self.desk.window("^How to use Quillmere$"), "the alert closing")
        self.stop()
        self.assertEqual(self.program.returncode, 0, self.program_log())
        self.assertIn("Starting up for first time with NO pre-existing installs",
                      self.program_log())

        # A second start of the same version shows no alert and changes no version list.
        self.start()
        self.wait_until(lambda: "object is there" in self.program_log(), "the second start-up")
        self.assertFalse(self.desk.window("^How to use Quillmere$"))
        self.assertEqual(self.settings()["prevStartupVersions"], settings["prevStartupVersions"])
        self.assertNotIn("Starting up for first time", self.program_log())


if __name__ == "__main__":
    unittest.main()
