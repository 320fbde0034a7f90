// SPDX-License-Identifier: GPL-3.0-or-later
// What the global clean shortcut adds to a clean: from a real key press sent to the X server
// (xdotool has sent it and ended) to the first item leaving the Desktop, beside the same clean
// started from inside the program at the same moment after a press of a combination nobody
// holds. Runs its own Xvfb when no X server is given.
// Usage: bench_hotkey [--small]   (--small: 5 rounds, else 30)
#include "BenchSupport.h"
#include "HotKeyService.h"
#include "Log.h"
#include "MonthFolder.h"
#include "RunningProgram.h"
#include "Shortcut.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/wait.h>

using Clock = std::chrono::steady_clock;

namespace {
constexpr int kItems = 20;

// An X server of our own for as long as the benchmark runs; its display, or empty.
pid_t startXvfb(QByteArray *display) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const int w = dup(fds[1]); // without close-on-exec
        const std::string fd = std::to_string(w);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", nullptr);
        _exit(127);
    }
    close(fds[1]);
    char buffer[32] = {};
    const ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
    close(fds[0]);
    if (n <= 0)
        return -1;
    *display = ":" + QByteArray(buffer, int(n)).trimmed();
    return pid;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds from `start` (which begins the work) to the first item in `month`.
double timeToFirstMove(const QByteArray &month, const std::function<void()> &start) {
    const Clock::time_point began = Clock::now();
    start();
    while (FileManager::contentsOfDirectoryAtPath(month).isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return std::chrono::duration<double, std::milli>(Clock::now() - began).count();
}
} // namespace

int main(int argc, char **argv) {
    if (QStandardPaths::findExecutable("xdotool").isEmpty() ||
        (qgetenv("DISPLAY").isEmpty() && QStandardPaths::findExecutable("Xvfb").isEmpty())) {
        std::printf("skipped: needs xdotool and an X server (or Xvfb)\n");
        return 0;
    }
    pid_t xvfb = -1;
    if (qgetenv("DISPLAY").isEmpty()) {
        QByteArray display;
        xvfb = startXvfb(&display);
        if (xvfb < 0) {
            std::fprintf(stderr, "Xvfb did not start\n");
            return 1;
        }
        qputenv("DISPLAY", display);
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // the notices are not what is measured
    const int rounds = bench::smallSizes(argc, argv) ? 5 : 30;
    bench::Home home(QDir::tempPath());
    int status = 0;
    {
        QApplication app(argc, argv);
        setLogSink([](const QString &) {});
        bench::stopOnAlerts();
        const QByteArray desktop = bench::native(home.desktop());
        const QByteArray month =
            bench::native(home.documents() + "/Quillmere/" + monthFolderName());
        QDir().mkpath(QString::fromLocal8Bit(month));

        bench::RunningProgram running(home.path(), home.documents(), QString());
        running.defaults.setBool(false, SettingsKeys::AutoClean); // only the measured cleans
        running.defaults.setObject(
            Shortcut(40, Shortcut::NSControlKeyMask | Shortcut::NSAlternateKeyMask).data(),
            SettingsKeys::CleanShortcut);
        running.delegate->setShortcutEnabled(true);
        // The press is sent, and the clock starts, once xdotool has ended.
        const auto xdotool = [](const char *keys) {
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("key"), QStringLiteral("--delay"),
                               QStringLiteral("0"), QString::fromLatin1(keys)});
        };

        std::vector<double> hotKey, inside;
        for (int round = 0; round < rounds; ++round) {
            bench::makeFiles(desktop, kItems);
            xdotool("ctrl+alt+k");
            hotKey.push_back(timeToFirstMove(month, [] {}));
            while (FileManager::contentsOfDirectoryAtPath(month).size() < kItems)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            bench::moveAllBack(month, desktop);
            xdotool("ctrl+alt+shift+F12");
            inside.push_back(timeToFirstMove(month, [&] { running.delegate->cleanDesktop(); }));
            while (FileManager::contentsOfDirectoryAtPath(month).size() < kItems)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            bench::moveAllBack(month, desktop);
            for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(desktop))
                unlink((desktop + '/' + name).constData());
        }
        std::printf("key press to the first item moved, %d rounds of %d items, milliseconds\n",
                    rounds, kItems);
        std::printf("  %-36s median %7.3f\n", "clean started inside (baseline)", median(inside));
        std::printf("  %-36s median %7.3f\n", "global shortcut through the X server",
                    median(hotKey));
        std::printf("  added by the hot key: %+.3f ms on the median, ratio %.2fx (goal: at most "
                    "+5 ms)\n",
                    median(hotKey) - median(inside), median(hotKey) / median(inside));
    }
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, &status, 0);
    }
    return 0;
}
