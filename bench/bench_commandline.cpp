// SPDX-License-Identifier: GPL-3.0-or-later
// The command line as a script meets it. `quillmere --clean` of a Desktop of 10,000 items with
// no Quillmere running, start-up and exit included, against a plain loop of renameat2 over the
// same items (the floor); and a later start's hand-over of --clean to a running Quillmere (the
// median), against dbus-send pinging it.
// Usage: bench_commandline [--small]   (--small: 1,000 items, fewer hand-overs)
#include "BenchSupport.h"
#include "MonthFolder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {
// Runs the program to its end; its time in seconds, or exits when it fails.
double timed(const QString &program, const QStringList &arguments,
             const QProcessEnvironment &environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     process.readAllStandardError().constData());
        std::exit(1);
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bool small = bench::smallSizes(argc, argv);
    bench::Home home(QDir::tempPath());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(QString::fromLatin1(name));
    const QByteArray desktop = bench::native(home.desktop());
    const QByteArray month = bench::native(home.documents() + "/Quillmere/" + monthFolderName());
    const QString program = QStringLiteral(QUILLMERE_BINARY);

    const int count = small ? 1000 : 10000;
    std::printf("quillmere --clean of %d Desktop items, no Quillmere running, no display\n", count);
    bench::makeFiles(desktop, count);
    timed(program, {"--clean"}, environment); // creates the folders once
    const auto putBack = [&] {
        bench::moveAllBack(month, desktop);
        bench::expectCount(desktop, count);
    };
    putBack();
    const auto times = bench::bestOfRounds(
        3, putBack,
        {[&] {
             for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(desktop)) {
                 const QByteArray from = desktop + '/' + name, to = month + '/' + name;
                 renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
             }
         },
         [&] {
             timed(program, {"--clean"}, environment);
         }},
        [&] { bench::expectCount(month, count); });
    bench::line("renameat2 loop (floor)", times[0]);
    bench::line("quillmere --clean", times[1]);
    const double allowed = 1.5 * times[0] + 0.1;
    bench::ratio("against 1.5x floor + 100 ms", times[1] / allowed, "<= 1", times[1] <= allowed);

    // A private session bus and a running Quillmere on it (offscreen: no display needed).
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"),
              {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    if (!bus.waitForReadyRead(10000)) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    const QString address = QString::fromLatin1(bus.readLine().trimmed());
    environment.insert("DBUS_SESSION_BUS_ADDRESS", address);
    QProcessEnvironment windowed = environment;
    windowed.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess running;
    running.setProcessEnvironment(windowed);
    running.setStandardErrorFile(QProcess::nullDevice());
    running.start(program, {});
    QDBusConnection connection = QDBusConnection::connectToBus(address, "bench");
    for (int i = 0; i < 1000 && !connection.interface()->isServiceRegistered(
                                    QStringLiteral("org.quillmere.Quillmere"));
         ++i)
        QThread::msleep(10);

    const int handOvers = small ? 5 : 21;
    std::printf("a later start's hand-over of --clean to the running Quillmere (median of %d)\n",
                handOvers);
    std::vector<double> handOver, ping;
    for (int i = 0; i < handOvers; ++i) {
        ping.push_back(timed(QStringLiteral("dbus-send"),
                             {"--session", "--print-reply", "--dest=org.quillmere.Quillmere",
                              "/org/quillmere/Quillmere", "org.freedesktop.DBus.Peer.Ping"},
                             environment));
        handOver.push_back(timed(program, {"--clean"}, environment));
    }
    bench::line("dbus-send ping (baseline)", median(ping));
    bench::line("quillmere --clean, handed over", median(handOver));
    bench::ratio("against the ping", median(handOver) / median(ping), "median < 50 ms",
                 median(handOver) < 0.05);

    timed(program, {"--quit"}, environment);
    running.waitForFinished(10000);
    bus.terminate();
    bus.waitForFinished(10000);
    return 0;
}
