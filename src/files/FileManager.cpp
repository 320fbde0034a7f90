// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileManager.h"

#include "Failure.h"
#include "UniqueFd.h"

#include "Log.h"

#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <string>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
std::function<void(const QByteArray &)> &beforeCommitHook() {
    static std::function<void(const QByteArray &)> hook;
    return hook;
}

// A directory stream over a descriptor of ours; closed when it goes out of scope.
class Directory {
public:
    explicit Directory(int fd)
        : dir_(fd >= 0 ? fdopendir(fd) : nullptr) {
        if (!dir_ && fd >= 0)
            ::close(fd);
    }
    Directory(const Directory &) = delete;
    Directory &operator=(const Directory &) = delete;
    ~Directory() {
        if (dir_)
            closedir(dir_);
    }
    bool valid() const { return dir_ != nullptr; }
    int fd() const { return dirfd(dir_); }
    // The next name other than "." and ".."; null at the end or on an error (then `error` is set).
    const char *next(int *error) {
        for (;;) {
            errno = 0;
            const dirent *entry = readdir(dir_);
            if (!entry) {
                *error = errno;
                return nullptr;
            }
            const char *n = entry->d_name;
            if (!(n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))))
                return n;
        }
    }

private:
    DIR *dir_;
};

// Failures of our own, beside errno values.
constexpr int kOpenElsewhere = 0x10001; // another program has a file open: it may still write
constexpr int kChanged = 0x10002;       // the source changed while it was copied

QString moveErrorText(int error) {
    switch (error) {
    case kOpenElsewhere:
        return QStringLiteral("it is open in another program; left it for the next change");
    case kChanged:
        return QStringLiteral("it changed while it was copied; left it as it is");
    default:
        return errorText(error);
    }
}

bool moveFailed(QString *error, const QByteArray &source, const QByteArray &target, int errorCode) {
    return fail(error,
                QStringLiteral("Could not move %1 to %2: %3")
                    .arg(readableName(source), readableName(target), moveErrorText(errorCode)));
}

// A path is handed to the kernel as a C string: an embedded NUL would silently name another file.
bool usablePath(const QByteArray &path) {
    return !path.isEmpty() && !path.contains('\0');
}

struct SplitPath {
    QByteArray parent;
    QByteArray name;
};

// "/a/b/c/" → {"/a/b", "c"}; "c" → {".", "c"}; "/c" → {"/", "c"}.
std::optional<SplitPath> splitPath(QByteArray path) {
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf('/');
    SplitPath split{slash < 0 ? QByteArray(".") : path.left(slash == 0 ? 1 : slash),
                    path.mid(slash + 1)};
    if (split.name.isEmpty() || split.name == "." || split.name == "..")
        return std::nullopt;
    return split;
}

