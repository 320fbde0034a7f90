// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
bool fail(QString *error, const QString &what, int err) {
    if (error)
        *error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(err)));
    return false;
}
} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    QByteArray pattern = target + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return fail(error, QStringLiteral("cannot create a temporary file beside %1").arg(path),
                    errno);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(pattern.constData());
            return fail(error, QStringLiteral("cannot write %1").arg(path), err);
        }
        written += n;
    }
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(pattern.constData());
        return fail(error, QStringLiteral("cannot flush %1").arg(path), err);
    }
    ::close(fd);
    if (::rename(pattern.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(pattern.constData());
        return fail(error, QStringLiteral("cannot replace %1").arg(path), err);
    }
    // Make the rename itself durable.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}
