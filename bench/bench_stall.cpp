// SPDX-License-Identifier: GPL-3.0-or-later
// How long the main thread stops answering during a clean: the worst lateness of a 5-ms timer
// on the main thread while the Clean button's run moves 100,000 items on one file system, and
// while it moves 1 GiB (1,024 files of 1 MiB) from /dev/shm to /tmp, beside the same timer's
// worst lateness over an idle event loop of the same length (the baseline).
// Usage: bench_stall [--small]   (--small: 10,000 items, and 64 MiB)
#include "BenchSupport.h"
#include "Cleaner.h"
#include "Log.h"
#include "MonthFolder.h"
#include "UserDefaults.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>

using Clock = std::chrono::steady_clock;

namespace {
// The worst lateness of a repeating 5-ms timer on this thread, in milliseconds.
class StallMeter {
public:
    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            worst_ =
                std::max(worst_, std::chrono::duration<double, std::milli>(now - due_).count());
            due_ = now + std::chrono::milliseconds(5);
        });
    }
    void start() {
        worst_ = 0;
        due_ = Clock::now() + std::chrono::milliseconds(5);
        timer_.start();
    }
    double stop() {
        timer_.stop();
        return worst_;
    }

private:
    QTimer timer_;
    Clock::time_point due_;
    double worst_ = 0;
};

void measure(const char *what, Cleaner &cleaner, const std::function<void()> &prepare) {
    StallMeter meter;
    prepare();
    meter.start();
    const auto started = Clock::now();
    cleaner.cleanDesktopItems(CleanTrigger::Button);
    cleaner.waitForIdle();
    const auto took = Clock::now() - started;
    const double clean = meter.stop();

    meter.start();
    QEventLoop idle;
    QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(took), &idle,
                       &QEventLoop::quit);
    idle.exec();
    const double baseline = meter.stop();

    std::printf("%s (%.2f s)\n", what, std::chrono::duration<double>(took).count());
    std::printf("  %-36s %9.2f ms\n", "longest stall, idle event loop", baseline);
    std::printf("  %-36s %9.2f ms   (goal: at most 20 ms: %s)\n", "longest stall during the clean",
                clean, clean <= 20 ? "met" : "missed");
    std::printf("  %-36s %9.2fx\n", "clean / idle", clean / std::max(baseline, 0.001));
}
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setLogSink([](const QString &) {});
    const bool small = bench::smallSizes(argc, argv);

    {
        const int count = small ? 10000 : 100000;
        bench::Home home(QDir::tempPath());
        const QByteArray desktop = bench::native(home.desktop());
        UserDefaults defaults(UserDefaults::standardFilePath());
        Cleaner cleaner(defaults, {[&home] { return home.documents(); },
                                   [] {
                                       return QString();
                                   }});
        measure(small ? "clean of 10,000 items, one file system"
                      : "clean of 100,000 items, one file system",
                cleaner, [&] { bench::makeFiles(desktop, count); });
        bench::expectCount(bench::native(home.documents() + "/Quillmere/" + monthFolderName()),
                           count);
    }
    {
        const int count = small ? 64 : 1024;
        bench::Home home(QStringLiteral("/dev/shm"));
        QTemporaryDir destination(QStringLiteral("/tmp/quillmere-bench-XXXXXX"));
        const QByteArray desktop = bench::native(home.desktop());
        UserDefaults defaults(UserDefaults::standardFilePath());
        Cleaner cleaner(defaults, {[&destination] { return destination.path(); },
                                   [] {
                                       return QString();
                                   }});
        measure(small ? "clean of 64 MiB, /dev/shm to /tmp" : "clean of 1 GiB, /dev/shm to /tmp",
                cleaner, [&] { bench::makeFiles(desktop, count, 1 << 20); });
        bench::expectCount(bench::native(destination.path() + "/Quillmere/" + monthFolderName()),
                           count);
    }
    return 0;
}
