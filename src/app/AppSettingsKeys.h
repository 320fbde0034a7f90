// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SettingsKeys.h"

// The settings keys of the program's shell: its mode, start-up bookkeeping, shortcuts, updates.
// Together with the tidying's keys (SettingsKeys.h) they are every key of the settings store.
// No key has a default: each is absent until written.
namespace SettingsKeys {
inline const QString AppShouldRunInMenuBar = QStringLiteral("AppShouldRunInMenuBar");   // NO: Dock
inline const QString CheckforUpdatesStartUp = QStringLiteral("CheckforUpdatesStartUp"); // NO
inline const QString prevStartupVersions = QStringLiteral("prevStartupVersions");
inline const QString annotationKey = QStringLiteral("annotationKey");
inline const QString remove = QStringLiteral("remove");
inline const QString CleanShortcut = QStringLiteral("CleanShortcut"); // stored shortcut
inline const QString CleanShortcutEnabled = QStringLiteral("CleanShortcutEnabled");       // NO
inline const QString ConstantShortcutEnabled = QStringLiteral("ConstantShortcutEnabled"); // NO
inline const QString SUUpdaterChecksForBetaUpdates =
    QStringLiteral("SUUpdaterChecksForBetaUpdates"); // NO
inline const QString AppleMiniaturizeOnDoubleClick =
    QStringLiteral("AppleMiniaturizeOnDoubleClick");                        // NO
inline const QString SendUsageReports = QStringLiteral("SendUsageReports"); // absent: not asked yet
inline const QString launchCount = QStringLiteral("launchCount"); // starts, for usage reports
} // namespace SettingsKeys
