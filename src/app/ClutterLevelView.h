// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClutterLevel.h"

#include <QVariant>
#include <optional>

class ItemFilter;
class LevelIndicatorWidget;
class QLabel;

// Shows `level` on the indicator (warning at 2, critical at 3) and its sentence on the label.
void showClutterLevel(const ClutterLevel &level, LevelIndicatorWidget *indicator, QLabel *label);

// Shows ClutterLevel::ofDesktop: the level, or on an empty indicator why the Desktop must not be
// cleaned.
void updateClutterLevel(const ItemFilter &filter, LevelIndicatorWidget *indicator, QLabel *label,
                        const std::optional<QVariant> &exceptionsToLog, const QString &destination);
