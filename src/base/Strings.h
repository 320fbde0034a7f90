// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's string table: the English text is the key, and it stands as it is when no
// translation is loaded.
QString localizedString(const QString &key);
