// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathWatcherEntry.h"

#include "KernelQueue.h"

#include <QFile>

std::shared_ptr<PathWatcherEntry> PathWatcherEntry::create(const QString &path,
                                                           std::uint32_t subscriptionFlags) {
    const int fd = KernelQueue::openForEvents(QFile::encodeName(path));
    if (fd < 0)
        return nullptr;
    return std::shared_ptr<PathWatcherEntry>(new PathWatcherEntry(path, fd, subscriptionFlags));
}

PathWatcherEntry::PathWatcherEntry(const QString &path, int fd, std::uint32_t flags)
    : path_(path)
    , watchedFD_(fd)
    , subscriptionFlags_(flags) {}

PathWatcherEntry::~PathWatcherEntry() {
    KernelQueue::closeDescriptor(watchedFD_);
}
