// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathWatcher.h"

#include "Log.h"
#include "NotificationCenter.h"
#include "ThreadHandoff.h"

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
    const std::uint64_t id; // names the watcher in its deliveries
};

namespace {
std::atomic<std::uint64_t> nextWatcherId{1};

QEvent::Type deliveryEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// One entry's changes are waiting: posted to the application object by the watcher thread.
struct DeliveryEvent : QEvent {
    DeliveryEvent(std::uint64_t watcherId, std::shared_ptr<PathWatcherEntry> entry)
        : QEvent(deliveryEventType())
        , watcherId(watcherId)
        , entry(std::move(entry)) {}
    const std::uint64_t watcherId;
    const std::shared_ptr<PathWatcherEntry> entry;
};

} // namespace

// Takes this watcher's deliveries off the application object's queue, on the main thread. It
// outlives the watcher until the event loop runs again, since a delegate may destroy the
// watcher in the middle of a delivery.
class PathWatcher::Receiver : public QObject {
public:
    Receiver(PathWatcher *watcher, std::uint64_t id)
        : QObject(QCoreApplication::instance())
        , watcher(watcher)
        , id(id) {}
    PathWatcher *watcher; // null once the watcher is gone

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        ThreadHandoff::takenOver();
        if (event->type() != deliveryEventType())
            return false;
        const auto *delivery = static_cast<const DeliveryEvent *>(event);
        if (delivery->watcherId != id)
            return false; // another watcher's
        deliver(delivery->entry);
        return true;
    }

private:
    void deliver(const std::shared_ptr<PathWatcherEntry> &entry) {
        const std::uint32_t flags = entry->takePendingFlags();
        const QString path = entry->path();
        if (!watcher) // deliveries still queued when the watcher went are dropped
            return;
        for (const QString &name : notificationNamesForFlags(flags)) {
            PathWatcherDelegate *const delegate = watcher->delegate_;
            if (delegate)
                delegate->PathWatcherReceivedNotificationForPath(watcher, name, path);
            if (!watcher) // the delegate destroyed the watcher
                return;
            if (!delegate || watcher->alwaysPostNotifications_)
                NotificationCenter::workspace().postNotificationName(
                    name, watcher, {{QStringLiteral("path"), path}});
            if (!watcher)
                return;
        }
    }

    const std::uint64_t id;
};

std::unique_ptr<PathWatcher> PathWatcher::create() {
    auto queue = KernelQueue::create();
    if (!queue)
        return nullptr;
    return std::unique_ptr<PathWatcher>(new PathWatcher(std::move(queue)));
}

PathWatcher::PathWatcher(std::unique_ptr<KernelQueue> queue)
    : shared_(std::make_shared<Shared>(std::move(queue), false, nextWatcherId++))
    , receiver_(new Receiver(this, shared_->id)) {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(receiver_);
}

PathWatcher::~PathWatcher() {
    // The thread first: once it is joined it posts nothing more for the receiver.
    shared_->keepWatcherThreadRunning = false;
    shared_->queue->interrupt();
    removeAllPaths();
    if (thread_.joinable())
        thread_.join(); // the thread closes the queue as it ends
    receiver_->watcher = nullptr;
    if (QCoreApplication::instance())
        receiver_->deleteLater(); // it may be delivering right now
    else
        delete receiver_;
}

void PathWatcher::addPath(const QString &path) {
    addPath(path, NOTE_ALL);
}

void PathWatcher::addPath(const QString &path, std::uint32_t flags) {
    if (path.isNull())
        return;
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
    const auto it = watchedPathEntries_.find(path);
    if (it == watchedPathEntries_.end())
        return;
    // Before the descriptor can close: its number may be reused by the next path.
    shared_->queue->remove(it->second->watchedFD());
    watchedPathEntries_.erase(it);
}

void PathWatcher::removeAllPaths() {
    for (const auto &[path, entry] : watchedPathEntries_)
        shared_->queue->remove(entry->watchedFD());
    watchedPathEntries_.clear();
}

std::size_t PathWatcher::numberOfWatchedPaths() const {
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
            // While a delivery for this path is queued, it takes these changes too.
            if (!entry->addPendingFlags(events[0].fflags))
                continue;
            auto *delivery = new DeliveryEvent(shared->id, entry);
            ThreadHandoff::handedOver();
            QCoreApplication::postEvent(QCoreApplication::instance(), delivery);
        } catch (const std::exception &e) {
            NSLog(QStringLiteral("Error in PathWatcher watcherThread: %1")
                      .arg(QString::fromLocal8Bit(e.what())));
        }
    }
    if (const int error = queue.close())
        NSLog(QStringLiteral("PathWatcher watcherThread: Couldn't close main kqueue (%1)")
                  .arg(error));
}
