// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Work handed from a thread to the main thread goes through Qt's event queue, whose locks
// ThreadSanitizer cannot see (Qt is not built with it). handedOver() after making what is
// handed over, takenOver() before reading it, tell ThreadSanitizer of that order. One address
// for every hand-over: a receiver takes over before it reads an event's type. Nothing in other
// builds.
#if defined(__SANITIZE_THREAD__)
#define QUILLMERE_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUILLMERE_TSAN 1
#endif
#endif

#ifdef QUILLMERE_TSAN
extern "C" void __tsan_acquire(void *addr);
extern "C" void __tsan_release(void *addr);
namespace ThreadHandoff {
inline char address;
inline void handedOver() {
    __tsan_release(&address);
}
inline void takenOver() {
    __tsan_acquire(&address);
}
} // namespace ThreadHandoff
#else
namespace ThreadHandoff {
inline void handedOver() {}
inline void takenOver() {}
} // namespace ThreadHandoff
#endif
