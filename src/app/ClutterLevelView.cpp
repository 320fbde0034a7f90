// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClutterLevelView.h"

#include "ItemFilter.h"
#include "LevelIndicatorWidget.h"
#include "StandardFolders.h"

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
                        const std::optional<QVariant> &exceptionsToLog) {
    const auto items = filter.cleanableItemsInFolder(StandardFolders::desktop(), exceptionsToLog);
    showClutterLevel(ClutterLevel::forItemCount(quint64(items.size())), indicator, label);
}
