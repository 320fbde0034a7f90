// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWindow;

namespace TaskBar {
// Asks the window manager to leave `window` out of the task bar (or to list it again), through
// _NET_WM_STATE_SKIP_TASKBAR on X11; elsewhere it does nothing. A window not yet shown keeps the
// request for its first showing.
void setSkipsTaskBar(QWindow *window, bool skip);
} // namespace TaskBar
