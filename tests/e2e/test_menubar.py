# SPDX-License-Identifier: GPL-3.0-or-later
"""Menu-bar mode under a real X server whose tray (tint2's XEmbed systray) runs along the top
edge, and again along the bottom edge (tint2's default) where the window stands on its icon:
the switch through the control, the window hanging under its tray icon, the clicks that show
and hide it, the way back to a window, and the mode kept across a restart. A screenshot of each
state goes to e2e-artifacts/ in the build folder."""
import os
import re
import time
import unittest

from quillmere_e2e import ProgramTestCase

ARTIFACTS = os.environ.get("QUILLMERE_ARTIFACTS", os.path.join(os.getcwd(), "e2e-artifacts"))


class MenuBarTest(ProgramTestCase):
    desktop_options = {"tray_at_top": True}
    icon_below = False  # the window stands on its icon, its arrow along its bottom edge

    def shot(self, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        self.desk.run(["import", "-window", "root", os.path.join(ARTIFACTS, f"menubar-{name}.png")])

    def geometry(self, window):
        out = self.desk.run(["xwininfo", "-id", window]).stdout
        return tuple(int(re.search(rf"{key}:\s+(-?\d+)", out).group(1)) for key in
                     ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def tray_icon(self):
        """The geometry of a small window embedded near the top or bottom edge: the program's
        tray icon (tint2 embeds nothing else here)."""
        tree = self.desk.run(["xwininfo", "-root", "-tree"]).stdout
        for w, h, x, y in re.findall(r"\"Quillmere\".*?(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(\d+)\+(\d+)",
                                     tree):
            if 8 <= int(h) <= 32 and (int(y) < 32 or int(y) + int(h) > 800 - 32):
                return int(x), int(y), int(w), int(h)
        return None

    def skips_task_bar(self, window):
        state = self.desk.run(["xprop", "-id", window, "_NET_WM_STATE"]).stdout
        return "_NET_WM_STATE_SKIP_TASKBAR" in state

    def click(self, x, y):
        self.desk.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"])
        time.sleep(0.6)  # past the double-click time

    def hangs_under(self, icon):
        window = self.desk.window("^Quillmere$")
        if not window:
            return False
        x, y, w, h = self.geometry(window)
        ix, iy, iw, ih = icon
        if self.icon_below:  # the arrow's tip, the window's bottom centre, on the icon's top
            return abs((x + w / 2) - (ix + iw / 2)) <= 2 and abs(y + h - iy) <= 2
        return abs((x + w / 2) - (ix + iw / 2)) <= 1 and y == iy + ih

    def buttons_gone(self):
        """Whether the title bar is plain grey where the close button sits once the attach's
        fade has hidden the three window buttons."""
        x, y, _, _ = self.geometry(self.desk.window("^Quillmere$"))
        y += 11 if self.icon_below else 21  # the button's middle, under the arrow strip if any
        out = self.desk.run(["import", "-window", "root", "-crop", f"1x1+{x + 14}+{y}",
                             "txt:-"]).stdout
        r, g, b = map(int, re.search(r"\((\d+),(\d+),(\d+)", out).groups())
        return r == g == b

    def test_menu_bar_mode_from_the_control_to_a_restart_and_back(self):
        self.write_settings()
        window = self.start()
        self.assertFalse(self.skips_task_bar(window))
        self.shot("1-window")
        self.press(window, "alt+s")  # the Settings tab
        self.press(window, "alt+e")  # "Menu bar"
        alert = self.desk.wait_for_window("^Menu bar$")
        self.shot("2-alert")
        self.assertIsNone(self.tray_icon())  # the alert comes first
        self.press(alert, "Return")

        self.wait_until(self.tray_icon, "the tray icon")
        icon = self.tray_icon()
        self.wait_until(lambda: self.hangs_under(icon), "the window under its icon")
        self.assertTrue(self.skips_task_bar(self.desk.window("^Quillmere$")))
        self.assertIs(self.settings()["AppShouldRunInMenuBar"], True)
        self.wait_until(self.buttons_gone, "the window buttons fading out")
        self.shot("3-menu-bar")

        centre = (icon[0] + icon[2] // 2, icon[1] + icon[3] // 2)
        self.click(*centre)
        self.wait_until(lambda: not self.visible(), "the icon's click hiding the window")
        self.click(*centre)
        self.wait_until(lambda: self.visible() and self.hangs_under(icon), "the window again")
        self.assertTrue(self.buttons_gone())
        self.shot("4-shown-again")
        self.click(*centre)
        self.wait_until(lambda: not self.visible(), "the second click hiding it")

        # A click in another window closes it like a menu.
        self.click(*centre)
        self.wait_until(self.visible, "the window once more")
        self.desk._spawn("xmessage", ["xmessage", "-geometry", "+100+500", "elsewhere"])
        other = self.desk.wait_for_window("^xmessage$")
        self.desk.run(["xdotool", "windowactivate", "--sync", other], check=False)
        self.click(*map(int, self.geometry(other)[:2]))
        self.wait_until(lambda: not self.visible(), "a click elsewhere hiding it")
        self.shot("5-hidden")

        # The mode holds across a restart.
        self.stop()
        window = self.start()
        self.wait_until(self.tray_icon, "the tray icon after a restart")
        self.wait_until(lambda: self.hangs_under(self.tray_icon()), "the window under it")

        # Back to a window: no icon, a task-bar entry again.
        self.press(window, "alt+s")
        self.press(window, "alt+n")  # "Window"
        self.wait_until(lambda: self.tray_icon() is None, "the tray icon going")
        window = self.desk.wait_for_window("^Quillmere$")
        self.wait_until(lambda: not self.skips_task_bar(window), "the task-bar entry")
        self.assertIs(self.settings()["AppShouldRunInMenuBar"], False)
        self.shot("6-window-again")

    def visible(self):
        return self.desk.window("^Quillmere$")


class BottomPanelTest(MenuBarTest):
    """The same with tint2's panel where it starts by default, along the bottom edge."""
    desktop_options = {}
    icon_below = True

    def shot(self, name):
        super().shot(f"bottom-{name}")


if __name__ == "__main__":
    unittest.main()
