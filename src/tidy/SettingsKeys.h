// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The settings keys of the tidying: where a clean moves to, the automatic clean, the excepted
// names. No key has a default: each is absent until written, and each reader applies its own
// rule for an absent value (noted beside the key). The window's own keys are in
// AppSettingsKeys.h.
namespace SettingsKeys {
inline const QString CleanPath = QStringLiteral("CleanPath"); // set to Documents at first start
inline const QString AutoClean = QStringLiteral("AutoClean"); // NO
// The threshold field's text, kept between runs (absent: an empty field).
inline const QString AutoCleanThreshold = QStringLiteral("AutoCleanThreshold");
inline const QString ExceptionsObjects = QStringLiteral("ExceptionsObjects"); // archive of names
} // namespace SettingsKeys
