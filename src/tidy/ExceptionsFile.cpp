// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExceptionsFile.h"

#include "AtomicFile.h"
#include "KeyedArchive.h"
#include "Log.h"
#include "StandardFolders.h"

#include <QFileInfo>

namespace {
const QString exceptionsKey = QStringLiteral("ExceptionsKey");

QVariantMap rootObject(const QList<ExceptionEntry> &entries) {
    QVariantList list;
    list.reserve(entries.size());
    for (const ExceptionEntry &entry : entries)
        list.append(entry.toVariant());
    return {{exceptionsKey, list}};
}
} // namespace

QString ExceptionsFile::standardPath() {
    return StandardFolders::applicationSupport() + QStringLiteral("/ExceptionsTableViewData");
}

QByteArray ExceptionsFile::archivedData(const QList<ExceptionEntry> &entries) {
    return KeyedArchive::archivedDataWithRootObject(rootObject(entries));
}

QList<ExceptionEntry> ExceptionsFile::load(const QString &path) {
    QList<ExceptionEntry> entries;
    if (!QFileInfo::exists(path))
        return entries;
    const std::optional<QVariant> root = KeyedArchive::unarchiveObjectWithFile(path);
    if (!root) {
        NSLog(QStringLiteral("Exceptions file %1 is not a readable archive; no exceptions shown")
                  .arg(path));
        return entries;
    }
    const QVariant list = root->toMap().value(exceptionsKey);
    if (root->typeId() != QMetaType::QVariantMap || list.typeId() != QMetaType::QVariantList) {
        NSLog(QStringLiteral("Exceptions file %1 holds no list under ExceptionsKey; no exceptions "
                             "shown")
                  .arg(path));
        return entries;
    }
    const QVariantList elements = list.toList();
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (const auto entry = ExceptionEntry::fromVariant(elements[i]))
            entries.append(*entry);
        else
            NSLog(QStringLiteral("Exceptions file %1: entry %2 has no name; left out")
                      .arg(path)
                      .arg(i));
    }
    return entries;
}

bool ExceptionsFile::write(const QByteArray &archive, const QString &path) {
    QString error;
    if (writeFileAtomically(path, archive, &error))
        return true;
    NSLog(QStringLiteral("Could not write the exceptions file: %1").arg(error));
    return false;
}
