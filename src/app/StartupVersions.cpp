// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupVersions.h"

#include "AppSettingsKeys.h"
#include "Log.h"
#include "UserDefaults.h"

StartupVersions::Start StartupVersions::recordStart(UserDefaults &defaults,
                                                    const QString &version) {
    const std::optional<QVariantList> versions =
        defaults.arrayForKey(SettingsKeys::prevStartupVersions);
    if (!versions) {
        defaults.setObject(QVariantList{version}, SettingsKeys::prevStartupVersions);
        NSLog(QStringLiteral("Starting up for first time with NO pre-existing installs"));
        return Start::FirstEver;
    }
    if (versions->contains(version))
        return Start::KnownVersion;
    NSLog(QStringLiteral("Starting up for first time with this version of the app."));
    QVariantList updated = *versions;
    updated.append(version);
    defaults.setObject(updated, SettingsKeys::prevStartupVersions);
    defaults.removeObject(SettingsKeys::annotationKey);
    defaults.removeObject(SettingsKeys::remove);
    return Start::FirstOfThisVersion;
}
