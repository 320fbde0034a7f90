// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopWatch.h"

#include "Log.h"
#include "StandardFolders.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {
QString userDirsFile() {
    return StandardFolders::userDirsFile();
}
QString userDirsFolder() {
    return QFileInfo(userDirsFile()).absolutePath();
}
} // namespace

DesktopWatch::DesktopWatch(PathWatcher &watcher, std::function<void()> rearmed)
    : watcher_(watcher)
    , rearmed_(std::move(rearmed)) {
    watcher_.setDelegate(this);
    watcher_.setAlwaysPostNotifications(true);
    watcher_.addPath(userDirsFolder(), NOTE_WRITE);
    watchUserDirs();
    arm(StandardFolders::desktop());
    if (!identity_.exists)
        NSLog(QStringLiteral("The Desktop folder %1 does not exist: watching %2 until it is made")
                  .arg(path_, parent_));
}

DesktopWatch::~DesktopWatch() {
    if (watcher_.delegate() == this)
        watcher_.setDelegate(nullptr);
}

DesktopWatch::Identity DesktopWatch::identityOf(const QString &path, bool folder) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || (folder && !S_ISDIR(st.st_mode)))
        return {};
    return {true, st.st_dev, st.st_ino};
}

void DesktopWatch::arm(const QString &path) {
    if (!path_.isNull())
        watcher_.removePath(path_);
    const QString parent = QFileInfo(path).absolutePath();
    if (parent != parent_) {
        // Not the Desktop's parent any more, unless it is also the user-dirs folder.
        if (!parent_.isNull() && parent_ != userDirsFolder())
            watcher_.removePath(parent_);
        watcher_.addPath(parent, NOTE_WRITE);
        parent_ = parent;
    }
    path_ = path;
    identity_ = identityOf(path);
    if (identity_.exists)
        watcher_.addPath(path);
}

void DesktopWatch::watchUserDirs() {
    // Rewritten by renaming a new file over it: the watch must follow the new file.
    const Identity now = identityOf(userDirsFile(), false);
    if (now == userDirsIdentity_)
        return;
    watcher_.removePath(userDirsFile());
    if (now.exists)
        watcher_.addPath(userDirsFile(), NOTE_WRITE | NOTE_DELETE | NOTE_RENAME);
    userDirsIdentity_ = now;
}

void DesktopWatch::PathWatcherReceivedNotificationForPath(PathWatcher *, const QString &name,
                                                          const QString &path) {
    // A write inside the Desktop is the clean's and the level's business, not a new Desktop.
    if (path == path_ && name == PathWatcherFileWrittenToNotification)
        return;
    if (path == path_ && (name == PathWatcherFileAttributesChangedNotification ||
                          name == PathWatcherFileSizeIncreasedNotification ||
                          name == PathWatcherLinkCountChangedNotification))
        return;
    check();
}

void DesktopWatch::check() {
    watchUserDirs();
    const QString path = StandardFolders::desktop();
    const Identity identity = identityOf(path);
    if (path == path_ && identity == identity_)
        return;
    const QString oldPath = path_;
    const bool existed = identity_.exists;
    arm(path);

    QString line;
    if (!identity.exists)
        line = QStringLiteral("The Desktop folder %1 is gone: watching %2 until it is made again")
                   .arg(path, parent_);
    else if (path != oldPath)
        line =
            QStringLiteral("The Desktop folder is now %1 (was %2): watching it").arg(path, oldPath);
    else if (!existed)
        line = QStringLiteral("The Desktop folder %1 is back: watching it").arg(path);
    else
        line = QStringLiteral("The Desktop folder %1 was replaced by another folder: watching "
                              "the new one")
                   .arg(path);
    const QFileInfo info(path);
    if (identity.exists && info.isSymLink())
        line += QStringLiteral(" (a link to %1)").arg(info.symLinkTarget());
    NSLog(line);
    if (rearmed_)
        rearmed_();
}
