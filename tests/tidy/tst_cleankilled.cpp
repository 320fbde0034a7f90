// SPDX-License-Identifier: GPL-3.0-or-later
// A clean of 10,000 items killed with SIGKILL at random moments: every item stays exactly once.
#include "Cleaner.h"
#include "FileManager.h"
#include "MonthFolder.h"
#include "StandIns.h"
#include "StandardFolders.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QProcess>
#include <QtTest>
#include <cstdio>
#include <fstream>
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
    qint64 runChild(qint64 killAfter) {
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--clean-child")});
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
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--clean-child") == 0) { // one Clean-button run
        Reports reports;                                       // kept, not shown
        UserDefaults defaults(UserDefaults::standardFilePath());
        Cleaner cleaner(defaults, {[] { return StandardFolders::documents(); },
                                   [] {
                                       return QString();
                                   }});
        cleaner.cleanDesktopItems(CleanTrigger::Button);
        cleaner.waitForIdle();
        return 0;
    }
    tst_CleanKilled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cleankilled.moc"
