// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class UserDefaults;

// The user's excepted file names: the keyed archive under ExceptionsObjects, decoded afresh.
// Absent, undecodable or not a list: no names. Elements that are not strings are left out.
QStringList exceptedNames(const UserDefaults &defaults);

// Which entries of a folder are items that Quillmere may count and move: every name directly
// inside it except "Quillmere", the excepted names, ".cache", ".DS_Store" and ".known_devices".
// Names are compared byte for byte, case and all. Looks at names only, never at an entry's
// type or content, and changes nothing on disk or in the settings.
class ItemFilter {
public:
    explicit ItemFilter(const UserDefaults &defaults)
        : defaults_(defaults) {}

    // One directory read and one decode of the excepted names per call; the listing order is
    // kept. A missing or unreadable folder gives no items. With `exceptionsToLog`, that value
    // (the exceptions table's rows, or a null QVariant while there is no table yet) is written
    // to the log, as the level and the automatic clean do.
    QList<QByteArray>
    cleanableItemsInFolder(const QString &folder,
                           const std::optional<QVariant> &exceptionsToLog = std::nullopt) const;

    // The same in two steps, for a listing made on another thread: the names skipped (read
    // from the settings, so on the main thread), then the items of a listing (any thread).
    QSet<QByteArray> skippedNames() const;
    static QList<QByteArray> cleanableItems(QList<QByteArray> names,
                                            const QSet<QByteArray> &skipped);

private:
    const UserDefaults &defaults_;
};
