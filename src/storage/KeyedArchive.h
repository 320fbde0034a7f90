// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// An object of a named class with integer fields, such as a stored shortcut:
// {"Shortcut", {"Shortcut", "NSObject"}, {{"KeyCode", 122}, {"ModifierFlags", 1048576}}}.
// Decoded fields come in key order; fields that are not integers (an image's representations,
// say) are not Quillmere's and are left out. Empty `classes` are written as {className,
// "NSObject"}.
struct ArchivedObject {
    QString className;
    QStringList classes; // the class and its ancestors, most derived first
    QList<QPair<QString, qint64>> fields;

    std::optional<qint64> field(const QString &key) const {
        for (const auto &f : fields)
            if (f.first == key)
                return f.second;
        return std::nullopt;
    }
    friend bool operator==(const ArchivedObject &, const ArchivedObject &) = default;
};
Q_DECLARE_METATYPE(ArchivedObject)

// Keyed archives in the NSKeyedArchiver structure, in a binary property list, so that any
// archive of that structure reads here and ours read anywhere. Root values are QVariants of: a null
// QVariant
// ($null), QString, bool, qint64 (any integer), double, QByteArray (data), QVariantList
// (NS.objects), QVariantMap (NS.keys / NS.objects, string keys), ArchivedObject. Strings and
// data also decode from their object forms (NSMutableString "NS.string", NSMutableData
// "NS.data"), and references from both their binary and their XML ({"CF$UID": n}) forms.
// Decoding outside bytes never crashes and never loops: anything malformed gives nullopt.
namespace KeyedArchive {
// Empty, after a log line, when the value holds something that cannot be archived.
QByteArray archivedDataWithRootObject(const QVariant &root);
// nullopt: not a keyed archive, or a malformed one. A null QVariant: the root is $null.
std::optional<QVariant> unarchiveObjectWithData(const QByteArray &data);

std::optional<QVariant> unarchiveObjectWithFile(const QString &path);
// Written atomically: the file holds the old archive or the new one, never a part.
bool archiveRootObjectToFile(const QVariant &root, const QString &path);
} // namespace KeyedArchive