int openDirectory(int dirFd, const char *name) {
    return openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// What a source entry was when it was copied. Any difference later (another file renamed over
// it, a write, a change of mode, an entry added to or removed from a folder) means the copy no
// longer is the entry. The access time is left out: copying reads.
struct Signature {
    ino_t inode;
    mode_t mode;
    off_t size;
    timespec modified, changed;

    explicit Signature(const struct stat &st)
        : inode(st.st_ino)
        , mode(st.st_mode)
        , size(st.st_size)
        , modified(st.st_mtim)
        , changed(st.st_ctim) {}
    bool operator==(const Signature &other) const {
        return sameContent(other) && mode == other.mode && same(changed, other.changed);
    }
    bool sameContent(const Signature &other) const {
        return inode == other.inode && size == other.size && same(modified, other.modified);
    }

private:
    static bool same(timespec a, timespec b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }
};

// Every entry of a copied item as it was copied, by its path inside the item ("" is the item).
using Snapshot = std::map<std::string, Signature>;

std::string childPath(const std::string &parent, const char *name) {
    return parent.empty() ? std::string(name) : parent + '/' + name;
}

// A write lease is granted only while no one else has the file open, and is broken when someone
// opens it: held while a file is copied, it tells whether the copy can stand for the file. The
// kernel signals a break with SIGIO, whose default would end the program, unless F_SETSIG names
// another signal: SIGURG, which is ignored unless handled, and nothing here handles it. The lease
// is watched with F_GETLEASE instead. Returns 0 (`held` tells whether a lease was granted: not
// for a file of another owner without CAP_LEASE, nor on a file system without leases; such a file
// relies on the other checks) or kOpenElsewhere.
int takeWriteLease(int fd, bool *held) {
    *held = fcntl(fd, F_SETSIG, SIGURG) == 0 && fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
    return !*held && errno == EAGAIN ? kOpenElsewhere : 0;
}

bool leaseBroken(int fd) {
    return fcntl(fd, F_GETLEASE) != F_WRLCK;
}

int copyItem(int srcDir, const char *srcName, const struct stat &st, int dstDir,
             const char *dstName, bool *created, Snapshot *seen, const std::string &path);

// One way of copying data, step by step to the end: 0 at the end, an errno value when it failed
// after data moved or in a way `fallsBack` does not accept, -1 when the next way should try,
// kOpenElsewhere when the lease on `leased` broke.
template <typename Step, typename FallsBack>
int copyWith(Step step, FallsBack fallsBack, off_t *copied, int leased) {
    for (;;) {
        const ssize_t n = step();
        if (n > 0) {
            *copied += n;
            if (leased >= 0 && leaseBroken(leased))
                return kOpenElsewhere;
            continue;
        }
        if (n == 0)
            return 0;
        if (errno == EINTR)
            continue;
        return *copied > 0 || !fallsBack(errno) ? errno : -1;
    }
}

// Data from `in` to `out` up to the end of `in`: in the kernel where it can (copy_file_range,
// then sendfile), else through a buffer. Between steps, whether the lease that `in` holds
// (when `leased`) still stands, so that a program opening the file waits one step at most.
// Returns 0, an errno value or kOpenElsewhere.
int copyData(int in, int out, off_t *copied, bool leased) {
    constexpr size_t chunk = size_t(8) << 20;
    const int lease = leased ? in : -1;
    *copied = 0;
    int result = copyWith([&] { return copy_file_range(in, nullptr, out, nullptr, chunk, 0); },
                          [](int e) {
                              return e == EXDEV || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP ||
                                     e == EBADF;
                          },
                          copied, lease);
    if (result >= 0)
        return result;
    result = copyWith([&] { return sendfile(out, in, nullptr, chunk); },
                      [](int e) { return e == EINVAL || e == ENOSYS; }, copied, lease);
    if (result >= 0)
        return result;
    std::vector<char> buffer(256 * 1024);
    for (;;) {
        if (lease >= 0 && leaseBroken(lease))
            return kOpenElsewhere;
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(out, buffer.data() + done, size_t(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += w;
        }
        *copied += n;
    }
}

// Owner (where allowed), then mode (after the owner: a change of owner clears set-id bits),
// then times, of an entry that is not a symbolic link.
int copyAttributes(int fd, const struct stat &st) {
    if (fchown(fd, st.st_uid, st.st_gid) != 0 && errno != EPERM)
        return errno;
    if (fchmod(fd, st.st_mode & 07777) != 0)
        return errno;
    const timespec times[2] = {st.st_atim, st.st_mtim};
    return futimens(fd, times) == 0 ? 0 : errno;
}

// A regular file, copied under a write lease. `leased`, when given, receives the source's
// descriptor, lease and all, for the caller to check again before the source is removed (a file
// inside a folder is closed here, and its lease ends with it).
int copyFile(int srcDir, const char *srcName, int dstDir, const char *dstName, bool *created,
             Snapshot *seen, const std::string &path, UniqueFd *leased) {
    // Without blocking: a FIFO put in its place since it was listed opens at once, and is refused.
    UniqueFd in(openat(srcDir, srcName, O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!in.valid())
        return errno;
    struct stat before;
    if (fstat(in.get(), &before) != 0)
        return errno;
    if (!S_ISREG(before.st_mode))
        return kChanged; // replaced by something else since it was listed
    bool held = false;
    if (const int e = takeWriteLease(in.get(), &held))
        return e;
    UniqueFd out(
        openat(dstDir, dstName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.valid())
        return errno;
    *created = true;
    off_t copied = 0;
    if (const int e = copyData(in.get(), out.get(), &copied, held))
        return e;
    // The copy counts only if the source stood still while it was read.
    struct stat after;
    if (fstat(in.get(), &after) != 0)
        return errno;
    if (copied != before.st_size || !(Signature(after) == Signature(before)))
        return kChanged;
    if (const int e = copyAttributes(out.get(), before))
        return e;
    if (fsync(out.get()) != 0)
        return errno;
    if (held && leaseBroken(in.get()))
        return kOpenElsewhere;
    seen->insert_or_assign(path, Signature(before));
    if (leased && held)
        *leased = std::move(in);
    return out.close();
}

int copyDirectory(int srcDir, const char *srcName, const struct stat &st, int dstDir,
                  const char *dstName, bool *created, Snapshot *seen, const std::string &path) {
    Directory in(openDirectory(srcDir, srcName));
    if (!in.valid())
        return errno;
    // Before its entries are read: one added or removed later changes the folder's times.
    struct stat opened;
    if (fstat(in.fd(), &opened) != 0)
        return errno;
    seen->insert_or_assign(path, Signature(opened));
    if (mkdirat(dstDir, dstName, 0700) != 0)
        return errno;
    *created = true;
    UniqueFd out(openDirectory(dstDir, dstName));
    if (!out.valid())
        return errno;
    int readError = 0;
    bool first = true;
    while (const char *name = in.next(&readError)) {
        // Every entry must be removable from the source once the copy is complete.
        if (std::exchange(first, false) && faccessat(in.fd(), ".", W_OK | X_OK, AT_EACCESS) != 0)
            return errno;
        struct stat child;
        if (fstatat(in.fd(), name, &child, AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
        bool childCreated = false;
        if (const int e = copyItem(in.fd(), name, child, out.get(), name, &childCreated, seen,
                                   childPath(path, name)))
            return e;
    }
    if (readError)
        return readError;
    if (const int e = copyAttributes(out.get(), st))
        return e;
    return fsync(out.get()) == 0 ? 0 : errno;
}

int copySymbolicLink(int srcDir, const char *srcName, const struct stat &st, int dstDir,
                     const char *dstName, bool *created) {
    std::vector<char> text(size_t(st.st_size) + 2);
    for (;;) {
        const ssize_t n = readlinkat(srcDir, srcName, text.data(), text.size());
        if (n < 0)
            return errno;
        if (size_t(n) < text.size()) {
            text[size_t(n)] = '\0';
            break;
        }
        text.resize(text.size() * 2); // it grew since it was listed
    }
    if (symlinkat(text.data(), dstDir, dstName) != 0)
        return errno;
    *created = true;
    if (fchownat(dstDir, dstName, st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW) != 0 && errno != EPERM)
        return errno;
    const timespec times[2] = {st.st_atim, st.st_mtim};
    return utimensat(dstDir, dstName, times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

// FIFOs, sockets and device nodes: the node itself, never what it leads to.
int copySpecial(int srcDir, const char *srcName, const struct stat &st, int dstDir,
                const char *dstName, bool *created) {
    (void)srcDir;
    (void)srcName;
    if (mknodat(dstDir, dstName, (st.st_mode & S_IFMT) | 0600, st.st_rdev) != 0)
        return errno;
    *created = true;
    if (fchownat(dstDir, dstName, st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW) != 0 && errno != EPERM)
        return errno;
    if (fchmodat(dstDir, dstName, st.st_mode & 07777, 0) != 0)
        return errno;
    const timespec times[2] = {st.st_atim, st.st_mtim};
    return utimensat(dstDir, dstName, times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

// Copies one entry (recursively for a folder), noting in `seen` what each entry was when it was
// copied. `created` tells whether anything was made at dstName, so that a failure knows whether
// there is a partial copy to remove.
int copyItem(int srcDir, const char *srcName, const struct stat &st, int dstDir,
             const char *dstName, bool *created, Snapshot *seen, const std::string &path) {
    switch (st.st_mode & S_IFMT) {
    case S_IFREG:
        return copyFile(srcDir, srcName, dstDir, dstName, created, seen, path, nullptr);
    case S_IFDIR:
        return copyDirectory(srcDir, srcName, st, dstDir, dstName, created, seen, path);
    case S_IFLNK:
        seen->insert_or_assign(path, Signature(st));
        return copySymbolicLink(srcDir, srcName, st, dstDir, dstName, created);
    default:
        seen->insert_or_assign(path, Signature(st));
        return copySpecial(srcDir, srcName, st, dstDir, dstName, created);
    }
}

// 0 when the source at `name` still is what was copied: the same entries, each as it was, and
// no file in it open elsewhere (its lease can be taken). Else kChanged, kOpenElsewhere or an
// errno value. `count` adds up the entries met, to tell an entry removed since.
int entriesAsCopied(int dirFd, const char *name, const Snapshot &seen, const std::string &path,
                    size_t *count) {
    struct stat st;
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? kChanged : errno;
    const auto it = seen.find(path);
    if (it == seen.end() || !(it->second == Signature(st)))
        return kChanged;
    ++*count;
    if (S_ISREG(st.st_mode)) {
        UniqueFd file(
            openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        bool held = false;
        return file.valid() ? takeWriteLease(file.get(), &held) : errno;
    }
    if (!S_ISDIR(st.st_mode))
        return 0;
    Directory dir(openDirectory(dirFd, name));
    if (!dir.valid())
        return errno;
    int readError = 0;
    while (const char *child = dir.next(&readError))
        if (const int e = entriesAsCopied(dir.fd(), child, seen, childPath(path, child), count))
            return e;
    return readError;
}

// The same for the moved item as a whole. A moved file whose lease is `leased` is not opened
// again: that would break its own lease.
int stillAsCopied(int dirFd, const char *name, const Snapshot &seen, const UniqueFd &leased) {
    if (leased.valid()) {
        struct stat st;
        if (leaseBroken(leased.get()))
            return kOpenElsewhere;
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? kChanged : errno;
        return seen.at({}) == Signature(st) ? 0 : kChanged;
    }
    size_t count = 0;
    const int e = entriesAsCopied(dirFd, name, seen, {}, &count);
    return e ? e : count == seen.size() ? 0 : kChanged;
}

// Removes a partial copy of ours. Its folders may already carry a read-only mode taken from
// the source, so each is made writable before it is emptied.
int removeCopy(int dirFd, const char *name) {
    if (unlinkat(dirFd, name, 0) == 0 || errno == ENOENT)
        return 0;
    if (errno != EISDIR)
        return errno;
    int firstError = 0;
    {
        Directory dir(openDirectory(dirFd, name));
        if (!dir.valid())
            return errno;
        fchmod(dir.fd(), 0700);
        int readError = 0;
        while (const char *child = dir.next(&readError)) {
            if (const int e = removeCopy(dir.fd(), child); e && !firstError)
                firstError = e;
        }
        if (readError && !firstError)
            firstError = readError;
    }
    if (unlinkat(dirFd, name, AT_REMOVEDIR) != 0 && !firstError)
        firstError = errno;
    return firstError;
}

// Removes from the source what the finished copy holds, entry by entry, so that anything added
// to a source folder while it was being copied stays (its folder then stays too), and so does
// anything that changed since it was copied.
int removeSourceAlongCopy(int srcDir, const char *name, int copyDir, const Snapshot &seen,
                          const std::string &path) {
    struct stat st;
    if (fstatat(srcDir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : errno;
    // The same entry with the same content: a folder's own times change as it is emptied, and
    // a file's change time when another of its names goes.
    const auto it = seen.find(path);
    if (it == seen.end() || it->second.inode != st.st_ino ||
        (!S_ISDIR(st.st_mode) && !it->second.sameContent(Signature(st))))
        return kChanged;
    if (!S_ISDIR(st.st_mode))
        return unlinkat(srcDir, name, 0) == 0 || errno == ENOENT ? 0 : errno;
    UniqueFd source(openDirectory(srcDir, name));
    Directory copy(openDirectory(copyDir, name));
    if (!source.valid() || !copy.valid())
        return errno;
    int readError = 0;
    while (const char *child = copy.next(&readError)) {
        if (const int e =
                removeSourceAlongCopy(source.get(), child, copy.fd(), seen, childPath(path, child)))
            return e;
    }
    if (readError)
        return readError;
    return unlinkat(srcDir, name, AT_REMOVEDIR) == 0 ? 0 : errno;
}

// Whether the folder `dirFd` is `ancestor` or lies inside it (following ".." up to the root).
bool liesInside(int dirFd, const struct stat &ancestor) {
    UniqueFd current(dup(dirFd));
    for (int depth = 0; depth < 4096 && current.valid(); ++depth) {
        struct stat here;
        if (fstat(current.get(), &here) != 0)
            return true;
        if (here.st_dev == ancestor.st_dev && here.st_ino == ancestor.st_ino)
            return true;
        UniqueFd parent(openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat up;
        if (!parent.valid() || fstat(parent.get(), &up) != 0)
            return true;
        if (up.st_dev == here.st_dev && up.st_ino == here.st_ino)
            return false; // reached the root
        current = std::move(parent);
    }
    return true; // cannot tell: treat it as inside and refuse
}

QByteArray temporaryName() {
    return ".quillmere-move-" +
           QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
}

bool moveAcrossFileSystems(const QByteArray &source, const QByteArray &target, QString *error,
                           const FileManager::MoveSteps &steps) {
    const auto from = splitPath(source);
    const auto to = splitPath(target);
    if (!from || !to)
        return moveFailed(error, source, target, EINVAL);
    UniqueFd srcDir(openat(AT_FDCWD, from->parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!srcDir.valid())
        return moveFailed(error, source, target, errno);
    UniqueFd dstDir(openat(AT_FDCWD, to->parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dstDir.valid())
        return moveFailed(error, source, target, errno);
    struct stat st;
    if (fstatat(srcDir.get(), from->name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return moveFailed(error, source, target, errno);
    struct stat existing;
    if (fstatat(dstDir.get(), to->name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
        return moveFailed(error, source, target, EEXIST);
    if (faccessat(srcDir.get(), ".", W_OK | X_OK, AT_EACCESS) != 0)
        return moveFailed(error, source, target, errno);
    if (S_ISDIR(st.st_mode) && liesInside(dstDir.get(), st))
        return moveFailed(error, source, target, EINVAL);

    // A moved file keeps its descriptor, and so its lease, until the original is gone.
    UniqueFd leased;
    Snapshot seen;
    QByteArray temporary;
    int copyError = EEXIST;
    for (int attempt = 0; attempt < 16 && copyError == EEXIST; ++attempt) {
        temporary = temporaryName();
        if (steps)
            steps(FileManager::MoveStep::CopyStarting, temporary);
        bool created = false;
        copyError = S_ISREG(st.st_mode)
                        ? copyFile(srcDir.get(), from->name.constData(), dstDir.get(),
                                   temporary.constData(), &created, &seen, {}, &leased)
                        : copyItem(srcDir.get(), from->name.constData(), st, dstDir.get(),
                                   temporary.constData(), &created, &seen, {});
        if (copyError && created) {
            removeCopy(dstDir.get(), temporary.constData());
            return moveFailed(error, source, target, copyError);
        }
    }
    if (copyError)
        return moveFailed(error, source, target, copyError);

    if (beforeCommitHook())
        beforeCommitHook()(target);
    // Anything that changed while the copy was made, or a file someone opened meanwhile,
    // discards the copy and leaves the original whole.
    if (const int e = stillAsCopied(srcDir.get(), from->name.constData(), seen, leased)) {
        removeCopy(dstDir.get(), temporary.constData());
        return moveFailed(error, source, target, e);
    }
    if (renameat2(dstDir.get(), temporary.constData(), dstDir.get(), to->name.constData(),
                  RENAME_NOREPLACE) != 0) {
        const int e = errno;
        removeCopy(dstDir.get(), temporary.constData());
        return moveFailed(error, source, target, e);
    }
    fsync(dstDir.get());
    // A file opened while the copy was flushed: its copy goes again, before anything is lost.
    if (leased.valid()) {
        if (const int e = stillAsCopied(srcDir.get(), from->name.constData(), seen, leased)) {
            removeCopy(dstDir.get(), to->name.constData());
            return moveFailed(error, source, target, e);
        }
    }
    // From here the whole item is safe at the target; a source that cannot be fully removed
    // leaves the rest of it in place.
    if (steps)
        steps(FileManager::MoveStep::CopyPlaced, temporary);
    if (const int e =
            removeSourceAlongCopy(srcDir.get(), from->name.constData(), dstDir.get(), seen, {})) {
        return fail(error, QStringLiteral("Moved %1 to %2 but could not remove all of the "
                                          "original: %3")
                               .arg(readableName(source), readableName(target), moveErrorText(e)));
    }
    fsync(srcDir.get());
    return true;
}

// Whether two regular files hold the same bytes.
bool sameBytes(int aDir, const char *aName, int bDir, const char *bName) {
    UniqueFd a(openat(aDir, aName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    UniqueFd b(openat(bDir, bName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!a.valid() || !b.valid())
        return false;
    std::vector<char> x(1 << 16), y(1 << 16);
    for (;;) {
        const ssize_t n = read(a.get(), x.data(), x.size());
        if (n < 0 || read(b.get(), y.data(), size_t(n)) != n)
            return false;
        if (n == 0)
            return true;
        if (std::memcmp(x.data(), y.data(), size_t(n)) != 0)
            return false;
    }
}

// Whether `aName` in `aDir` (with status `a`) equals `bName` in `bDir` as a copy of ours does:
// the same type, and for a file the same size, modification time and bytes; for a link the same
// target. Folders are equal by type: their entries are compared one by one.
bool sameEntry(int aDir, const char *aName, const struct stat &a, int bDir, const char *bName) {
    struct stat b;
    if (fstatat(bDir, bName, &b, AT_SYMLINK_NOFOLLOW) != 0 ||
        (a.st_mode & S_IFMT) != (b.st_mode & S_IFMT))
        return false;
    if (S_ISREG(a.st_mode))
        return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
               a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && sameBytes(aDir, aName, bDir, bName);
    if (S_ISLNK(a.st_mode)) {
        char x[PATH_MAX], y[PATH_MAX];
        const ssize_t n = readlinkat(aDir, aName, x, sizeof x);
        return n >= 0 && readlinkat(bDir, bName, y, sizeof y) == n &&
               std::memcmp(x, y, size_t(n)) == 0;
    }
    return S_ISDIR(a.st_mode) || a.st_rdev == b.st_rdev;
}

// Removes from `name` in `removeDir` every entry that equals its counterpart under `keepName` in
// `keepDir`, and folders once they are empty. An entry without an equal counterpart stays, and
// so does its folder.
void removeWhereEqual(int removeDir, const char *name, int keepDir, const char *keepName,
                      int *removed, int *kept) {
    struct stat st;
    if (fstatat(removeDir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (!sameEntry(removeDir, name, st, keepDir, keepName)) {
        ++*kept;
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        Directory dir(openDirectory(removeDir, name));
        UniqueFd keep(openDirectory(keepDir, keepName));
        if (!dir.valid() || !keep.valid()) {
            ++*kept;
            return;
        }
        int readError = 0;
        while (const char *child = dir.next(&readError))
            removeWhereEqual(dir.fd(), child, keep.get(), child, removed, kept);
    }
    if (unlinkat(removeDir, name, S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) == 0)
        ++*removed;
}
} // namespace

QList<QByteArray> FileManager::contentsOfDirectoryAtPath(const QByteArray &path) {
    QList<QByteArray> names;
    if (!usablePath(path))
        return names;
    Directory dir(openat(AT_FDCWD, path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid())
        return names;
    int readError = 0;
    while (const char *name = dir.next(&readError))
        names.append(QByteArray(name));
    return names;
}

bool FileManager::fileExistsAtPath(const QByteArray &path, bool *isDirectory) {
    struct stat st;
    const bool exists = usablePath(path) && stat(path.constData(), &st) == 0;
    if (isDirectory)
        *isDirectory = exists && S_ISDIR(st.st_mode);
    return exists;
}

bool FileManager::createDirectoryAtPath(const QByteArray &path, QString *error) {
    const int result = usablePath(path) ? mkdir(path.constData(), 0777) : (errno = EINVAL, -1);
    if (result != 0) {
        const int e = errno;
        return fail(error, QStringLiteral("Could not create the folder %1: %2")
                               .arg(readableName(path), moveErrorText(e)));
    }
    if (error)
        *error = QString();
    return true;
}

bool FileManager::moveItemAtPath(const QByteArray &source, const QByteArray &target, QString *error,
                                 const MoveSteps &steps) {
    if (!usablePath(source) || !usablePath(target))
        return moveFailed(error, source, target, EINVAL);
    if (renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno == EXDEV)
        return moveAcrossFileSystems(source, target, error, steps);
    return moveFailed(error, source, target, errno);
}

bool FileManager::finishInterruptedMove(const QByteArray &source, const QByteArray &target,
                                        MoveStep step, const QByteArray &temporaryName,
                                        QString *outcome) {
    const auto from = splitPath(source);
    const auto to = splitPath(target);
    if (!from || !to || temporaryName.isEmpty() || temporaryName.contains('/'))
        return fail(outcome, QStringLiteral("An interrupted move of %1 names no usable paths")
                                 .arg(readableName(source)));
    UniqueFd srcDir(openat(AT_FDCWD, from->parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    UniqueFd dstDir(openat(AT_FDCWD, to->parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!srcDir.valid() || !dstDir.valid()) {
        const int e = errno;
        return fail(outcome,
                    QStringLiteral("Could not finish the interrupted move of %1 to %2: %3")
                        .arg(readableName(source), readableName(target), moveErrorText(e)));
    }
    struct stat st;
    const bool sourceThere =
        fstatat(srcDir.get(), from->name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    int removed = 0, kept = 0;
    if (step == MoveStep::CopyPlaced) {
        removeWhereEqual(srcDir.get(), from->name.constData(), dstDir.get(), to->name.constData(),
                         &removed, &kept);
        *outcome = kept ? QStringLiteral("Finished the interrupted move of %1 to %2; %3 entries of "
                                         "the original differ from the copy and stay")
                              .arg(readableName(source), readableName(target))
                              .arg(kept)
                        : QStringLiteral("Finished the interrupted move of %1 to %2")
                              .arg(readableName(source), readableName(target));
        return true;
    }
    if (!sourceThere) {
        *outcome = QStringLiteral("The interrupted move of %1 to %2 left its copy in place: the "
                                  "original is gone")
                       .arg(readableName(source), readableName(target));
        return true;
    }
    struct stat partial;
    if (fstatat(dstDir.get(), temporaryName.constData(), &partial, AT_SYMLINK_NOFOLLOW) == 0) {
        if (const int e = removeCopy(dstDir.get(), temporaryName.constData()))
            return fail(outcome,
                        QStringLiteral("Could not remove the partial copy %1: %2")
                            .arg(readableName(to->parent + '/' + temporaryName), moveErrorText(e)));
        *outcome = QStringLiteral("Removed the partial copy of %1; the original stays")
                       .arg(readableName(source));
        return true;
    }
    // The copy was renamed into place but the original never began to go: the original stays.
    removeWhereEqual(dstDir.get(), to->name.constData(), srcDir.get(), from->name.constData(),
                     &removed, &kept);
    *outcome = removed
                   ? QStringLiteral("Removed the copy of %1 at %2 that an interrupted move left; "
                                    "the original stays")
                         .arg(readableName(source), readableName(target))
                   : QStringLiteral("The interrupted move of %1 left nothing to finish")
                         .arg(readableName(source));
    return true;
}

void FileManager::setBeforeCommitHookForTesting(std::function<void(const QByteArray &)> hook) {
    beforeCommitHook() = std::move(hook);
}
