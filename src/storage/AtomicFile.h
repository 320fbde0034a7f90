// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Replaces `path` with `bytes` so that a crash leaves the old content or the new, never a mix:
// a temporary file in the same folder, written, flushed to disk, then renamed over the target.
// On failure the target is untouched, the temporary file removed, and `error` (if given) says why.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);
