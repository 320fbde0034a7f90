// SPDX-License-Identifier: GPL-3.0-or-later
#include "KernelQueue.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

// Built on inotify. Each watch is added through its descriptor (/proc/self/fd/N), so it follows
// the object that was opened, not whatever the path names later.
//
// An open descriptor keeps a deleted folder's dentry alive, so inotify says nothing to the
// folder's own watch until the descriptor closes. A folder watch therefore also watches the
// parent folder and checks the link count whenever a folder leaves it.

namespace {
// The parent is watched with the same mask, so a folder can serve as both at once.
constexpr std::uint32_t folderMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr std::uint32_t fileMask = IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr std::uint32_t entryChanged = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

QByteArray procPath(int fd) {
    return "/proc/self/fd/" + QByteArray::number(fd);
}
} // namespace

struct KernelQueue::Watch {
    int ident;
    int wd;       // the object's own inotify watch; -1 once the system dropped it
    int parentWd; // a folder's parent, to see the folder deleted; -1 for files
    std::uint32_t fflags;
    bool isFolder;
    off_t size;
    nlink_t links;
    bool deleted; // reported once, however many events follow
    std::weak_ptr<void> udata;
};

std::unique_ptr<KernelQueue> KernelQueue::create() {
    UniqueFd inotifyFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    UniqueFd wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!inotifyFd.valid() || !wakeFd.valid())
        return nullptr;
    return std::unique_ptr<KernelQueue>(new KernelQueue(std::move(inotifyFd), std::move(wakeFd)));
}

KernelQueue::KernelQueue(UniqueFd inotifyFd, UniqueFd wakeFd)
    : inotifyFd_(inotifyFd.release())
    , wakeFd_(std::move(wakeFd)) {}

KernelQueue::~KernelQueue() {
    close();
}

int KernelQueue::openForEvents(const QByteArray &path) {
    // Non-blocking so that a FIFO does not wait for a writer; never read from.
    int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0 && (errno == EACCES || errno == EPERM))
        fd = ::open(path.constData(), O_PATH | O_CLOEXEC);
    return fd;
}

void KernelQueue::closeDescriptor(int fd) {
    if (fd >= 0)
        ::close(fd);
}

bool KernelQueue::add(int fd, std::uint32_t fflags, std::weak_ptr<void> udata) {
    struct stat st {};
    if (fstat(fd, &st) != 0)
        return false;
    const bool isFolder = S_ISDIR(st.st_mode);
    std::lock_guard lock(mutex_);
    if (inotifyFd_ < 0)
        return false;
    const int wd =
        inotify_add_watch(inotifyFd_, procPath(fd).constData(), isFolder ? folderMask : fileMask);
    if (wd < 0)
        return false;
    // Without the parent's watch a deleted folder is reported when its descriptor closes.
    const int parentWd =
        isFolder ? inotify_add_watch(inotifyFd_, (procPath(fd) + "/..").constData(), folderMask)
                 : -1;

    const Watch watch{fd,         wd,          parentWd, fflags,          isFolder,
                      st.st_size, st.st_nlink, false,    std::move(udata)};
    const auto it = std::ranges::find(watches_, fd, &Watch::ident);
    if (it == watches_.end()) {
        watches_.push_back(watch);
        return true;
    }
    const Watch old = std::exchange(*it, watch);
    for (const int oldWd : {old.wd, old.parentWd}) {
        if (oldWd >= 0 && !wdInUseLocked(oldWd))
            inotify_rm_watch(inotifyFd_, oldWd);
    }
    return true;
}

void KernelQueue::remove(int fd) {
    std::lock_guard lock(mutex_);
    const auto it = std::ranges::find(watches_, fd, &Watch::ident);
    if (it == watches_.end())
        return;
    const Watch old = *it;
    watches_.erase(it);
    std::erase_if(pending_, [fd](const Pending &p) { return p.ident == fd; });
    // Another watch on the same object (or the same parent) shares the inotify watch.
    for (const int oldWd : {old.wd, old.parentWd}) {
        if (oldWd >= 0 && !wdInUseLocked(oldWd))
            inotify_rm_watch(inotifyFd_, oldWd);
    }
}

bool KernelQueue::wdInUseLocked(int wd) const {
    return std::ranges::any_of(watches_,
                               [wd](const Watch &w) { return w.wd == wd || w.parentWd == wd; });
}

