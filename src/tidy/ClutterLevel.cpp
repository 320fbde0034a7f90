// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClutterLevel.h"

#include "DesktopSafety.h"
#include "ItemFilter.h"
#include "Log.h"
#include "StandardFolders.h"
#include "Strings.h"

#include <QDir>

ClutterLevel ClutterLevel::forItemCount(quint64 count) {
    // Three independent tests on the same count: from 60 on, both of the last two log.
    ClutterLevel level{1.0,
                       localizedString(QT_TRANSLATE_NOOP("Quillmere", "Cleaning is optional."))};
    if (count <= 20)
        NSLog(QStringLiteral("Less than or equal to 20, cleaning is optional"));
    if (count >= 21) {
        NSLog(QStringLiteral("Greater than or equal to 21, cleaning is recommended"));
        level = {2.0, localizedString(QT_TRANSLATE_NOOP("Quillmere", "Cleaning is recommended."))};
    }
    if (count >= 60) {
        NSLog(QStringLiteral("Greater than or equal to 60, cleaning is Critical"));
        level = {3.0, localizedString(QT_TRANSLATE_NOOP("Quillmere", "Cleaning is Critical!"))};
    }
    return level;
}

ClutterLevel ClutterLevel::ofDesktop(const ItemFilter &filter,
                                     const std::optional<QVariant> &exceptionsToLog,
                                     const QString &destination) {
    const QString desktop = StandardFolders::desktop();
    if (const auto refusal = DesktopSafety::refusal(desktop, QDir::homePath(), destination))
        return {0.0, *refusal};
    const auto items = filter.cleanableItemsInFolder(desktop, exceptionsToLog);
    return forItemCount(quint64(items.size()));
}
