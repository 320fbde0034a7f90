# SPDX-License-Identifier: GPL-3.0-or-later
"""The command line: a second start hands its request to the running program; without one, and
without a display, --clean does the work itself."""
import os
import subprocess
import unittest

from quillmere_e2e import BINARY, ProgramTestCase

NOTICE = ("Clean Complete", "Finished Cleaning:3 items")


class CommandLineTest(ProgramTestCase):
    def command(self, *args, display=True):
        env = dict(self.desk.env, LC_ALL="en_US.UTF-8", LANG="en_US.UTF-8")
        if not display:
            for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
                env.pop(name, None)
        return subprocess.run([BINARY, *args], env=env, capture_output=True, text=True,
                              timeout=60)

    def test_a_second_start_hands_its_clean_to_the_running_program(self):
        self.write_settings()
        self.start()
        self.wait_until(lambda: "object is there" in self.program_log(), "the start-up")
        self.put_on_desktop("a.txt", "b.txt", "folder/")
        done = self.command("--clean")
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        self.wait_until(lambda: NOTICE in self.desk.notices(), "the notice")
        self.assertEqual(sorted(os.listdir(self.month_folder())), ["a.txt", "b.txt", "folder"])
        # Cleaned once, by the running program: one run, one notice, no failed move.
        self.assertEqual(self.desk.notices(), [NOTICE])
        self.assertNotIn("Could not move", self.program_log())
        # A plain second start shows the running window and leaves.
        self.assertEqual(self.command().returncode, 0)
        self.assertIsNone(self.program.poll())
        self.assertEqual(self.command("--quit").returncode, 0)
        self.assertEqual(self.program.wait(timeout=20), 0)

    def test_without_a_display_only_the_command_line_works(self):
        self.write_settings()
        self.put_on_desktop("a.txt", "b.txt", "folder/")
        done = self.command("--clean", display=False)
        self.assertEqual((done.returncode, done.stderr), (0, ""))
        self.assertEqual(sorted(os.listdir(self.month_folder())), ["a.txt", "b.txt", "folder"])
        self.assertEqual(self.desk.notices(), [NOTICE])

        refused = self.command(display=False)
        self.assertEqual(refused.returncode, 1)
        self.assertEqual(len(refused.stderr.splitlines()), 1, refused.stderr)
        self.assertIn("quillmere --clean", refused.stderr)

        os.rmdir(self.path("Desktop"))
        os.symlink(self.home, self.path("Desktop"))  # the home folder must never be cleaned
        refused = self.command("--clean", display=False)
        self.assertEqual(refused.returncode, 1)
        self.assertEqual(len(refused.stderr.splitlines()), 1, refused.stderr)
        self.assertTrue(os.path.exists(self.path("Documents")))


if __name__ == "__main__":
    unittest.main()
