// SPDX-License-Identifier: GPL-3.0-or-later
// A clean across file systems: 1 GiB in 1,000 Desktop files in /dev/shm, the destination in
// /tmp, against mv of the same files. Quillmere flushes each copy to disk before it removes the
// original; mv does not.
// Usage: bench_crossmove [--small]   (--small: 64 MiB in 64 files)
#include "BenchSupport.h"
#include "Cleaner.h"
#include "Log.h"
#include "MonthFolder.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    setLogSink([](const QString &) {});
    bench::stopOnAlerts();
    const int count = bench::smallSizes(argc, argv) ? 64 : 1000;
    const qsizetype size = 1 << 20;
    bench::Home home(QStringLiteral("/dev/shm"));
    QTemporaryDir destination(QStringLiteral("/tmp/quillmere-bench-XXXXXX"));
    const QByteArray desktop = bench::native(home.desktop());
    const QByteArray month = bench::native(destination.path() + "/Quillmere/" + monthFolderName());
    UserDefaults defaults(UserDefaults::standardFilePath());
    Cleaner cleaner(defaults, {[&destination] { return destination.path(); },
                               [] {
                                   return QString();
                               }});
    std::printf("clean of %d files of 1 MiB from /dev/shm to /tmp\n", count);

    bench::makeFiles(desktop, count, size);
    QDir().mkpath(QFile::decodeName(month));
    const auto putBack = [&] {
        bench::moveAllBack(month, desktop);
        bench::expectCount(desktop, count);
        bench::shell("sync");
    };
    const QByteArray mvCommand =
        "cd " + bench::quoted(desktop) + " && mv -t " + bench::quoted(month) + " -- *";
    const auto times = bench::bestOfRounds(2, putBack,
                                           {[&] { bench::shell(mvCommand); },
                                            [&] { bench::shell(mvCommand + " && sync"); },
                                            [&] {
                                                cleaner.cleanDesktopItems(CleanTrigger::Button);
                                                cleaner.waitForIdle();
                                            }},
                                           [&] { bench::expectCount(month, count); });
    const double mv = times[0], mvSync = times[1], clean = times[2];

    bench::line("mv", mv);
    bench::line("mv, then sync (data on disk too)", mvSync);
    bench::line("Quillmere clean", clean);
    bench::ratio("clean / mv", clean / mv, "<= 1.2x", clean / mv <= 1.2);
    std::printf("  %-36s %9.2fx\n", "clean / (mv, then sync)", clean / mvSync);
    return 0;
}
