# SPDX-License-Identifier: GPL-3.0-or-later
"""The Clean button of the running program, and the notice it posts to the real dunst."""
import os
import unittest

from quillmere_e2e import ProgramTestCase


class CleanTest(ProgramTestCase):
    def test_clean_button_moves_every_item_and_posts_one_notice(self):
        names = ["report.pdf", "photo 1.jpg", "-dash", ".hidden", "notes.txt", "folder/", "Ünïcode"]
        self.put_on_desktop(*names)
        os.makedirs(self.path("Desktop", "Quillmere"))  # never counted, never moved
        self.write_settings()
        self.press(self.start(), "alt+c")

        month = self.month_folder()
        self.wait_until(lambda: os.path.isdir(month) and len(os.listdir(month)) == 7,
                        "the seven items arriving in the month folder")
        self.assertEqual(sorted(os.listdir(month)), sorted(name.rstrip("/") for name in names))
        self.assertEqual(os.listdir(self.path("Desktop")), ["Quillmere"])
        with open(os.path.join(month, "notes.txt")) as f:
            self.assertEqual(f.read(), "notes.txt")
        notice = ("Clean Complete", "Finished Cleaning:7 items")
        self.wait_until(lambda: notice in self.desk.notices(), "the notice")
        self.assertEqual(self.desk.notices().count(notice), 1)

    def test_a_file_dropped_on_the_desktop_is_cleaned_automatically(self):
        self.write_settings(AutoClean=True, AutoCleanThreshold="0")
        self.start()
        self.wait_until(lambda: "object is there" in self.program_log(), "the start-up")
        self.put_on_desktop("dropped.txt")
        self.wait_until(lambda: os.path.exists(os.path.join(self.month_folder(), "dropped.txt")),
                        "the dropped file arriving in the month folder")
        self.assertEqual(os.listdir(self.path("Desktop")), [])
        notice = ("Clean Complete", "Finished Cleaning:1 items")
        self.wait_until(lambda: notice in self.desk.notices(), "the notice")


if __name__ == "__main__":
    unittest.main()
