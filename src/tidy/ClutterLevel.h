// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

class ItemFilter;

// How cluttered the Desktop is: its number of cleanable items on three steps, 0–20 optional,
// 21–59 recommended, 60 and more critical.
struct ClutterLevel {
    double value;     // 1, 2 or 3
    QString sentence; // shown under the indicator

    // Writes the log lines of each threshold the count reaches.
    static ClutterLevel forItemCount(quint64 count);
    // The Desktop's level, counted through `filter` (`exceptionsToLog` as for the filter). A
    // Desktop that must not be cleaned with `destination` (DesktopSafety) gives why, at 0,
    // instead of a level.
    static ClutterLevel ofDesktop(const ItemFilter &filter,
                                  const std::optional<QVariant> &exceptionsToLog,
                                  const QString &destination);
};
