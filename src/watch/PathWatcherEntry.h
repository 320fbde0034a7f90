// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

// One watched path: the path as the caller gave it, the descriptor that stands for it, and the
// change kinds (NOTE_* bits) subscribed for it. It owns the descriptor and closes it when it
// goes. It holds no link to a watcher and subscribes to nothing by itself.
class PathWatcherEntry {
public:
    // Null when the path cannot be opened (missing, not allowed, out of descriptors).
    static std::shared_ptr<PathWatcherEntry> create(const QString &path,
                                                    std::uint32_t subscriptionFlags);
    ~PathWatcherEntry();
    PathWatcherEntry(const PathWatcherEntry &) = delete;
    PathWatcherEntry &operator=(const PathWatcherEntry &) = delete;

    // Fixed at creation, so readable from any thread.
    QString path() const { return path_; }
    int watchedFD() const { return watchedFD_; }

    std::uint32_t subscriptionFlags() const { return subscriptionFlags_; }
    void setSubscriptionFlags(std::uint32_t flags) { subscriptionFlags_ = flags; }

    // Changes read but not yet delivered: the reading thread adds them (true when none were
    // waiting, so that one delivery must be queued) and the delivery takes them all.
    bool addPendingFlags(std::uint32_t flags) { return pendingFlags_.fetch_or(flags) == 0; }
    std::uint32_t takePendingFlags() { return pendingFlags_.exchange(0); }

private:
    PathWatcherEntry(const QString &path, int fd, std::uint32_t flags);

    const QString path_;
    const int watchedFD_;
    std::uint32_t subscriptionFlags_;
    std::atomic<std::uint32_t> pendingFlags_{0};
};
