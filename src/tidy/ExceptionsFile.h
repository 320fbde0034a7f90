// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExceptionEntry.h"

#include <QList>
#include <QString>

// The exceptions table's file: a keyed archive whose root is the dictionary
// {"ExceptionsKey": [entry, ...]}, the rows in table order. Does not create its folder.
namespace ExceptionsFile {
// $XDG_DATA_HOME/Quillmere/ExceptionsTableViewData
QString standardPath();

// The archive of `entries`: {"ExceptionsKey": [entry dictionary, ...]}.
QByteArray archivedData(const QList<ExceptionEntry> &entries);

// The rows stored at `path`. No file: none, silently. An unreadable or corrupt file, a root
// that is not a dictionary or holds no list under "ExceptionsKey": none, logged. Entries of the
// wrong shape are left out, each logged; the others load.
QList<ExceptionEntry> load(const QString &path);

// Writes an archive atomically; false (logged) when it could not be written.
bool write(const QByteArray &archive, const QString &path);
} // namespace ExceptionsFile
