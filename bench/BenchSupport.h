// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Alerts.h"
#include "FileManager.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

// Small helpers shared by the benchmarks: a throw-away HOME, files made and put back outside
// the timed part, the best of a few timed runs, and one line per figure.
namespace bench {

inline bool smallSizes(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--small") == 0)
            return true;
    return false;
}

// HOME (with its XDG folders, Desktop and Documents) in a fresh folder under `parent`.
class Home {
public:
    explicit Home(const QString &parent)
        : dir_(parent + QStringLiteral("/quillmere-bench-XXXXXX")) {
        const QByteArray home = QFile::encodeName(dir_.path());
        qputenv("HOME", home);
        qputenv("XDG_CONFIG_HOME", home + "/.config");
        qputenv("XDG_DATA_HOME", home + "/.local/share");
        for (const char *sub : {"Desktop", "Documents", ".config", ".local/share"})
            QDir(dir_.path()).mkpath(QString::fromLatin1(sub));
    }
    QString path() const { return dir_.path(); }
    QString desktop() const { return path() + QStringLiteral("/Desktop"); }
    QString documents() const { return path() + QStringLiteral("/Documents"); }

private:
    QTemporaryDir dir_;
};

// A clean that raises an alert did not do the work being measured (and a benchmark has no
// window to show it in): say what it was and stop.
inline void stopOnAlerts() {
    Alerts::setPresenterForTesting([](const Alert &alert) {
        std::fprintf(stderr, "stopped by an alert: %s %s\n", qPrintable(alert.title),
                     qPrintable(alert.message));
        std::exit(1);
        return 0;
    });
}

inline QByteArray native(const QString &path) {
    return QFile::encodeName(path);
}

// The most any benchmark creates; a request beyond it is a fault (a size read from a dead
// temporary once asked for 248 million files), so the benchmark stops before it fills the disk.
constexpr int kMaxFiles = 100000;
constexpr qint64 kMaxBytes = qint64(1) << 30;

// `count` files named "item-N" in `folder`, each `size` bytes.
inline void makeFiles(const QByteArray &folder, int count, qsizetype size = 0) {
    if (count < 0 || count > kMaxFiles || size < 0 || qint64(count) * size > kMaxBytes) {
        std::fprintf(stderr, "refusing to create %d files of %lld bytes (at most %d, %lld bytes)\n",
                     count, static_cast<long long>(size), kMaxFiles,
                     static_cast<long long>(kMaxBytes));
        std::exit(1);
    }
    const QByteArray data(size, 'q');
    for (int i = 0; i < count; ++i) {
        const QByteArray path = folder + "/item-" + QByteArray::number(i);
        const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || (size > 0 && write(fd, data.constData(), size_t(size)) != size)) {
            std::perror(path.constData());
            std::exit(1);
        }
        close(fd);
    }
}

// Moves everything in `from` back to `to` (untimed set-up between runs).
inline void moveAllBack(const QByteArray &from, const QByteArray &to) {
    for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(from))
        if (!FileManager::moveItemAtPath(from + '/' + name, to + '/' + name)) {
            std::fprintf(stderr, "cannot put back %s\n", name.constData());
            std::exit(1);
        }
}

inline void expectCount(const QByteArray &folder, qsizetype count) {
    const qsizetype found = FileManager::contentsOfDirectoryAtPath(folder).size();
    if (found != count) {
        std::fprintf(stderr, "%s holds %lld entries, expected %lld\n", folder.constData(),
                     static_cast<long long>(found), static_cast<long long>(count));
        std::exit(1);
    }
}

// Each contender timed once per round, rounds interleaved so that a busy machine slows them
// alike; `prepare` (untimed) runs before every timing and `check` after it. The best time of
// each contender, in seconds, in their order.
inline std::vector<double> bestOfRounds(int rounds, const std::function<void()> &prepare,
                                        const std::vector<std::function<void()>> &contenders,
                                        const std::function<void()> &check) {
    std::vector<double> best(contenders.size(), 1e300);
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < contenders.size(); ++i) {
            prepare();
            QElapsedTimer timer;
            timer.start();
            contenders[i]();
            best[i] = std::min(best[i], double(timer.nsecsElapsed()) / 1e9);
            check();
        }
    }
    return best;
}

inline void shell(const QByteArray &command) {
    if (std::system(command.constData()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.constData());
        std::exit(1);
    }
}

inline QByteArray quoted(const QByteArray &path) {
    return '\'' + QByteArray(path).replace('\'', "'\\''") + '\'';
}

inline void line(const char *what, double seconds) {
    std::printf("  %-36s %9.3f s\n", what, seconds);
}

inline void ratio(const char *what, double value, const char *goal, bool met) {
    std::printf("  %-36s %9.2fx  (goal %s: %s)\n", what, value, goal, met ? "met" : "missed");
}

} // namespace bench
