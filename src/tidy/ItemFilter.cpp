// SPDX-License-Identifier: GPL-3.0-or-later
#include "ItemFilter.h"

#include "Description.h"
#include "ExceptedNames.h"
#include "FileManager.h"
#include "Log.h"
#include "MonthFolder.h"

#include <QFile>

QStringList exceptedNames(const UserDefaults &defaults) {
    QStringList names;
    for (const QVariant &element : ExceptedNames::stored(defaults).value_or(QVariantList()))
        if (element.typeId() == QMetaType::QString)
            names.append(element.toString());
    return names;
}

QList<QByteArray>
ItemFilter::cleanableItemsInFolder(const QString &folder,
                                   const std::optional<QVariant> &exceptionsToLog) const {
    const QSet<QByteArray> skipped = skippedNames();
    QList<QByteArray> items =
        cleanableItems(FileManager::contentsOfDirectoryAtPath(QFile::encodeName(folder)), skipped);
    if (exceptionsToLog)
        NSLog(description(*exceptionsToLog));
    return items;
}

QSet<QByteArray> ItemFilter::skippedNames() const {
    // Names on disk are bytes: compare them with the bytes each skipped name would have there.
    QSet<QByteArray> skipped{QFile::encodeName(applicationFolderName)};
    for (const QString &name : exceptedNames(defaults_))
        skipped.insert(QFile::encodeName(name));
    skipped.insert(".cache");
    skipped.insert(".DS_Store");
    skipped.insert(".known_devices");
    return skipped;
}

QList<QByteArray> ItemFilter::cleanableItems(QList<QByteArray> names,
                                             const QSet<QByteArray> &skipped) {
    names.removeIf([&skipped](const QByteArray &name) { return skipped.contains(name); });
    return names;
}
