// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathWatcher.h"

#include "Log.h"
#include "NotificationCenter.h"

#include <QCoreApplication>
#include <array>
#include <atomic>
#include <exception>

using namespace std::chrono_literals;

// What the watcher thread shares with the watcher. The thread holds it, not the watcher, so
// nothing the thread reads can go away under it.
struct PathWatcher::Shared {
    std::unique_ptr<KernelQueue> queue;
    std::atomic<bool> keepWatcherThreadRunning{false};
    // Read and cleared on the main thread only: deliveries still queued when the watcher goes
    // find it null and are dropped.
    PathWatcher *owner = nullptr;
};

namespace {
// Held while a delivery is queued and taken first when it runs, before the delivery reads what
// it carries. Qt's event queue orders the two already; this makes the order visible to
// ThreadSanitizer, which cannot see Qt's own locks. Process-wide, so that finding it reads
// nothing the other thread wrote.
std::mutex &deliveryHandoff() {
    static std::mutex mutex;
    return mutex;
}
} // namespace

std::unique_ptr<PathWatcher> PathWatcher::create() {
    auto queue = KernelQueue::create();
    if (!queue)
        return nullptr;
    return std::unique_ptr<PathWatcher>(new PathWatcher(std::move(queue)));
}

PathWatcher::PathWatcher(std::unique_ptr<KernelQueue> queue)
    : shared_(std::make_shared<Shared>()) {
    shared_->queue = std::move(queue);
    shared_->owner = this;
}

PathWatcher::~PathWatcher() {
    shared_->owner = nullptr;
    shared_->keepWatcherThreadRunning = false;
    shared_->queue->interrupt();
    removeAllPaths();
    if (thread_.joinable())
        thread_.join(); // the thread closes the queue as it ends
}

void PathWatcher::addPath(const QString &path) {
    addPath(path, NOTE_ALL);
}

void PathWatcher::addPath(const QString &path, std::uint32_t flags) {
    if (path.isNull())
        return;
    std::lock_guard guard(lock_);
    if (watchedPathEntries_.contains(path))
        return;
    if (!addPathToQueue(path, flags)) {
        NSLog(QStringLiteral("PathWatcher tried to add the path %1 to watchedPathEntries, but the "
                             "PathWatcherEntry was nil. \nIt's possible that the host process has "
                             "hit its max open file descriptors limit.")
                  .arg(path));
    }
}

std::shared_ptr<PathWatcherEntry> PathWatcher::addPathToQueue(const QString &path,
                                                              std::uint32_t flags) {
    std::lock_guard guard(lock_);
    const auto it = watchedPathEntries_.find(path);
    std::shared_ptr<PathWatcherEntry> entry;
    if (it != watchedPathEntries_.end()) {
        entry = it->second;
        if ((entry->subscriptionFlags() & flags) == flags)
            return entry;
        flags |= entry->subscriptionFlags();
    } else {
        entry = PathWatcherEntry::create(path, flags);
        if (!entry)
            return nullptr;
    }
    // The queue keeps only a weak link: an entry removed while its event is read stays alive in
    // the thread's hands, and one already gone is skipped. A new entry the system refuses to
    // watch (its limit on watches) is given up like one that could not be opened.
    if (!shared_->queue->add(entry->watchedFD(), flags, entry) && it == watchedPathEntries_.end())
        return nullptr;
    entry->setSubscriptionFlags(flags);
    watchedPathEntries_[path] = entry;

    if (!shared_->keepWatcherThreadRunning) {
        shared_->keepWatcherThreadRunning = true;
        thread_ = std::thread(&PathWatcher::watcherThread, shared_);
    }
    return entry;
}

void PathWatcher::removePath(const QString &path) {
    if (path.isNull())
        return;
    std::lock_guard guard(lock_);
    const auto it = watchedPathEntries_.find(path);
    if (it == watchedPathEntries_.end())
        return;
    // Before the descriptor can close: its number may be reused by the next path.
    shared_->queue->remove(it->second->watchedFD());
    watchedPathEntries_.erase(it);
}

void PathWatcher::removeAllPaths() {
    std::lock_guard guard(lock_);
    for (const auto &[path, entry] : watchedPathEntries_)
        shared_->queue->remove(entry->watchedFD());
    watchedPathEntries_.clear();
}

std::size_t PathWatcher::numberOfWatchedPaths() const {
    std::lock_guard guard(lock_);
    return watchedPathEntries_.size();
}

QStringList PathWatcher::notificationNamesForFlags(std::uint32_t fflags) {
    static const std::array<std::pair<std::uint32_t, QString>, 7> order{{
        {NOTE_RENAME, PathWatcherFileRenamedNotification},
        {NOTE_WRITE, PathWatcherFileWrittenToNotification},
        {NOTE_DELETE, PathWatcherFileDeletedNotification},
        {NOTE_ATTRIB, PathWatcherFileAttributesChangedNotification},
        {NOTE_EXTEND, PathWatcherFileSizeIncreasedNotification},
        {NOTE_LINK, PathWatcherLinkCountChangedNotification},
        {NOTE_REVOKE, PathWatcherAccessWasRevokedNotification},
    }};
    QStringList names;
    for (const auto &[bit, name] : order) {
        if (fflags & bit)
            names.append(name);
    }
    return names;
}

void PathWatcher::watcherThread(const std::shared_ptr<Shared> &shared) {
    KernelQueue &queue = *shared->queue;
    std::array<KernelEvent, 1> events;
    // The 1-second bound is a safety net: the watcher's destructor also interrupts the wait.
    while (shared->keepWatcherThreadRunning) {
        try {
            if (queue.wait(events, 1s) < 1)
                continue;
            const auto entry = std::static_pointer_cast<PathWatcherEntry>(events[0].udata.lock());
            if (events[0].fflags == 0 || !entry || entry->path().isNull())
                continue;
            const QStringList names = notificationNamesForFlags(events[0].fflags);
            std::lock_guard handoff(deliveryHandoff());
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [shared, names, path = entry->path()] {
                    { std::lock_guard handoff(deliveryHandoff()); }
                    deliver(*shared, names, path);
                },
                Qt::QueuedConnection);
        } catch (const std::exception &e) {
            NSLog(QStringLiteral("Error in PathWatcher watcherThread: %1")
                      .arg(QString::fromLocal8Bit(e.what())));
        }
    }
    if (const int error = queue.close())
        NSLog(QStringLiteral("PathWatcher watcherThread: Couldn't close main kqueue (%1)")
                  .arg(error));
}

void PathWatcher::deliver(const Shared &shared, const QStringList &names, const QString &path) {
    for (const QString &name : names) {
        PathWatcher *watcher = shared.owner;
        if (!watcher)
            return;
        PathWatcherDelegate *const delegate = watcher->delegate_;
        if (delegate)
            delegate->PathWatcherReceivedNotificationForPath(watcher, name, path);
        watcher = shared.owner; // the delegate may have destroyed the watcher
        if (!watcher)
            return;
        if (!delegate || watcher->alwaysPostNotifications_)
            NotificationCenter::workspace().postNotificationName(name, watcher,
                                                                 {{QStringLiteral("path"), path}});
    }
}
