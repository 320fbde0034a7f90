// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Builds the main window and its controller and runs the program until it quits: the window's
// layout is loaded, the controller wakes (awakeFromNib), the window shows, and the start-up
// sequence runs once the event loop has started. Returns the exit code.
int ApplicationMain(int argc, char **argv);
