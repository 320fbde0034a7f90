// SPDX-License-Identifier: GPL-3.0-or-later
#include "PathWatcher.h"
#include "TestHome.h"

#include <QDir>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

namespace {
class Timestamps : public PathWatcherDelegate {
public:
    void PathWatcherReceivedNotificationForPath(PathWatcher *, const QString &name,
                                                const QString &path) override {
        QCOMPARE(name, PathWatcherFileWrittenToNotification);
        QCOMPARE(path, expectedPath);
        last = Clock::now();
    }
    QString expectedPath;
    Clock::time_point last{};
};

struct Writer {
    std::atomic<bool> done{false};
    Clock::time_point lastCreation{}; // written before `done` is set
};
} // namespace

class TestWatchStress : public QObject {
    Q_OBJECT
private slots:
    // However the changes merge, one delivery must follow the last of 10,000 creations.
    void noCreationIsLost() {
        constexpr int files = 10000;
        TestHome home;
        Timestamps delegate;
        delegate.expectedPath = home.desktop();
        const auto watcher = PathWatcher::create();
        QVERIFY(watcher);
        watcher->setDelegate(&delegate);
        watcher->addPath(home.desktop());

        const auto writer = std::make_shared<Writer>();
        std::thread thread([writer, dir = QFile::encodeName(home.desktop())] {
            for (int i = 0; i < files; ++i) {
                const QByteArray name = dir + "/file" + QByteArray::number(i);
                // Taken as the last creation starts: a delivery for it can come before this
                // thread runs again, and no later change would follow to be delivered.
                if (i == files - 1)
                    writer->lastCreation = Clock::now();
                ::close(::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
            }
            writer->done = true;
        });
        while (!writer->done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        thread.join();

        QTRY_VERIFY_WITH_TIMEOUT(delegate.last > writer->lastCreation, 10000);
        QCOMPARE(QDir(home.desktop()).entryList(QDir::Files).size(), files);
    }
};

QTEST_GUILESS_MAIN(TestWatchStress)
#include "tst_watchstress.moc"
