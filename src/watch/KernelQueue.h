// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UniqueFd.h"

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

// The kinds of change a watch reports, as bits of KernelEvent::fflags and of a subscription.
inline constexpr std::uint32_t NOTE_DELETE = 0x01; // the watched object was deleted
inline constexpr std::uint32_t NOTE_WRITE = 0x02;  // a file written; a folder's entries changed
inline constexpr std::uint32_t NOTE_EXTEND = 0x04; // a file grew
inline constexpr std::uint32_t NOTE_ATTRIB = 0x08; // its attributes changed
inline constexpr std::uint32_t NOTE_LINK = 0x10;   // its link count changed
inline constexpr std::uint32_t NOTE_RENAME = 0x20; // it was moved or renamed
inline constexpr std::uint32_t NOTE_REVOKE = 0x40; // its filesystem went away
inline constexpr std::uint32_t NOTE_ALL = 0x7F;

// One report for one watch: every change since the watch was last reported, merged.
struct KernelEvent {
    int ident = -1;            // the descriptor the watch was added with
    std::uint32_t fflags = 0;  // NOTE_* bits, only those subscribed
    std::weak_ptr<void> udata; // what the watch was added with
};

// A queue of file-system change reports, one watch per open descriptor. Changes that happen
// between two waits arrive as one event per watch. Safe to use from two threads: one that adds
// and removes watches, one that waits. It does not know about paths or notifications; callers
// keep the descriptors (openForEvents) and remove a watch before closing its descriptor.
class KernelQueue {
public:
    // Null when the system refuses another queue (its limit on queues or descriptors).
    static std::unique_ptr<KernelQueue> create();
    ~KernelQueue();
    KernelQueue(const KernelQueue &) = delete;
    KernelQueue &operator=(const KernelQueue &) = delete;

    // A descriptor that stands for the file-system object at `path`, for watching only;
    // -1 when it cannot be opened (missing, not allowed, out of descriptors).
    static int openForEvents(const QByteArray &path);
    static void closeDescriptor(int fd);

    // Watches the object open on `fd` for the NOTE_* bits in `fflags`. Adding a descriptor that
    // is watched already replaces its flags and user data. False when the object cannot be
    // watched (the system's limit on watches, no permission); nothing is added then.
    bool add(int fd, std::uint32_t fflags, std::weak_ptr<void> udata);
    // Ends the watch; changes not yet reported for it are dropped. Unknown descriptors are fine.
    void remove(int fd);

    // Waits up to `timeout` for changes and fills at most events.size() slots, one per watch,
    // in the order the watches first changed; the rest stay for the next wait. Returns the
    // number filled: 0 when the time ran out or interrupt() was called.
    std::size_t wait(std::span<KernelEvent> events, std::chrono::milliseconds timeout);
    // Ends a wait in progress (or the next one) early; callable from any thread.
    void interrupt();

    // Closes the queue: later waits return 0 at once. 0, or the error number when the system
    // could not close it. The destructor closes it too.
    int close();

private:
    struct Watch;
    struct Pending {
        int ident;
        std::uint32_t fflags;
    };
    KernelQueue(UniqueFd inotifyFd, UniqueFd wakeFd);
    void readChangesLocked();
    void translateLocked(int wd, std::uint32_t mask, bool aboutEntry);
    void noteLocked(int ident, std::uint32_t fflags);
    std::size_t takeLocked(std::span<KernelEvent> events);
    bool wdInUseLocked(int wd) const;

    std::mutex mutex_;
    int inotifyFd_;
    const UniqueFd wakeFd_;
    std::vector<Watch> watches_;
    std::vector<Pending> pending_;
};
