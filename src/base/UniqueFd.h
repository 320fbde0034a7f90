// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

// A file descriptor closed when it goes out of scope. Moves, never copies.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1)
        : fd_(fd) {}
    UniqueFd(UniqueFd &&other) noexcept
        : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives the descriptor up to the caller, who closes it.
    int release() { return std::exchange(fd_, -1); }
    // Closes now and says what close said (0, or errno: a late write error on some file systems).
    int close() {
        if (fd_ < 0)
            return 0;
        return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
    }

private:
    int fd_;
};
