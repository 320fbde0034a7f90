// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Replaces `path` with `bytes` so that a crash leaves the old content or the new, never a mix:
// a temporary file in the same folder, written, flushed to disk, then renamed over the target.
// Where `path` is a symbolic link, the file it leads to is replaced, in that file's folder, and
// the link stays. Only a regular file (or nothing) is replaced: never a device, a pipe or a
// folder. The replaced file's permissions are kept.
// On failure the target is untouched, the temporary file removed, and `error` (if given) says why.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);
