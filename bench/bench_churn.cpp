// SPDX-License-Identifier: GPL-3.0-or-later
// A burst of changes on the Desktop: a thread creates and deletes 50 names as fast as it can
// for 30 seconds while the program's controller runs (automatic clean on, threshold 100, so
// every change runs the clean's checks and the level, and nothing moves). Afterwards: how long
// the process keeps a core busy, its memory against where it started, and the size of its log.
// Usage: bench_churn [--small]   (--small: 5 seconds of churn)
#include "BenchSupport.h"
#include "RunningProgram.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <thread>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

void runEventLoopFor(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    const auto churnFor = bench::smallSizes(argc, argv) ? 5s : 30s;
    bench::Home home(QDir::tempPath());
    // The program's log goes where its standard error goes: here, a file whose size is measured.
    const QByteArray logPath = bench::native(home.path() + "/log");
    if (!std::freopen(logPath.constData(), "w", stderr))
        return 1;

    QApplication app(argc, argv);
    const bench::RunningProgram program(home.path(), home.documents(), QStringLiteral("100"));
    runEventLoopFor(1s);
    const long startKiB = residentKiB();

    std::atomic<bool> stop{false};
    std::atomic<long> pairs{0};
    const QByteArray desktop = bench::native(home.desktop());
    std::thread churn([&] {
        for (long i = 0; !stop; ++i) {
            const QByteArray name = desktop + "/churn-" + QByteArray::number(i % 50);
            close(open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            unlink(name.constData());
            pairs = i + 1;
        }
    });
    runEventLoopFor(churnFor);
    stop = true;
    churn.join();
    const Clock::time_point lastChange = Clock::now();
    const long peakKiB = residentKiB();

    // Idle: a 100-ms window in which the process used under 5 % of a core.
    double settled = -1;
    for (double before = cpuSeconds(); Clock::now() - lastChange < 20s;) {
        runEventLoopFor(100ms);
        const double now = cpuSeconds();
        if (now - before < 0.005) {
            settled = std::chrono::duration<double>(Clock::now() - lastChange).count() - 0.1;
            break;
        }
        before = now;
    }
    runEventLoopFor(2s);
    const long endKiB = residentKiB();
    std::fflush(stderr);
    const qint64 logBytes = QFileInfo(QFile::decodeName(logPath)).size();

    std::printf("%.0f s of create/delete churn on 50 Desktop names, %ld pairs\n",
                std::chrono::duration<double>(churnFor).count(), pairs.load());
    std::printf("  %-36s %9.2f s    (goal: within 1 s: %s)\n", "busy after the last change",
                settled, settled >= 0 && settled <= 1 ? "met" : "missed");
    std::printf("  %-36s %9.2fx   (%ld KiB at start, %ld at the end of the churn, %ld after)\n",
                "memory after / at start", double(endKiB) / double(startKiB), startKiB, peakKiB,
                endKiB);
    std::printf("  %-36s %9s     (goal: within 1.10x: %s)\n", "", "",
                double(endKiB) <= 1.1 * double(startKiB) ? "met" : "missed");
    std::printf("  %-36s %9.3f MB   (goal: under 1 MB: %s)\n", "log written",
                double(logBytes) / 1e6, logBytes < 1000000 ? "met" : "missed");
    return 0;
}
