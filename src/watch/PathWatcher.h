// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "KernelQueue.h"
#include "PathWatcherEntry.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <thread>

class PathWatcher;

// The notification for each change kind (NOTE_* bit).
inline const QString PathWatcherFileRenamedNotification =
    QStringLiteral("PathWatcherFileRenamedNotification");
inline const QString PathWatcherFileWrittenToNotification =
    QStringLiteral("PathWatcherFileWrittenToNotification");
inline const QString PathWatcherFileDeletedNotification =
    QStringLiteral("PathWatcherFileDeletedNotification");
inline const QString PathWatcherFileAttributesChangedNotification =
    QStringLiteral("PathWatcherFileAttributesChangedNotification");
inline const QString PathWatcherFileSizeIncreasedNotification =
    QStringLiteral("PathWatcherFileSizeIncreasedNotification");
inline const QString PathWatcherLinkCountChangedNotification =
    QStringLiteral("PathWatcherLinkCountChangedNotification");
inline const QString PathWatcherAccessWasRevokedNotification =
    QStringLiteral("PathWatcherAccessWasRevokedNotification");

class PathWatcherDelegate {
public:
    virtual ~PathWatcherDelegate() = default;
    // Called on the main thread for every notification name of every change.
    virtual void PathWatcherReceivedNotificationForPath(PathWatcher *watcher, const QString &name,
                                                        const QString &path) = 0;
};

// Watches file-system paths and reports their changes as notification names, on the main
// thread: to the delegate, and on NotificationCenter::workspace() (object: the watcher,
// userInfo: {"path": the watched path}) when there is no delegate or alwaysPostNotifications
// is set. One kernel queue and one thread per watcher; the thread starts with the first path
// watched and ends with the watcher. Create, use and destroy it on the main thread.
// It does not look into folders: a change inside one is reported for the folder's path.
// Changes that arrive while a path's last ones wait to be delivered are merged into that
// delivery, so a burst of changes costs one delivery per turn of the event loop, not one each.
class PathWatcher {
public:
    // Null when the system gives no kernel queue.
    static std::unique_ptr<PathWatcher> create();
    ~PathWatcher();
    PathWatcher(const PathWatcher &) = delete;
    PathWatcher &operator=(const PathWatcher &) = delete;

    // Watches `path` for every change kind, or for those in `flags`. A path watched already is
    // left as it is. A path that cannot be watched is logged and left out.
    void addPath(const QString &path);
    void addPath(const QString &path, std::uint32_t flags);
    // Subscribes `path` for `flags` (added to the flags it has); null when it cannot be watched.
    std::shared_ptr<PathWatcherEntry> addPathToQueue(const QString &path, std::uint32_t flags);
    void removePath(const QString &path);
    void removeAllPaths();
    std::size_t numberOfWatchedPaths() const;

    // Not owned.
    PathWatcherDelegate *delegate() const { return delegate_; }
    void setDelegate(PathWatcherDelegate *delegate) { delegate_ = delegate; }
    bool alwaysPostNotifications() const { return alwaysPostNotifications_; }
    void setAlwaysPostNotifications(bool always) { alwaysPostNotifications_ = always; }

    // The names for the bits of `fflags`: renamed, written to, deleted, attributes changed,
    // size increased, link count changed, access revoked, in this order.
    static QStringList notificationNamesForFlags(std::uint32_t fflags);

private:
    struct Shared;
    explicit PathWatcher(std::unique_ptr<KernelQueue> queue);
    class Receiver;
    static void watcherThread(const std::shared_ptr<Shared> &shared);

    std::shared_ptr<Shared> shared_;
    Receiver *receiver_; // delivers on the main thread
    std::map<QString, std::shared_ptr<PathWatcherEntry>> watchedPathEntries_; // main thread only
    std::thread thread_;
    PathWatcherDelegate *delegate_ = nullptr;
    bool alwaysPostNotifications_ = false;
};
