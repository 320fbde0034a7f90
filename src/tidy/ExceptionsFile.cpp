// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExceptionsFile.h"

#include "AtomicFile.h"
#include "KeyedArchive.h"
#include "Log.h"
#include "StandardFolders.h"

#include <QCoreApplication>

namespace {
const QString exceptionsKey = QStringLiteral("ExceptionsKey");
// Far above any list of exceptions a person keeps, icons and all.
constexpr qint64 kMaxFileSize = qint64(64) << 20;

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

QList<ExceptionEntry> ExceptionsFile::load(const QString &path, OutsideFile::Loaded *outcome) {
    QList<ExceptionEntry> entries;
    const auto decode = [&entries](const QByteArray &bytes) {
        const std::optional<QVariant> root = KeyedArchive::unarchiveObjectWithData(bytes);
        if (!root)
            return QCoreApplication::translate("ExceptionsFile", "not a readable archive");
        const QVariant list = root->toMap().value(exceptionsKey);
        if (root->typeId() != QMetaType::QVariantMap || list.typeId() != QMetaType::QVariantList)
            return QCoreApplication::translate("ExceptionsFile", "no list under ExceptionsKey");
        // A row left out would be lost at the next save: the file then goes aside.
        QString reason;
        const QVariantList elements = list.toList();
        for (qsizetype i = 0; i < elements.size(); ++i) {
            if (const auto entry = ExceptionEntry::fromVariant(elements[i]))
                entries.append(*entry);
            else if (reason.isEmpty())
                reason =
                    QCoreApplication::translate("ExceptionsFile", "row %1 has no text name").arg(i);
        }
        return reason;
    };
    const OutsideFile::Loaded loaded =
        OutsideFile::load(path, kMaxFileSize, decode, QStringLiteral("The exceptions file"),
                          QStringLiteral("the list shows the rows that could be read"));
    if (outcome)
        *outcome = loaded;
    return entries;
}

bool ExceptionsFile::write(const QByteArray &archive, const QString &path) {
    QString error;
    if (writeFileAtomically(path, archive, &error))
        return true;
    NSLog(QStringLiteral("Could not write the exceptions file: %1").arg(error));
    return false;
}
