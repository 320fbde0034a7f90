// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutsideFile.h"

#include "Failure.h"
#include "UniqueFd.h"

#include "Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
enum class Kind { Missing, Read, Unreadable, NotAFile };

struct Contents {
    Kind kind;
    QByteArray bytes;
    QString reason;
};

QString notAFile(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFIFO:
        return QCoreApplication::translate("OutsideFile", "it is a named pipe");
    case S_IFCHR:
    case S_IFBLK:
        return QCoreApplication::translate("OutsideFile", "it is a device");
    case S_IFDIR:
        return QCoreApplication::translate("OutsideFile", "it is a folder");
    default:
        return QCoreApplication::translate("OutsideFile", "it is not a regular file");
    }
}

Contents readContents(const QByteArray &file, qint64 maxSize) {
    // Looked at before it is opened: opening a device or a pipe can block or have effects.
    struct stat st;
    if (::stat(file.constData(), &st) != 0) {
        const int e = errno;
        if (e == ENOENT)
            return {Kind::Missing, {}, {}};
        return {e == ELOOP ? Kind::NotAFile : Kind::Unreadable, {}, errorText(e)};
    }
    if (!S_ISREG(st.st_mode))
        return {Kind::NotAFile, {}, notAFile(st.st_mode)};
    const UniqueFd fd(::open(file.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid())
        return {Kind::Unreadable, {}, errorText(errno)};
    Contents contents{Kind::Read, {}, {}};
    // Checked again once open: it may have been replaced in between.
    if (::fstat(fd.get(), &st) != 0)
        contents = {Kind::Unreadable, {}, errorText(errno)};
    else if (!S_ISREG(st.st_mode))
        contents = {Kind::NotAFile, {}, notAFile(st.st_mode)};
    else if (st.st_size > maxSize)
        contents = {
            Kind::Unreadable, {}, QCoreApplication::translate("OutsideFile", "it is too large")};
    // It may grow while it is read: never more than one byte past the limit.
    char buffer[65536];
    while (contents.kind == Kind::Read) {
        const qint64 room = maxSize + 1 - contents.bytes.size();
        const ssize_t n = ::read(fd.get(), buffer, size_t(std::min<qint64>(room, sizeof buffer)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            contents = {Kind::Unreadable, {}, errorText(errno)};
        else if (n == 0)
            break;
        else if (contents.bytes.append(buffer, n).size() > maxSize)
            contents = {Kind::Unreadable,
                        {},
                        QCoreApplication::translate("OutsideFile", "it is too large")};
    }
    return contents;
}

// Renames an unusable file beside itself, never over another: the name, or why it failed.
std::optional<QString> keepAside(const QString &file, int *error) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QByteArray from = QFile::encodeName(file);
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const QString aside = file + QStringLiteral(".corrupt-") + stamp +
                              (attempt > 1 ? QStringLiteral("-%1").arg(attempt) : QString());
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(aside).constData(),
                        RENAME_NOREPLACE) == 0)
            return aside;
        *error = errno;
        if (*error != EEXIST)
            break;
    }
    return std::nullopt;
}
} // namespace

QString OutsideFile::resolvedPath(const QString &path) {
    QByteArray current = QFile::encodeName(path);
    for (int hops = 0; hops < 40; ++hops) {
        char text[PATH_MAX];
        const ssize_t n = ::readlink(current.constData(), text, sizeof text);
        if (n < 0 || size_t(n) >= sizeof text)
            break; // not a link (or nothing at all): this is the file
        QByteArray target(text, n);
        if (!target.startsWith('/'))
            target.prepend(current.left(current.lastIndexOf('/') + 1));
        current = target;
    }
    return QFile::decodeName(current);
}

OutsideFile::Loaded OutsideFile::load(const QString &path, qint64 maxSize,
                                      const std::function<QString(const QByteArray &)> &decode,
                                      const QString &what, const QString &consequence) {
    const QString file = resolvedPath(path);
    const Contents contents = readContents(QFile::encodeName(file), maxSize);
    if (contents.kind == Kind::Missing)
        return {};
    Loaded loaded{Outcome::Loaded, {}, contents.reason};
    if (contents.kind == Kind::Read) {
        loaded.reason = decode(contents.bytes);
        if (loaded.reason.isEmpty())
            return loaded;
    }
    const QString start = QStringLiteral("%1 %2 is unreadable (%3)").arg(what, path, loaded.reason);
    const QString leftAlone = QStringLiteral("left it as it is and will not write over it; ");
    int error = 0;
    if (contents.kind == Kind::NotAFile) {
        loaded.outcome = Outcome::LeftAlone;
        NSLog(start + QStringLiteral(": ") + leftAlone + consequence);
    } else if (const auto aside = keepAside(file, &error)) {
        loaded = {Outcome::KeptAside, *aside, loaded.reason};
        NSLog(start + QStringLiteral(": kept it as %1; %2").arg(*aside, consequence));
    } else {
        loaded.outcome = Outcome::LeftAlone;
        NSLog(start + QStringLiteral(" and cannot be moved aside (%1): ").arg(errorText(error)) +
              leftAlone + consequence);
    }
    return loaded;
}

std::optional<QByteArray> OutsideFile::read(const QString &path, qint64 maxSize, QString *reason) {
    Contents contents = readContents(QFile::encodeName(resolvedPath(path)), maxSize);
    if (reason)
        *reason = contents.reason;
    if (contents.kind != Kind::Read)
        return std::nullopt;
    return std::move(contents.bytes);
}
