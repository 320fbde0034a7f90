// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QMainWindow;

// The main window's menu bar: the program menu (help, quit) and the window menu.
void buildMainMenu(QMainWindow &window);
