// SPDX-License-Identifier: GPL-3.0-or-later
// A clean killed with SIGKILL at random moments: every item stays exactly once. Within one file
// system (10,000 renames), and across file systems (copies), where the next start finishes or
// rolls back the move that the kill interrupted.
#include "Cleaner.h"
#include "FileManager.h"
#include "MonthFolder.h"
#include "MoveJournal.h"
#include "StandIns.h"
#include "StandardFolders.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QProcess>
#include <QtTest>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <thread>

class tst_CleanKilled : public QObject {
    Q_OBJECT
    static constexpr int itemCount = 10000;
    QByteArray desktop, monthFolder;

    // Every item once, each holding its own name, nothing else; returns how many were moved.
    int verifyEveryItemOnce() {
        QSet<QByteArray> seen;
        int moved = 0;
        for (const QByteArray &folder : {desktop, monthFolder})
            for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(folder)) {
                std::string content;
                std::getline(std::ifstream(folder + '/' + name), content);
                if (seen.contains(name) || content != name.toStdString())
                    QTest::qFail("twice or changed: " + name, __FILE__, __LINE__);
                seen.insert(name);
                moved += folder == monthFolder;
            }
        if (seen.size() != itemCount)
            QTest::qFail("items missing or added", __FILE__, __LINE__);
        return moved;
    }

    // Runs one clean in a child process, killed after `killAfter` µs (never when negative).
    qint64 runChild(qint64 killAfter, const QString &destination = {}) {
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--clean-child"), destination});
        if (killAfter >= 0 && child.waitForStarted()) {
            std::this_thread::sleep_for(std::chrono::microseconds(killAfter));
            child.kill(); // SIGKILL
        }
        child.waitForFinished(60000);
        return timer.nsecsElapsed() / 1000;
    }

private slots:
    void everyItemSurvivesAKill() {
        TestHome home;
        desktop = QFile::encodeName(home.desktop());
        monthFolder = QFile::encodeName(home.documents() + "/Quillmere/" + monthFolderName());
        for (int i = 0; i < itemCount; ++i)
            std::ofstream(desktop + "/item " + QByteArray::number(i)) << "item " << i;
        const qint64 wholeRun = runChild(-1); // to learn how long one takes
        QCOMPARE(verifyEveryItemOnce(), itemCount);

        int killedWhileMoving = 0;
        for (int trial = 0; trial < 20 && !QTest::currentTestFailed(); ++trial) {
            for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(monthFolder))
                QVERIFY(std::rename(monthFolder + '/' + name, desktop + '/' + name) == 0);
            runChild(QRandomGenerator::global()->bounded(wholeRun));
            const int moved = verifyEveryItemOnce();
            killedWhileMoving += moved > 0 && moved < itemCount;
        }
        qInfo("%d of 20 kills landed while items were moving", killedWhileMoving);
        QVERIFY(killedWhileMoving > 0);
    }

    // Across file systems (the Desktop in memory, the destination on disk), each kill followed
    // by a start: files and folders each exactly once and whole, no partial copy left.
    void everyItemSurvivesAKillAcrossFileSystems() {
        TestHome home;
        QTemporaryDir disk(QCoreApplication::applicationDirPath() + "/killed-XXXXXX");
        struct stat a, b;
        QVERIFY(stat(QFile::encodeName(home.desktop()), &a) == 0 &&
                stat(QFile::encodeName(disk.path()), &b) == 0);
        if (a.st_dev == b.st_dev)
            QSKIP("the temporary folder and the build folder share one file system");
        const QString month = disk.path() + "/Quillmere/" + monthFolderName();
        const auto body = [](const QString &name) {
            return name.toUtf8().repeated(20000);
        };
        QStringList files;
        for (int i = 0; i < 12; ++i)
            files << QStringLiteral("file %1").arg(i) << QStringLiteral("folder %1/a").arg(i)
                  << QStringLiteral("folder %1/sub/b").arg(i);
        for (const QString &file : files)
            TestHome::writeFile(home.desktop() + '/' + file, body(file));
        // Each item in one place, whole; nothing else in either folder.
        const auto verify = [&] {
            for (const QString &file : files) {
                const QString item = file.section('/', 0, 0);
                const bool onDesktop = QFileInfo::exists(home.desktop() + '/' + item);
                const bool moved = QFileInfo::exists(month + '/' + item);
                if (onDesktop == moved)
                    return QTest::qFail(qPrintable(item + " in both places or none"), __FILE__,
                                        __LINE__);
                if (content((onDesktop ? home.desktop() : month) + '/' + file) != body(file))
                    return QTest::qFail(qPrintable(file + " changed"), __FILE__, __LINE__);
            }
            if (entries(home.desktop()).size() + entries(month).size() != 24)
                QTest::qFail("items left over: partial copies or leftovers", __FILE__, __LINE__);
        };
        QVERIFY(QDir().mkpath(month));
        const qint64 wholeRun = runChild(-1, disk.path());
        verify();
        QCOMPARE(entries(home.desktop()), L());
        int resolved = 0;
        for (int trial = 0; trial < 20 && !QTest::currentTestFailed(); ++trial) {
            for (const QString &item : entries(month))
                QVERIFY(
                    FileManager::moveItemAtPath(QFile::encodeName(month + '/' + item),
                                                QFile::encodeName(home.desktop() + '/' + item)));
            runChild(QRandomGenerator::global()->bounded(wholeRun), disk.path());
            resolved += MoveJournal(MoveJournal::standardPath()).open().size();
            verify();
        }
        qInfo("%d interrupted moves resolved in 20 kills", resolved);
        QVERIFY(resolved > 0);
    }
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--clean-child") == 0) { // one Clean-button run
        Reports reports;                                       // kept, not shown
        UserDefaults defaults(UserDefaults::standardFilePath());
        const QString destination =
            argv[2][0] ? QFile::decodeName(argv[2]) : StandardFolders::documents();
        Cleaner cleaner(defaults,
                        {.destinationText = [destination] { return destination; },
                         .thresholdText = [] { return QString(); },
                         .journal = std::make_shared<MoveJournal>(MoveJournal::standardPath())});
        cleaner.cleanDesktopItems(CleanTrigger::Button);
        cleaner.waitForIdle();
        return 0;
    }
    tst_CleanKilled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cleankilled.moc"
