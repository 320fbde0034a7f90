// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Quillmere's own files that a person or another program may have changed behind its back: the
// settings file and the exceptions file. A dotfile manager keeps them as symbolic links; a
// mistake can make them a device or a named pipe, a crash can leave one half written. They are
// read only when they are regular files, opened without blocking and never beyond a size limit,
// so that none of this can hang the program or fill its memory. An unusable file is never
// written over. Does not write (writeFileAtomically does, through the same links).
namespace OutsideFile {
// `path` with the symbolic links at its end followed: the file that reading or writing `path`
// really concerns. Where the last link leads nowhere yet, the path it names; a loop of links or a
// chain longer than 40 gives the last link itself.
QString resolvedPath(const QString &path);

enum class Outcome {
    Missing,   // nothing there, or a link to nothing
    Loaded,    // read and understood
    KeptAside, // unusable, renamed to `keptAs`: a new file may be written at the path
    LeftAlone, // unusable and not renamed (a device, a pipe, or the rename failed): never written
};

struct Loaded {
    Outcome outcome = Outcome::Missing;
    QString keptAs; // KeptAside: where the file is now
    QString reason; // KeptAside, LeftAlone: why it could not be used
};

// Reads the file at `path` (through its links) and hands its bytes to `decode`, which returns an
// empty string when it could use them, else why not. A file that cannot be read or decoded is
// renamed to "<file>.corrupt-<time>" beside the file the links lead to; a device, a pipe, a
// folder or a file that cannot be renamed stays as it is. Either way one line is logged:
// "<what> <path> is unreadable (<reason>): ...; <consequence>".
Loaded load(const QString &path, qint64 maxSize,
            const std::function<QString(const QByteArray &bytes)> &decode, const QString &what,
            const QString &consequence);

// The bytes of a regular file of at most `maxSize` bytes at `path` (through its links); nullopt
// for anything else, with the reason when there is something at `path`. Keeps nothing aside and
// logs nothing.
std::optional<QByteArray> read(const QString &path, qint64 maxSize, QString *reason = nullptr);
} // namespace OutsideFile
