// SPDX-License-Identifier: GPL-3.0-or-later
#include "KernelQueue.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {
// `path` watched in `queue`; the descriptor closes with the handle.
std::shared_ptr<int> watch(KernelQueue &queue, const QString &path, std::uint32_t flags = NOTE_ALL,
                           const std::shared_ptr<void> &udata = {}) {
    const int fd = KernelQueue::openForEvents(QFile::encodeName(path));
    if (fd < 0 || !queue.add(fd, flags, udata))
        return nullptr;
    return std::shared_ptr<int>(new int(fd), [](int *p) {
        KernelQueue::closeDescriptor(*p);
        delete p;
    });
}

int waitFor(KernelQueue &queue, std::span<KernelEvent> events,
            std::chrono::milliseconds t = 100ms) {
    return static_cast<int>(queue.wait(events, t));
}

// Runs steps such as "mv a ../b; rmdir sub" in `dir`: touch, rm, rmdir, mv, chmod (0700),
// append and poke (two bytes at the end or the start).
bool run(const QString &dir, const QString &steps) {
    for (const QString &step : steps.split(';', Qt::SkipEmptyParts)) {
        const QStringList w = step.split(' ', Qt::SkipEmptyParts);
        const QString op = w[0];
        const QByteArray a = QFile::encodeName(QDir(dir).filePath(w.value(1)));
        const QByteArray b = QFile::encodeName(QDir(dir).filePath(w.value(2)));
        int r = -1;
        if (op == "touch")
            r = ::close(::open(a, O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
        else if (op == "rm")
            r = unlink(a);
        else if (op == "rmdir")
            r = rmdir(a);
        else if (op == "mv")
            r = rename(a, b);
        else if (op == "chmod")
            r = chmod(a, 0700);
        else if (const int fd = ::open(a, O_WRONLY | O_CLOEXEC | (op == "append" ? O_APPEND : 0));
                 fd >= 0)
            r = int(::write(fd, "xy", 2)) - 2 + ::close(fd);
        if (r != 0)
            return false;
    }
    return true;
}

void create(const QString &path) {
    ::close(::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
}
} // namespace

class TestKernelQueue : public QObject {
    Q_OBJECT
private slots:

    void changesAreMapped_data() {
        // Run in the Desktop, which holds the file "a" and the folder "sub".
        QTest::addColumn<QString>("watched");
        QTest::addColumn<QString>("command"); // steps for run()
        QTest::addColumn<std::uint32_t>("expected");
        QTest::addColumn<std::uint32_t>("subscribed");
        const auto row = [](const char *name, const char *watched, const char *command,
                            std::uint32_t expected, std::uint32_t subscribed = NOTE_ALL) {
            QTest::newRow(name) << watched << command << expected << subscribed;
        };
        const std::uint32_t folderGone = NOTE_WRITE | NOTE_LINK | NOTE_DELETE; // emptied, then gone
        row("folder: file created", ".", "touch new", NOTE_WRITE);
        row("folder: file removed", ".", "rm a", NOTE_WRITE);
        row("folder: folder removed", ".", "rmdir sub", NOTE_WRITE | NOTE_LINK);
        row("folder: an entry's mode", ".", "chmod a", 0);
        row("folder: own mode", ".", "chmod .", NOTE_ATTRIB);
        row("folder: deleted", ".", "rm a; rmdir sub; rmdir ../Desktop", folderGone);
        row("folder: moved", ".", "mv ../Desktop ../Moved", NOTE_RENAME);
        row("folder: mode only, file created", ".", "touch new", 0, NOTE_ATTRIB);
        row("file: grown", "a", "append a", NOTE_WRITE | NOTE_EXTEND);
        row("file: written in place", "a", "poke a", NOTE_WRITE);
        row("file: mode", "a", "chmod a", NOTE_ATTRIB);
        row("file: deleted", "a", "rm a", NOTE_DELETE);
        row("file: renamed", "a", "mv a c", NOTE_RENAME);
        row("file: writes only, grown", "a", "append a", NOTE_WRITE, NOTE_WRITE);
    }

    void changesAreMapped() {
        QFETCH(QString, watched);
        QFETCH(QString, command);
        QFETCH(std::uint32_t, expected);
        QFETCH(std::uint32_t, subscribed);
        TestHome home;
        TestHome::writeFile(home.desktop() + "/a", "12345");
        QVERIFY(QDir(home.desktop()).mkdir("sub"));
        const auto queue = KernelQueue::create();
        QVERIFY(queue);
        const auto fd = watch(*queue, home.desktop() + "/" + watched, subscribed);
        QVERIFY(fd);
        KernelEvent events[2];
        QCOMPARE(waitFor(*queue, events, 0ms), 0);

        QVERIFY(run(home.desktop(), command));
        QCOMPARE(waitFor(*queue, events), expected ? 1 : 0);
        if (expected) {
            QCOMPARE(events[0].ident, *fd);
            QCOMPARE(events[0].fflags, expected);
        }
        QCOMPARE(waitFor(*queue, events, 0ms), 0); // reported once
    }

    void changesBetweenWaitsMerge() {
        TestHome home;
        const auto queue = KernelQueue::create();
        QVERIFY(queue);
        const auto token = std::make_shared<int>(1);
        const auto desktop = watch(*queue, home.desktop(), NOTE_ALL, token);
        const auto documents = watch(*queue, home.documents());
        QVERIFY(desktop && documents);
        for (const char *name : {"/1", "/2", "/3"})
            create(home.desktop() + name);
        QCOMPARE(chmod(QFile::encodeName(home.desktop()).constData(), 0700), 0);
        create(home.documents() + "/1");

        KernelEvent events[1]; // one slot: the second watch waits its turn
        QCOMPARE(waitFor(*queue, events), 1);
        QCOMPARE(events[0].ident, *desktop);
        QCOMPARE(events[0].fflags, NOTE_WRITE | NOTE_ATTRIB);
        QCOMPARE(events[0].udata.lock(), token);
        create(home.documents() + "/2");
        QCOMPARE(waitFor(*queue, events), 1);
        QCOMPARE(events[0].ident, *documents);
        QCOMPARE(waitFor(*queue, events, 50ms), 0);

        create(home.desktop() + "/4"); // a removed watch loses what it had not reported
        queue->remove(*desktop);
        QCOMPARE(waitFor(*queue, events, 50ms), 0);
    }

    void overflowReportsEveryFolder() {
        TestHome home;
        QFile limitFile("/proc/sys/fs/inotify/max_queued_events");
        QVERIFY(limitFile.open(QIODevice::ReadOnly));
        const int limit = limitFile.readAll().trimmed().toInt();
        TestHome::writeFile(home.path() + "/file");
        const auto queue = KernelQueue::create();
        QVERIFY(queue && limit > 0);
        const auto busy = watch(*queue, home.desktop());
        const auto quiet = watch(*queue, home.documents());
        const auto file = watch(*queue, home.path() + "/file");
        QVERIFY(busy && quiet && file);
        // Two changes a round, more than the system keeps before it drops them.
        const QByteArray churn = QFile::encodeName(home.desktop() + "/churn");
        for (int i = 0; i < limit / 2 + 10; ++i) {
            create(home.desktop() + "/churn");
            ::unlink(churn.constData());
        }
        KernelEvent events[4];
        QCOMPARE(waitFor(*queue, events), 2);
        QCOMPARE(std::set({events[0].ident, events[1].ident}), std::set({*busy, *quiet}));
        QCOMPARE(events[0].fflags | events[1].fflags, NOTE_WRITE);
    }

    void waitEnds_data() {
        QTest::addColumn<int>("action"); // 0: none, 1: interrupt, 2: create a file
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("expected");
        QTest::newRow("time runs out") << 0 << 150 << 0;
        QTest::newRow("interrupted by another thread") << 1 << 60000 << 0;
        QTest::newRow("a change arrives") << 2 << 60000 << 1;
    }

    void waitEnds() {
        QFETCH(int, action);
        QFETCH(int, timeoutMs);
        QFETCH(int, expected);
        TestHome home;
        std::shared_ptr<KernelQueue> queue = KernelQueue::create();
        QVERIFY(queue);
        const auto fd = watch(*queue, home.desktop());
        QVERIFY(fd);
        const auto start = std::chrono::steady_clock::now();
        std::thread other([queue, action, file = home.desktop() + "/new"] {
            std::this_thread::sleep_for(100ms);
            if (action == 1)
                queue->interrupt();
            if (action == 2)
                create(file);
        });
        KernelEvent events[1];
        const int count = waitFor(*queue, events, std::chrono::milliseconds(timeoutMs));
        const auto elapsed = std::chrono::steady_clock::now() - start;
        other.join();
        QCOMPARE(count, expected);
        QVERIFY(elapsed >= std::chrono::milliseconds(std::min(timeoutMs, 100)) && elapsed < 30s);
    }
};

QTEST_GUILESS_MAIN(TestKernelQueue)
#include "tst_kernelqueue.moc"
