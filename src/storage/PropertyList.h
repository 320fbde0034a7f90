// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <optional>

// A reference from one object of a keyed archive to another (a binary property list "UID").
struct PlistUid {
    quint64 value = 0;
    friend bool operator==(const PlistUid &, const PlistUid &) = default;
};
Q_DECLARE_METATYPE(PlistUid)

// Property lists as QVariants, read by Quillmere's own readers and written by libplist. The one
// place that knows libplist.
// Values read back as: bool, qint64 (every integer; unsigned values above the signed range wrap),
// double, QString, QByteArray (data), QDateTime (UTC), QVariantList (array), QVariantMap
// (dictionary) and PlistUid. Writing also accepts the other integer types and QStringList.
// Does not interpret keyed archives (KeyedArchive does) and does no file I/O.
namespace PropertyList {
// Parses a binary or XML property list. Anything malformed, nested too deeply, expanding to too
// many objects or holding what could not be written back (a string with NUL) gives nullopt,
// with the reason in `error`.
std::optional<QVariant> fromData(const QByteArray &bytes, QString *error = nullptr);

// The binary form. nullopt when the value holds something a property list cannot (`error` says
// what).
std::optional<QByteArray> binaryData(const QVariant &value, QString *error = nullptr);

// The value as it would read back after being written: integers as qint64, string lists as
// QVariantList, and so on. nullopt when it has no property-list form.
std::optional<QVariant> normalized(const QVariant &value, QString *error = nullptr);
} // namespace PropertyList
