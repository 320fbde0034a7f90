// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The lower layers say why something failed as one readable line in an optional `error`, and
// return false; these two helpers are that convention.

// Sets `*error` (when given) to `text`; returns false.
inline bool fail(QString *error, const QString &text) {
    if (error)
        *error = text;
    return false;
}

// An errno value as text ("No space left on device").
QString errorText(int errnoValue);
