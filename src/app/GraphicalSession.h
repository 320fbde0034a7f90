// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcessEnvironment>
#include <QString>

// Whether a window can be opened at all, told before Qt tries: Qt's GUI start ends the process
// with an abort (and a core dump) when it finds no display. Reads only the environment.
namespace GraphicalSession {
// True when the platform Qt will choose has what it needs: QT_QPA_PLATFORM's entries (xcb needs
// DISPLAY, wayland needs WAYLAND_DISPLAY or the default socket; offscreen and the others need
// nothing), or, without it, DISPLAY or WAYLAND_DISPLAY.
bool plausible(const QProcessEnvironment &environment);

// The one line for a start without a display.
QString missingMessage();

// While it lives, a fatal message from Qt (a display that is named but cannot be reached) ends
// the process with missingMessage() and exit code 1 instead of an abort.
class StartGuard {
public:
    StartGuard();
    ~StartGuard();
    StartGuard(const StartGuard &) = delete;
    StartGuard &operator=(const StartGuard &) = delete;
};
} // namespace GraphicalSession
