// SPDX-License-Identifier: GPL-3.0-or-later
// Time from a file's creation on the Desktop to its arrival in the month folder with the
// automatic clean on, through the running program's controller (watcher, filter, clean), beside
// the floor for the same job: a thread blocked on inotify that renames each new file at once.
// Files are created one at a time, each after the previous one arrived. Also counts the
// listings of the Desktop the program makes per dropped file.
// Usage: bench_autoclean [--small]   (--small: 100 files, else 1,000)
#include "BenchSupport.h"
#include "Log.h"
#include "MonthFolder.h"
#include "RunningProgram.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <linux/fs.h>
#include <poll.h>
#include <sys/inotify.h>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {
// Creates the files one by one on its own thread, waiting for each to appear in `target`;
// returns the latencies in milliseconds.
std::vector<double> createAndAwait(const QByteArray &desktop, const QByteArray &target,
                                   const char *prefix, int count,
                                   const std::function<void()> &whileWaiting) {
    std::vector<double> latencies;
    std::atomic<bool> done{false};
    std::thread creator([&] {
        for (int i = 0; i < count; ++i) {
            const QByteArray name = prefix + QByteArray::number(i);
            const QByteArray arrived = target + "/" + name;
            const Clock::time_point created = Clock::now();
            close(open((desktop + "/" + name).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            while (access(arrived.constData(), F_OK) != 0)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            latencies.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - created).count());
        }
        done = true;
    });
    while (!done)
        whileWaiting();
    creator.join();
    return latencies;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5))];
}
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // the notices are not what is measured
    const int count = bench::smallSizes(argc, argv) ? 100 : 1000;
    bench::Home home(QDir::tempPath());
    QApplication app(argc, argv);
    setLogSink([](const QString &) {});

    const QByteArray desktop = bench::native(home.desktop());
    const QString month = home.documents() + "/Quillmere/" + monthFolderName();

    // The floor: inotify and a rename, nothing else.
    QDir().mkpath(home.path() + "/floor");
    const QByteArray floorTarget = bench::native(home.path() + "/floor");
    const int fd = inotify_init1(IN_CLOEXEC);
    inotify_add_watch(fd, desktop.constData(), IN_CREATE);
    std::atomic<bool> stop{false};
    std::thread mover([&] {
        alignas(inotify_event) char buffer[4096];
        while (!stop) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            const ssize_t n = read(fd, buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                auto *event = reinterpret_cast<inotify_event *>(buffer + at);
                if (event->len > 0)
                    renameat2(AT_FDCWD, (desktop + "/" + event->name).constData(), AT_FDCWD,
                              (floorTarget + "/" + event->name).constData(), RENAME_NOREPLACE);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    });
    const std::vector<double> floor = createAndAwait(desktop, floorTarget, "floor-", count, [] {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    stop = true;
    mover.join();
    close(fd);

    // The program: its controller with the automatic clean on and an empty threshold.
    const bench::RunningProgram running(home.path(), home.documents(), QString());
    // Each listing of the Desktop opens it: counted by a watch of its own.
    const int opens = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    inotify_add_watch(opens, desktop.constData(), IN_OPEN);
    const std::vector<double> program =
        createAndAwait(desktop, bench::native(month), "item-", count,
                       [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5); });
    // The changes the last moves caused, handled too.
    QTimer::singleShot(1000, &app, &QCoreApplication::quit);
    QApplication::exec();
    long listings = 0;
    alignas(inotify_event) char buffer[64 * 1024];
    for (ssize_t n; (n = read(opens, buffer, sizeof buffer)) > 0;)
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            listings += event->len == 0; // the folder itself, not a file in it
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    close(opens);

    std::printf("creation to arrival in the month folder, %d files, milliseconds\n", count);
    std::printf("  %-28s median %7.3f  p99 %7.3f\n", "inotify + rename (floor)",
                percentile(floor, 0.5), percentile(floor, 0.99));
    std::printf("  %-28s median %7.3f  p99 %7.3f\n", "Quillmere automatic clean",
                percentile(program, 0.5), percentile(program, 0.99));
    std::printf("  ratio of medians: %.2fx the floor (goal: median under 20 ms)\n",
                percentile(program, 0.5) / percentile(floor, 0.5));
    std::printf("  listings of the Desktop per dropped file: %.2f (goal: 1)\n",
                double(listings) / count);
    return 0;
}
