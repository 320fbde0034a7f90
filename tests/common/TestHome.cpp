// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {
const char *const variables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                 "XDG_STATE_HOME"};
}

TestHome::TestHome() {
    QVERIFY2(dir_.isValid(), "cannot create a temporary HOME");
    for (const char *name : variables)
        saved_.append({name, qgetenv(name)});
    const QByteArray home = QFile::encodeName(dir_.path());
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_STATE_HOME", home + "/.local/state");
    QDir(dir_.path()).mkpath(QStringLiteral("Desktop"));
    QDir(dir_.path()).mkpath(QStringLiteral("Documents"));
    QDir(dir_.path()).mkpath(QStringLiteral(".config"));
    QDir(dir_.path()).mkpath(QStringLiteral(".local/share"));
}

TestHome::~TestHome() {
    for (const auto &[name, value] : saved_) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
}

QString TestHome::settingsFile() const {
    return path() + QStringLiteral("/.config/Quillmere/Quillmere.plist");
}

QString TestHome::applicationSupport() const {
    return path() + QStringLiteral("/.local/share/Quillmere");
}

void TestHome::setDesktopDir(const QString &value) const {
    writeFile(path() + QStringLiteral("/.config/user-dirs.dirs"),
              "XDG_DESKTOP_DIR=\"" + QFile::encodeName(value) + "\"\n");
}

void TestHome::writeFile(const QString &path, const QByteArray &content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}
