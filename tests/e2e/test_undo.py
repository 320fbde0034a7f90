# SPDX-License-Identifier: GPL-3.0-or-later
"""The undo of the last clean: through the button of its notice in dunst, and through
quillmere --undo, by the running program or, after it ended, by the command alone."""
import os
import subprocess
import unittest

from quillmere_e2e import BINARY, ProgramTestCase

ITEMS = ["a.txt", "b.txt", "folder"]


class UndoTest(ProgramTestCase):
    def command(self, *args):
        env = dict(self.desk.env, LC_ALL="en_US.UTF-8", LANG="en_US.UTF-8")
        return subprocess.run([BINARY, *args], env=env, capture_output=True, text=True,
                              timeout=60)

    def desktop(self):
        return sorted(os.listdir(self.path("Desktop")))

    def test_undo_from_the_notice_and_the_command_line(self):
        self.write_settings()
        self.start()
        self.wait_until(lambda: "object is there" in self.program_log(), "the start-up")
        self.put_on_desktop("a.txt", "b.txt", "folder/")
        self.assertEqual(self.command("--clean").returncode, 0)
        self.wait_until(lambda: self.desk.run(["dunstctl", "count", "displayed"]).stdout.strip()
                        == "1", "the notice")
        self.assertEqual(self.desktop(), [])
        # The notice's Undo button: dunst offers it in its menu, which picks the first entry.
        self.desk.run(["dunstctl", "action", "0"])
        self.wait_until(lambda: self.desktop() == ITEMS, "the items back on the Desktop")
        self.assertIn(("Undo Complete", "Moved back 3 items."), self.desk.notices())
        # Undone once: the second undo is refused, and nothing moves.
        again = self.command("--undo")
        self.assertEqual(again.returncode, 1)
        self.assertEqual(self.desktop(), ITEMS)

        # A clean, then the program ends; the command alone undoes it from the journal.
        self.assertEqual(self.command("--clean").returncode, 0)
        self.wait_until(lambda: self.desktop() == [], "the second clean")
        self.assertEqual(self.command("--quit").returncode, 0)
        self.assertEqual(self.program.wait(timeout=20), 0)
        with open(self.path("Desktop", "a.txt"), "w") as f:  # a name taken meanwhile
            f.write("new")
        undone = self.command("--undo")
        self.assertEqual(undone.returncode, 2, undone.stderr)
        self.assertEqual(self.desktop(), ITEMS)
        self.assertEqual(os.listdir(self.month_folder()), ["a.txt"])
        with open(self.path("Desktop", "a.txt")) as f:
            self.assertEqual(f.read(), "new")


if __name__ == "__main__":
    unittest.main()
