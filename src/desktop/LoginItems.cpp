// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoginItems.h"

#include "Bundle.h"
#include "Log.h"
#include "StandardFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// A desktop entry is a few hundred bytes; anything much larger is not one.
constexpr qint64 maxEntrySize = 256 * 1024;

// Undoes the escapes of a desktop entry's string value (\s \n \t \r \\).
QString unescapeValue(const QString &value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar c = value[++i];
        out += c == QLatin1Char('s')   ? QChar(QLatin1Char(' '))
               : c == QLatin1Char('n') ? QChar(QLatin1Char('\n'))
               : c == QLatin1Char('t') ? QChar(QLatin1Char('\t'))
               : c == QLatin1Char('r') ? QChar(QLatin1Char('\r'))
                                       : c;
    }
    return out;
}

// The first word of an Exec command line: up to the first unquoted space; inside double quotes a
// backslash escapes the next character.
QString firstWord(const QString &command) {
    QString word;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < command.size())
            word += command[++i];
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c.isSpace() && !word.isEmpty())
            break;
        else if (quoted || !c.isSpace())
            word += c;
    }
    return word;
}

// The program's path as an Exec word: quoted, with the characters the format reserves inside
// quotes escaped, then escaped again as a string value.
QString execWord(const QString &program) {
    QString quoted;
    for (const QChar c : program) {
        if (QStringLiteral("\"`$\\").contains(c))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
} // namespace

LoginItems::LoginItems(QString folder, QString program)
    : folder_(std::move(folder))
    , program_(std::move(program)) {}

LoginItems LoginItems::forThisProgram() {
    return LoginItems(StandardFolders::autostartFolder(), Bundle::bundlePath());
}

QString LoginItems::programOfEntry(const QByteArray &bytes, bool *hidden) {
    if (hidden)
        *hidden = false;
    bool inMainGroup = false, sawMainGroup = false;
    QString exec;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QStringLiteral("[Desktop Entry]");
            sawMainGroup |= inMainGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QStringLiteral("Exec"))
            exec = unescapeValue(value);
        else if (key == QStringLiteral("Hidden") && hidden)
            *hidden = value == QStringLiteral("true");
    }
    return sawMainGroup ? firstWord(exec) : QString();
}

QStringList LoginItems::entryPaths() const {
    QStringList paths;
    const QDir dir(folder_);
    for (const QString &name : dir.entryList({QStringLiteral("*.desktop")}, QDir::Files))
        paths << dir.filePath(name);
    return paths;
}

QString LoginItems::readProgram(const QString &path, bool *hidden) const {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        NSLog(QStringLiteral("Login item %1 cannot be read: skipped").arg(path));
        return {};
    }
    const QByteArray bytes = file.read(maxEntrySize + 1);
    const QString program = bytes.size() > maxEntrySize ? QString() : programOfEntry(bytes, hidden);
    if (program.isEmpty())
        NSLog(QStringLiteral("Login item %1 is not a desktop entry: skipped").arg(path));
    return program;
}

bool LoginItems::contains() const {
    for (const QString &path : entryPaths()) {
        bool hidden = false;
        if (readProgram(path, &hidden) == program_ && !hidden)
            return true;
    }
    return false;
}

bool LoginItems::insertItem() const {
    if (contains())
        return true; // one entry is enough to start it
    if (!QDir().mkpath(folder_)) {
        NSLog(QStringLiteral("Cannot create the autostart folder %1").arg(folder_));
        return false;
    }
    const QByteArray entry =
        "[Desktop Entry]\nType=Application\nName=Quillmere\nExec=" + execWord(program_).toUtf8() +
        "\nX-GNOME-Autostart-enabled=true\nHidden=false\n";
    // Never over another entry: the first free name is taken, and taken atomically.
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? QStringLiteral("quillmere.desktop")
                                    : QStringLiteral("quillmere-%1.desktop").arg(n);
        QFile file(QDir(folder_).filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue;
        if (file.write(entry) == entry.size() && file.flush())
            return true;
        file.remove();
        break;
    }
    NSLog(QStringLiteral("Cannot write a login item in %1").arg(folder_));
    return false;
}

int LoginItems::removeItems() const {
    int removed = 0;
    for (const QString &path : entryPaths()) {
        if (readProgram(path, nullptr) != program_)
            continue;
        if (QFile::remove(path))
            ++removed;
        else
            NSLog(QStringLiteral("Cannot remove the login item %1").arg(path));
    }
    return removed;
}
