// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

class ItemFilter;
class LevelIndicatorWidget;
class QLabel;

// How cluttered the Desktop is: its number of cleanable items on three steps, 0–20 optional,
// 21–59 recommended, 60 and more critical.
struct ClutterLevel {
    double value;     // 1, 2 or 3
    QString sentence; // shown under the indicator

    // Writes the log lines of each threshold the count reaches.
    static ClutterLevel forItemCount(quint64 count);
};

// Shows `level` on the indicator (warning at 2, critical at 3) and its sentence on the label.
void showClutterLevel(const ClutterLevel &level, LevelIndicatorWidget *indicator, QLabel *label);

// Recounts the Desktop through `filter` and shows the result; `exceptionsToLog` as for the
// filter. A Desktop that must not be cleaned with `destination` (DesktopSafety) shows why, on
// an empty indicator, instead of a level.
void updateClutterLevel(const ItemFilter &filter, LevelIndicatorWidget *indicator, QLabel *label,
                        const std::optional<QVariant> &exceptionsToLog, const QString &destination);
