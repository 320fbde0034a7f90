// SPDX-License-Identifier: GPL-3.0-or-later
// Time from a file's creation to PathWatcherFileWrittenToNotification on the main thread, beside
// the same time for a thread blocked on a bare inotify descriptor (the baseline), over 1,000 files
// each. Files are created one at a time, each after the previous one was seen; the two kinds run
// in alternating blocks so that a busy machine slows them alike.
// Usage: bench_watch_latency [--small]   (--small: 200 files)
#include "BenchSupport.h"
#include "PathWatcher.h"

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sys/inotify.h>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {
// Set by whoever sees a creation; the creating thread waits for it.
struct Seen {
    std::atomic<int> count{0};
    std::atomic<Clock::rep> at{0};
    void mark() {
        at = Clock::now().time_since_epoch().count();
        count.fetch_add(1);
        count.notify_all();
    }
};

class Probe : public PathWatcherDelegate {
public:
    explicit Probe(std::shared_ptr<Seen> seen)
        : seen_(std::move(seen)) {}
    void PathWatcherReceivedNotificationForPath(PathWatcher *, const QString &name,
                                                const QString &) override {
        if (name == PathWatcherFileWrittenToNotification)
            seen_->mark();
    }

private:
    std::shared_ptr<Seen> seen_;
};

// Creates `count` files in `folder` on a thread of its own, each once the one before was seen;
// `observe` runs on this thread meanwhile. The latencies in milliseconds go to `out`.
void createOneByOne(const QByteArray &folder, int first, int count,
                    const std::shared_ptr<Seen> &seen, const std::function<void()> &observe,
                    std::vector<double> &out) {
    const auto latencies = std::make_shared<std::vector<double>>();
    std::thread creator([folder, first, count, seen, latencies] {
        for (int i = first; i < first + count; ++i) {
            const int before = seen->count.load();
            const QByteArray path = folder + "/file-" + QByteArray::number(i);
            const Clock::time_point created = Clock::now();
            close(open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            seen->count.wait(before);
            const Clock::time_point at{Clock::duration(seen->at.load())};
            latencies->push_back(std::chrono::duration<double, std::milli>(at - created).count());
        }
    });
    observe();
    creator.join();
    out.insert(out.end(), latencies->begin(), latencies->end());
}

struct Figures {
    double median;
    double p99;
};

Figures report(const char *what, std::vector<double> &ms) {
    std::sort(ms.begin(), ms.end());
    const Figures f{ms[ms.size() / 2], ms[size_t(std::ceil(0.99 * double(ms.size()))) - 1]};
    std::printf("  %-34s median %8.3f ms   99th percentile %8.3f ms\n", what, f.median, f.p99);
    return f;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int files = bench::smallSizes(argc, argv) ? 200 : 1000;
    const int blocks = 5;
    bench::Home home(QDir::tempPath());
    const QByteArray rawFolder = bench::native(home.desktop() + "/raw");
    const QByteArray watchedFolder = bench::native(home.desktop() + "/watched");
    QDir().mkpath(home.desktop() + "/raw");
    QDir().mkpath(home.desktop() + "/watched");

    const int inotifyFd = inotify_init1(IN_CLOEXEC);
    if (inotifyFd < 0 || inotify_add_watch(inotifyFd, rawFolder.constData(), IN_CREATE) < 0) {
        std::perror("inotify");
        return 1;
    }
    const auto rawSeen = std::make_shared<Seen>();
    const auto watcherSeen = std::make_shared<Seen>();
    Probe probe(watcherSeen);
    const auto watcher = PathWatcher::create();
    if (!watcher) {
        std::fprintf(stderr, "no watcher\n");
        return 1;
    }
    watcher->setDelegate(&probe);
    watcher->addPath(home.desktop() + "/watched");

    std::vector<double> raw, watched;
    for (int block = 0; block < blocks; ++block) {
        const int first = block * files / blocks, count = files / blocks;
        createOneByOne(
            rawFolder, first, count, rawSeen,
            [&] {
                alignas(inotify_event) char buffer[4096];
                while (rawSeen->count < first + count) {
                    const ssize_t n = read(inotifyFd, buffer, sizeof buffer);
                    for (ssize_t at = 0; at < n;) {
                        const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                        if (event->mask & IN_CREATE)
                            rawSeen->mark();
                        at += ssize_t(sizeof(inotify_event) + event->len);
                    }
                }
            },
            raw);
        createOneByOne(
            watchedFolder, first, count, watcherSeen,
            [&] {
                while (watcherSeen->count < first + count)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            },
            watched);
    }
    close(inotifyFd);

    std::printf("from a file's creation to its report, %d files each\n", files);
    const Figures base = report("inotify, read by a waiting thread", raw);
    const Figures ours = report("PathWatcher, on the main thread", watched);
    const double difference = ours.median - base.median;
    std::printf("  %-34s median %8.3f ms   99th percentile %8.3f ms\n", "difference", difference,
                ours.p99 - base.p99);
    std::printf("  goal: median within 2 ms of inotify: %s\n",
                difference <= 2.0 ? "met" : "missed");
    return 0;
}
