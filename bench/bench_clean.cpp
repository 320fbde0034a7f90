// SPDX-License-Identifier: GPL-3.0-or-later
// The clean of a Desktop of 10,000 and 100,000 items on one file system, journalled as the
// program does, against a plain loop of renameat2 over the same items (the floor) and against
// coreutils' mv -n; and the undo of that clean against the same floor.
// Usage: bench_clean [--small]   (--small: 1,000 and 10,000 items)
#include "BenchSupport.h"
#include "Cleaner.h"
#include "Log.h"
#include "MonthFolder.h"
#include "MoveJournal.h"
#include "MoveWorker.h"
#include "Undo.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <array>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    setLogSink([](const QString &) {}); // formatted as usual, written nowhere
    bench::stopOnAlerts();
    const bool small = bench::smallSizes(argc, argv);
    bench::Home home(QDir::tempPath());
    const QByteArray desktop = bench::native(home.desktop());
    const QByteArray month = bench::native(home.documents() + "/Quillmere/" + monthFolderName());
    UserDefaults defaults(UserDefaults::standardFilePath());
    auto journal = std::make_shared<MoveJournal>(MoveJournal::standardPath());
    MoveWorker worker;
    Cleaner cleaner(defaults,
                    {.destinationText = [&home] { return home.documents(); },
                     .thresholdText = [] { return QString(); },
                     .journal = journal},
                    &worker);
    Undo undo(journal, worker);

    // Arrays held by value: a list chosen by ?: would point into temporaries gone by the loop.
    const std::array<int, 2> counts = small ? std::array{1000, 10000} : std::array{10000, 100000};
    for (const int count : counts) {
        std::printf("clean of %d Desktop items, one file system (%s)\n", count,
                    home.path().toLocal8Bit().constData());
        bench::makeFiles(desktop, count);
        cleaner.cleanDesktopItems(CleanTrigger::Button); // creates the folders once
        cleaner.waitForIdle();
        const auto putBack = [&] {
            bench::moveAllBack(month, desktop);
            bench::expectCount(desktop, count);
        };
        const auto times = bench::bestOfRounds(
            3, putBack,
            {[&] {
                 for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(desktop)) {
                     const QByteArray from = desktop + '/' + name, to = month + '/' + name;
                     renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                               RENAME_NOREPLACE);
                 }
             },
             [&] {
                 bench::shell("cd " + bench::quoted(desktop) +
                              " && find . -mindepth 1 -maxdepth 1 -print0 | xargs -0 mv -n -t " +
                              bench::quoted(month));
             },
             [&] {
                 cleaner.cleanDesktopItems(CleanTrigger::Button);
                 cleaner.waitForIdle();
             }},
            [&] { bench::expectCount(month, count); });
        // The undo of the last clean, best of three.
        double undone = 1e300;
        for (int round = 0; round < 3; ++round) {
            bench::expectCount(month, count);
            QElapsedTimer timer;
            timer.start();
            undo.undoLastClean();
            undo.waitForIdle();
            undone = std::min(undone, double(timer.nsecsElapsed()) / 1e9);
            bench::expectCount(desktop, count);
            cleaner.cleanDesktopItems(CleanTrigger::Button);
            cleaner.waitForIdle();
        }
        putBack();
        const double floor = times[0], mv = times[1], clean = times[2];

        bench::line("renameat2 loop (floor)", floor);
        bench::line("find | xargs mv -n", mv);
        bench::line("Quillmere clean", clean);
        bench::ratio("clean / floor", clean / floor, "<= 1.3x", clean / floor <= 1.3);
        bench::ratio("clean / mv -n", clean / mv, "< 1x", clean < mv);
        bench::line("Quillmere undo of that clean", undone);
        bench::ratio("undo / floor", undone / floor, "<= 1.3x", undone / floor <= 1.3);
    }
    return 0;
}
