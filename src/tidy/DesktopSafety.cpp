// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopSafety.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdlib>

namespace {
// The longest part that exists is resolved by the system; the rest is applied by name, which
// is right because nothing below a missing folder can be a link.
QByteArray realPath(QByteArray path) {
    if (!path.startsWith('/'))
        path = QFile::encodeName(QDir::currentPath()) + '/' + path;
    QByteArrayList missing; // innermost first
    QByteArray real;
    for (;;) {
        if (char *resolved = ::realpath(path.constData(), nullptr)) {
            real = resolved;
            std::free(resolved);
            break;
        }
        if (path == "/") {
            real = path;
            break;
        }
        const qsizetype slash = path.lastIndexOf('/');
        missing.append(path.mid(slash + 1));
        path.truncate(std::max<qsizetype>(slash, 1));
    }
    for (auto it = missing.crbegin(); it != missing.crend(); ++it) {
        if (it->isEmpty() || *it == ".")
            continue;
        if (*it == "..")
            real.truncate(std::max<qsizetype>(real.lastIndexOf('/'), 1));
        else
            real += (real.endsWith('/') ? "" : "/") + *it;
    }
    return real;
}

// `path` is `folder` or lies below it.
bool within(const QByteArray &path, const QByteArray &folder) {
    return path == folder || path.startsWith(folder.endsWith('/') ? folder : folder + '/');
}
} // namespace

std::optional<QString> DesktopSafety::refusal(const QString &desktop, const QString &home,
                                              const std::optional<QString> &destination) {
    const QByteArray realDesktop = realPath(QFile::encodeName(desktop));
    const QByteArray realHome = realPath(QFile::encodeName(home));
    const QString shown = QFile::decodeName(realDesktop);
    if (within(realHome, realDesktop))
        return (realDesktop == realHome
                    ? QCoreApplication::translate(
                          "DesktopSafety",
                          "The Desktop folder is %1, your home folder. Quillmere neither cleans "
                          "nor restores there. Set a real Desktop folder, for example with the "
                          "line XDG_DESKTOP_DIR=\"$HOME/Desktop\" in ~/.config/user-dirs.dirs, "
                          "then start Quillmere again.")
                    : QCoreApplication::translate(
                          "DesktopSafety",
                          "The Desktop folder is %1, a folder that holds your home folder. "
                          "Quillmere neither cleans nor restores there. Set a real Desktop "
                          "folder, for example with the line XDG_DESKTOP_DIR=\"$HOME/Desktop\" in "
                          "~/.config/user-dirs.dirs, then start Quillmere again."))
            .arg(shown);
    if (!destination)
        return std::nullopt;
    const QByteArray realDestination = realPath(QFile::encodeName(*destination));
    if (realDestination != realDesktop && within(realDestination, realDesktop))
        return QCoreApplication::translate(
                   "DesktopSafety",
                   "The destination %1 lies inside %2, the Desktop folder, so a clean "
                   "would move items into a folder that it is cleaning. Choose a "
                   "destination outside the Desktop, or the Desktop itself, in the "
                   "settings tab.")
            .arg(QFile::decodeName(realDestination), shown);
    return std::nullopt;
}
