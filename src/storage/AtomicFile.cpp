// SPDX-License-Identifier: GPL-3.0-or-later
// Not QSaveFile: in Qt 6.4 it flushes and follows links, but renames over whatever a link leads
// to (a device or a pipe too) and never flushes the folder, so its rename may not survive a crash.
#include "AtomicFile.h"

#include "Failure.h"
#include "OutsideFile.h"
#include "UniqueFd.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool fail(QString *error, const QString &what, int err) {
    return fail(error, QStringLiteral("%1: %2").arg(what, errorText(err)));
}

bool writeAll(int fd, const QByteArray &bytes) {
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        written += n;
    }
    return true;
}
} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error) {
    const QString file = OutsideFile::resolvedPath(path);
    const QByteArray target = QFile::encodeName(file);
    struct stat existing;
    const bool exists = ::lstat(target.constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        return fail(error,
                    QStringLiteral("will not replace %1, which is not a regular file").arg(file),
                    EINVAL);
    QByteArray pattern = target + ".XXXXXX";
    UniqueFd fd(mkstemp(pattern.data()));
    if (!fd.valid())
        return fail(error, QStringLiteral("cannot create a temporary file beside %1").arg(file),
                    errno);
    const auto abandon = [&](const QString &what) {
        const int err = errno;
        fd.close();
        ::unlink(pattern.constData());
        return fail(error, what.arg(file), err);
    };
    if (exists && ::fchmod(fd.get(), existing.st_mode & 07777) != 0)
        return abandon(QStringLiteral("cannot give the new %1 the old one's permissions"));
    if (!writeAll(fd.get(), bytes))
        return abandon(QStringLiteral("cannot write %1"));
    if (::fsync(fd.get()) != 0)
        return abandon(QStringLiteral("cannot flush %1"));
    if (fd.close() != 0)
        return abandon(QStringLiteral("cannot close %1"));
    if (::rename(pattern.constData(), target.constData()) != 0) {
        const int err = errno;
        ::unlink(pattern.constData());
        return fail(error, QStringLiteral("cannot replace %1").arg(file), err);
    }
    // Make the rename itself durable.
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    if (const UniqueFd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        dir.valid())
        ::fsync(dir.get());
    return true;
}
