// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Every key of the settings store, in one place. No key has a default: each is absent until
// written, and each reader applies its own rule for an absent value (noted beside the key).
namespace SettingsKeys {
inline const QString AppShouldRunInMenuBar = QStringLiteral("AppShouldRunInMenuBar");   // NO: Dock
inline const QString CheckforUpdatesStartUp = QStringLiteral("CheckforUpdatesStartUp"); // NO
inline const QString CleanPath = QStringLiteral("CleanPath"); // set to Documents at first start
inline const QString AutoClean = QStringLiteral("AutoClean"); // NO
// The threshold field's text, kept between runs (absent: an empty field).
inline const QString AutoCleanThreshold = QStringLiteral("AutoCleanThreshold");
inline const QString ExceptionsObjects = QStringLiteral("ExceptionsObjects"); // archive of names
inline const QString prevStartupVersions = QStringLiteral("prevStartupVersions");
inline const QString annotationKey = QStringLiteral("annotationKey");
inline const QString remove = QStringLiteral("remove");
inline const QString CleanShortcut = QStringLiteral("CleanShortcut"); // stored shortcut
inline const QString CleanShortcutEnabled = QStringLiteral("CleanShortcutEnabled");       // NO
inline const QString ConstantShortcutEnabled = QStringLiteral("ConstantShortcutEnabled"); // NO
inline const QString SUUpdaterChecksForBetaUpdates =
    QStringLiteral("SUUpdaterChecksForBetaUpdates"); // NO
inline const QString AppleMiniaturizeOnDoubleClick =
    QStringLiteral("AppleMiniaturizeOnDoubleClick"); // NO
} // namespace SettingsKeys
