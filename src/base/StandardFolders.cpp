// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString xdgBase(const char *variable, const char *fallbackBelowHome) {
    const QString value = qEnvironmentVariable(variable);
    // Relative values are invalid by the XDG rules and are ignored.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackBelowHome);
}
} // namespace

QString StandardFolders::desktop() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString StandardFolders::documents() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString StandardFolders::applicationSupport() {
    return xdgBase("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Quillmere");
}

QString StandardFolders::configFolder() {
    return xdgBase("XDG_CONFIG_HOME", ".config") + QStringLiteral("/Quillmere");
}

QString StandardFolders::stateFolder() {
    return xdgBase("XDG_STATE_HOME", ".local/state") + QStringLiteral("/Quillmere");
}

QString StandardFolders::userDirsFile() {
    return xdgBase("XDG_CONFIG_HOME", ".config") + QStringLiteral("/user-dirs.dirs");
}

QString StandardFolders::autostartFolder() {
    return xdgBase("XDG_CONFIG_HOME", ".config") + QStringLiteral("/autostart");
}

QString StandardFolders::crashReports() {
    return stateFolder() + QStringLiteral("/crashes");
}

QString StandardFolders::cacheFolder() {
    return xdgBase("XDG_CACHE_HOME", ".cache") + QStringLiteral("/Quillmere");
}