std::size_t KernelQueue::wait(std::span<KernelEvent> events, std::chrono::milliseconds timeout) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        int fd;
        {
            std::lock_guard lock(mutex_);
            if (inotifyFd_ < 0)
                return 0;
            readChangesLocked();
            if (!pending_.empty())
                return takeLocked(events);
            fd = inotifyFd_;
        }
        // Changes that concern no watch (a file's attributes inside a watched folder) wake us
        // too; keep waiting for the rest of the time.
        const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0)
            return 0;
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_.get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (ready < 0 && errno != EINTR)
            return 0;
        if (fds[1].revents & POLLIN) {
            std::uint64_t count;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd_.get(), &count, sizeof count);
            return 0;
        }
    }
}

void KernelQueue::interrupt() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_.get(), &one, sizeof one);
}

int KernelQueue::close() {
    std::lock_guard lock(mutex_);
    if (inotifyFd_ < 0)
        return 0;
    const int fd = std::exchange(inotifyFd_, -1);
    watches_.clear();
    pending_.clear();
    return ::close(fd) == 0 ? 0 : errno;
}

void KernelQueue::readChangesLocked() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(inotifyFd_, buffer, sizeof buffer);
        if (n <= 0)
            return; // EAGAIN: all read
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            translateLocked(event->wd, event->mask, event->len > 0);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void KernelQueue::translateLocked(int wd, std::uint32_t mask, bool aboutEntry) {
    if (mask & IN_Q_OVERFLOW) {
        // Changes were lost: every folder may have changed.
        for (const Watch &w : watches_) {
            if (w.isFolder)
                noteLocked(w.ident, NOTE_WRITE & w.fflags);
        }
        return;
    }
    if (mask & IN_IGNORED) {
        for (Watch &w : watches_) {
            if (w.wd == wd)
                w.wd = -1;
            if (w.parentWd == wd)
                w.parentWd = -1;
        }
        return;
    }
    for (Watch &w : watches_) {
        std::uint32_t notes = 0;
        struct stat st {};
        if (w.wd == wd && aboutEntry && (mask & entryChanged)) {
            notes |= NOTE_WRITE | ((mask & IN_ISDIR) ? NOTE_LINK : 0);
        } else if (w.wd == wd && !aboutEntry) {
            const bool statted = (mask & (IN_MODIFY | IN_ATTRIB)) && fstat(w.ident, &st) == 0;
            if (mask & IN_MODIFY) {
                notes |= NOTE_WRITE;
                if (statted && st.st_size > w.size)
                    notes |= NOTE_EXTEND;
                if (statted)
                    w.size = st.st_size;
            }
            if ((mask & IN_ATTRIB) && statted) {
                if (st.st_nlink == 0)
                    notes |= NOTE_DELETE;
                else if (!w.isFolder && st.st_nlink != w.links)
                    notes |= NOTE_LINK;
                else
                    notes |= NOTE_ATTRIB;
                w.links = st.st_nlink;
            }
            notes |= (mask & IN_DELETE_SELF) ? NOTE_DELETE : 0;
            notes |= (mask & IN_MOVE_SELF) ? NOTE_RENAME : 0;
            notes |= (mask & IN_UNMOUNT) ? NOTE_REVOKE : 0;
        }
        if (w.parentWd == wd && aboutEntry && (mask & IN_ISDIR) &&
            (mask & (IN_DELETE | IN_MOVED_TO)) && fstat(w.ident, &st) == 0 && st.st_nlink == 0)
            notes |= NOTE_DELETE;
        if (notes & NOTE_DELETE) {
            if (w.deleted)
                notes &= ~NOTE_DELETE;
            w.deleted = true;
        }
        noteLocked(w.ident, notes & w.fflags);
    }
}

void KernelQueue::noteLocked(int ident, std::uint32_t fflags) {
    if (fflags == 0)
        return;
    const auto it = std::ranges::find(pending_, ident, &Pending::ident);
    if (it != pending_.end())
        it->fflags |= fflags;
    else
        pending_.push_back({ident, fflags});
}

std::size_t KernelQueue::takeLocked(std::span<KernelEvent> events) {
    const std::size_t count = std::min(events.size(), pending_.size());
    for (std::size_t i = 0; i < count; ++i) {
        const auto watch = std::ranges::find(watches_, pending_[i].ident, &Watch::ident);
        events[i] = {pending_[i].ident, pending_[i].fflags,
                     watch != watches_.end() ? watch->udata : std::weak_ptr<void>()};
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}
