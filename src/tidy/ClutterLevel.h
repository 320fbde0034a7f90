// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How cluttered the Desktop is: its number of cleanable items on three steps, 0–20 optional,
// 21–59 recommended, 60 and more critical.
struct ClutterLevel {
    double value;     // 1, 2 or 3
    QString sentence; // shown under the indicator

    // Writes the log lines of each threshold the count reaches.
    static ClutterLevel forItemCount(quint64 count);
};
