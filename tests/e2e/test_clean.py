# SPDX-License-Identifier: GPL-3.0-or-later
"""The Clean button of the running program, and the notice it posts to the real dunst."""
import datetime
import os
import unittest

from quillmere_e2e import ProgramTestCase

MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
          "September", "October", "November", "December"]


def version():
    with open(os.path.join(os.path.dirname(__file__), "..", "..", "CMakeLists.txt")) as f:
        for line in f:
            if line.startswith("project(Quillmere VERSION "):
                return line.split()[2]
    raise AssertionError("no version in CMakeLists.txt")


def month_folder_name():
    today = datetime.date.today()
    return f"{MONTHS[today.month - 1]} {today.year}"


class CleanTest(ProgramTestCase):
    def setUp(self):
        super().setUp()
        # A start that is not the first, so no greeting alert stands in the way.
        self.write_settings({"CleanPath": self.path("Documents"),
                             "prevStartupVersions": [version()]})

    def test_clean_button_moves_every_item_and_posts_one_notice(self):
        names = ["report.pdf", "photo 1.jpg", "-dash", ".hidden", "notes.txt", "folder", "Ünïcode"]
        for name in names:
            if name == "folder":
                os.makedirs(self.path("Desktop", name, "inner"))
            else:
                with open(self.path("Desktop", name), "w") as f:
                    f.write(name)
        os.makedirs(self.path("Desktop", "Quillmere"))  # never counted, never moved
        window = self.start({"LC_ALL": "en_US.UTF-8", "LANG": "en_US.UTF-8"})
        self.press(window, "alt+c")

        month = self.path("Documents", "Quillmere", month_folder_name())
        self.wait_until(lambda: os.path.isdir(month) and len(os.listdir(month)) == 7,
                        "the seven items arriving in the month folder")
        self.assertEqual(sorted(os.listdir(month)), sorted(names))
        self.assertEqual(os.listdir(self.path("Desktop")), ["Quillmere"])
        with open(os.path.join(month, "notes.txt")) as f:
            self.assertEqual(f.read(), "notes.txt")
        self.wait_until(lambda: ("Clean Complete", "Finished Cleaning:7 items") in self.desk.notices(),
                        "the notice")
        self.assertEqual(self.desk.notices().count(("Clean Complete", "Finished Cleaning:7 items")), 1)

    def test_a_file_dropped_on_the_desktop_is_cleaned_automatically(self):
        self.write_settings({"CleanPath": self.path("Documents"),
                             "prevStartupVersions": [version()],
                             "AutoClean": True, "AutoCleanThreshold": "0"})
        self.start({"LC_ALL": "en_US.UTF-8", "LANG": "en_US.UTF-8"})
        self.wait_until(lambda: "object is there" in self.program_log(), "the start-up")
        with open(self.path("Desktop", "dropped.txt"), "w") as f:
            f.write("dropped")
        month = self.path("Documents", "Quillmere", month_folder_name())
        self.wait_until(lambda: os.path.exists(os.path.join(month, "dropped.txt")),
                        "the dropped file arriving in the month folder")
        self.assertEqual(os.listdir(self.path("Desktop")), [])
        self.wait_until(lambda: ("Clean Complete", "Finished Cleaning:1 items") in self.desk.notices(),
                        "the notice")

    def test_an_empty_desktop_is_reported(self):
        os.makedirs(self.path("Desktop", "Quillmere"))
        window = self.start()
        self.press(window, "alt+c")
        alert = self.desk.wait_for_window("^The Desktop is already clean.$")
        self.press(alert, "Return")
        self.wait_until(lambda: not self.window_exists("^The Desktop is already clean.$"),
                        "the alert closing")
        self.assertIn("Desktop has no files", self.program_log())


if __name__ == "__main__":
    unittest.main()
