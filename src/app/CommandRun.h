// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class UserDefaults;

// The command line's clean and restore when no Quillmere runs: the work without a window (a
// QCoreApplication is enough, so no display is needed), told by notices as the clean shortcut
// tells it, then the process ends. Each run is journalled, as the window's are. A notice that
// cannot be sent (no session bus) is only lost. Reads the settings and writes none. Each returns
// the exit status and writes the reason for a non-zero one, in one line, on standard error.
namespace CommandRun {
enum Status { Done = 0, NotDone = 1, ItemsLeft = 2, Usage = 64 };

int clean(const UserDefaults &defaults);
// `folder`: absolute.
int restore(const UserDefaults &defaults, const QString &folder);
// The undo of the last clean; none to undo is NotDone.
int undo();
} // namespace CommandRun
