// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

// A temporary HOME for one test: HOME and the XDG base folders point inside it, the Desktop and
// Documents folders exist, and the previous environment comes back when it ends.
class TestHome {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return dir_.path(); }
    QString desktop() const { return path() + QStringLiteral("/Desktop"); }
    QString documents() const { return path() + QStringLiteral("/Documents"); }
    QString settingsFile() const; // the settings store's file
    QString applicationSupport() const;

    // Names the Desktop folder as xdg-user-dirs does; `value` may begin with "$HOME".
    void setDesktopDir(const QString &value) const;

    // Creates a file with `content` at `path` (a name under the home, or absolute).
    static void writeFile(const QString &path, const QByteArray &content = {});

private:
    QTemporaryDir dir_;
    QList<QPair<QByteArray, QByteArray>> saved_;
};

// Every entry of `folder`, hidden ones included, by name.
inline QStringList entries(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline QByteArray content(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}
