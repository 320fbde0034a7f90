// SPDX-License-Identifier: GPL-3.0-or-later
// A clean of 10,000 items killed with SIGKILL at random moments: afterwards every item is
// exactly once on the Desktop or in the month folder, with its content.
#include "Alerts.h"
#include "Cleaner.h"
#include "FileManager.h"
#include "Log.h"
#include "MonthFolder.h"
#include "StandardFolders.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr int itemCount = 10000;

QByteArray itemName(int i) {
    return "item " + QByteArray::number(i).rightJustified(5, '0');
}

QByteArray readBytes(const QByteArray &path) {
    char buffer[64];
    const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd < 0 ? -1 : read(fd, buffer, sizeof buffer);
    if (fd >= 0)
        close(fd);
    return n < 0 ? QByteArray("unreadable") : QByteArray(buffer, n);
}

// The child: one Clean-button run over the Desktop of the HOME it inherited.
int cleanAsChild(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    setLogSink([](const QString &) {});
    Alerts::setPresenterForTesting([](const Alert &) { return Alerts::FirstButtonReturn; });
    UserDefaults defaults(UserDefaults::standardFilePath());
    Cleaner cleaner(defaults, {[] { return StandardFolders::documents(); },
                               [] {
                                   return QString();
                               }});
    cleaner.cleanDesktopItems(CleanTrigger::Button);
    return 0;
}
} // namespace

class tst_CleanKilled : public QObject {
    Q_OBJECT
    QByteArray desktop, monthFolder;

    // Every item once, content intact, nothing else; returns how many were moved.
    int verifyEveryItemOnce() {
        const QList<QByteArray> left = FileManager::contentsOfDirectoryAtPath(desktop);
        const QList<QByteArray> moved = FileManager::contentsOfDirectoryAtPath(monthFolder);
        QSet<QByteArray> seen;
        for (const auto &[folder, names] :
             {std::pair{desktop, left}, std::pair{monthFolder, moved}})
            for (const QByteArray &name : names) {
                if (seen.contains(name))
                    QTest::qFail(("twice: " + name).constData(), __FILE__, __LINE__);
                seen.insert(name);
                if (readBytes(folder + '/' + name) != name)
                    QTest::qFail(("content changed: " + name).constData(), __FILE__, __LINE__);
            }
        if (seen.size() != itemCount)
            QTest::qFail("items missing or added", __FILE__, __LINE__);
        return int(moved.size());
    }

    void moveEverythingBack() {
        for (const QByteArray &name : FileManager::contentsOfDirectoryAtPath(monthFolder))
            QVERIFY(std::rename(monthFolder + '/' + name, desktop + '/' + name) == 0);
    }

    qint64 runChild(qint64 killAfterMicroseconds) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--clean-child")});
        if (!child.waitForStarted())
            return -1;
        if (killAfterMicroseconds >= 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(killAfterMicroseconds));
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
        for (int i = 0; i < itemCount; ++i) {
            const QByteArray name = itemName(i);
            const int fd = open(desktop + '/' + name, O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0 && write(fd, name.constData(), size_t(name.size())) == name.size());
            close(fd);
        }

        // A whole run first, to learn how long one takes.
        const qint64 wholeRun = runChild(-1);
        QVERIFY(wholeRun > 0);
        QCOMPARE(verifyEveryItemOnce(), itemCount);
        moveEverythingBack();

        int interruptedWhileMoving = 0;
        for (int trial = 0; trial < 20; ++trial) {
            runChild(QRandomGenerator::global()->bounded(wholeRun));
            const int moved = verifyEveryItemOnce();
            if (QTest::currentTestFailed())
                return;
            if (moved > 0 && moved < itemCount)
                ++interruptedWhileMoving;
            moveEverythingBack();
        }
        qInfo("%d of 20 kills landed while items were moving", interruptedWhileMoving);
        QVERIFY(interruptedWhileMoving > 0);
    }
};

int main(int argc, char **argv) {
    if (argc == 2 && qstrcmp(argv[1], "--clean-child") == 0)
        return cleanAsChild(argc, argv);
    QCoreApplication app(argc, argv);
    tst_CleanKilled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cleankilled.moc"
