// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ExceptionEntry.h"
#include "OutsideFile.h"

#include <QList>
#include <QString>

// The exceptions table's file: a keyed archive whose root is the dictionary
// {"ExceptionsKey": [entry, ...]}, the rows in table order. Does not create its folder.
namespace ExceptionsFile {
// $XDG_DATA_HOME/Quillmere/ExceptionsTableViewData
QString standardPath();

// The archive of `entries`: {"ExceptionsKey": [entry dictionary, ...]}.
QByteArray archivedData(const QList<ExceptionEntry> &entries);

// The rows stored at `path`; no file: none, silently. A file that cannot be rewritten as it is
// (not a readable archive, no list under "ExceptionsKey", a row without a text name) is kept
// aside as "<file>.corrupt-<time>" and the rows that could be read come back; a device or a
// pipe is left alone. Either is logged, and `outcome` (if given) says what became of the file.
QList<ExceptionEntry> load(const QString &path, OutsideFile::Loaded *outcome = nullptr);

// Writes an archive atomically (through a symbolic link, to the file it leads to); false
// (logged) when it could not be written.
bool write(const QByteArray &archive, const QString &path);
} // namespace ExceptionsFile
