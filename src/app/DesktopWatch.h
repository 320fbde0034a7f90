// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PathWatcher.h"

#include <QString>
#include <functional>
#include <sys/types.h>

// Keeps the Desktop watched while the folder behind it changes: removed and made again, renamed
// with another folder put in its place, replaced by a link, or another folder named in
// user-dirs.dirs. Whenever the Desktop, its parent folder, the user-dirs file or the folder
// holding it changes, the Desktop is looked up afresh; when another folder (or none) is found,
// the watcher is re-armed on it, one line says what changed, and `rearmed` runs. While there is
// no Desktop folder, its parent is watched until one appears. It is the watcher's delegate (the
// watcher still posts every notification). Main thread only.
class DesktopWatch : public PathWatcherDelegate {
public:
    DesktopWatch(PathWatcher &watcher, std::function<void()> rearmed);
    ~DesktopWatch() override;
    DesktopWatch(const DesktopWatch &) = delete;
    DesktopWatch &operator=(const DesktopWatch &) = delete;

    // The Desktop path watched, or awaited while it does not exist.
    QString path() const { return path_; }

    void PathWatcherReceivedNotificationForPath(PathWatcher *watcher, const QString &name,
                                                const QString &path) override;

private:
    struct Identity {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const Identity &) const = default;
    };
    // What is at `path`; with `folder`, only a folder counts.
    static Identity identityOf(const QString &path, bool folder = true);
    void arm(const QString &path);
    void check();
    void watchUserDirs();

    PathWatcher &watcher_;
    std::function<void()> rearmed_;
    QString path_;
    QString parent_;
    Identity identity_;
    Identity userDirsIdentity_;
};
