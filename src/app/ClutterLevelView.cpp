// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClutterLevelView.h"

#include "LevelIndicatorWidget.h"

#include <QLabel>

void showClutterLevel(const ClutterLevel &level, LevelIndicatorWidget *indicator, QLabel *label) {
    if (indicator) {
        indicator->setWarningValue(2.0);
        indicator->setCriticalValue(3.0);
        indicator->setDoubleValue(level.value);
    }
    if (label)
        label->setText(level.sentence);
}

void updateClutterLevel(const ItemFilter &filter, LevelIndicatorWidget *indicator, QLabel *label,
                        const std::optional<QVariant> &exceptionsToLog,
                        const QString &destination) {
    showClutterLevel(ClutterLevel::ofDesktop(filter, exceptionsToLog, destination), indicator,
                     label);
}
