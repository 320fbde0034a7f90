// SPDX-License-Identifier: GPL-3.0-or-later
#include "KernelQueue.h"
#include "TestHome.h"

#include <QDir>
#include <QtTest>
#include <set>
#include <sys/stat.h>
#include <thread>

using namespace std::chrono_literals;

namespace {
// `path` watched in `queue`: its descriptor, or -1. Descriptors stay open until the test ends.
int watch(KernelQueue &queue, const QString &path, std::uint32_t flags = NOTE_ALL,
          const std::shared_ptr<void> &udata = {}) {
    const int fd = KernelQueue::openForEvents(QFile::encodeName(path));
    return fd >= 0 && queue.add(fd, flags, udata) ? fd : -1;
}

int waitFor(KernelQueue &queue, std::span<KernelEvent> events,
            std::chrono::milliseconds t = 100ms) {
    return static_cast<int>(queue.wait(events, t));
}
} // namespace

class TestKernelQueue : public QObject {
    Q_OBJECT
private slots:

    // A wait ends when another thread interrupts it or a change arrives (the bound only turns
    // a hang into a failure). First: ThreadSanitizer allows no new thread once a shell was forked.
    void waitEnds() {
        TestHome home;
        std::shared_ptr<KernelQueue> queue = KernelQueue::create();
        QVERIFY(queue && watch(*queue, home.desktop()) >= 0);
        for (const bool interrupt : {true, false}) {
            const auto start = std::chrono::steady_clock::now();
            std::thread other([queue, interrupt, file = home.desktop() + "/new"] {
                std::this_thread::sleep_for(100ms); // most likely waiting by then
                interrupt ? queue->interrupt() : TestHome::writeFile(file);
            });
            KernelEvent events[1];
            const int count = waitFor(*queue, events, 120s);
            other.join();
            QCOMPARE(count, interrupt ? 0 : 1);
            QVERIFY(std::chrono::steady_clock::now() - start < 60s);
        }
    }

    void changesAreMapped_data() {
        // A shell command run in the Desktop, which holds the file "a" and the folder "sub".
        QTest::addColumn<QString>("watched");
        QTest::addColumn<QString>("command");
        QTest::addColumn<std::uint32_t>("expected");
        QTest::addColumn<std::uint32_t>("subscribed");
        const auto row = [](const char *name, const char *watched, const char *command,
                            std::uint32_t expected, std::uint32_t subscribed = NOTE_ALL) {
            QTest::newRow(name) << watched << command << expected << subscribed;
        };
        row("folder: file created", ".", "touch new", NOTE_WRITE);
        row("folder: folder removed", ".", "rmdir sub", NOTE_WRITE | NOTE_LINK);
        row("folder: an entry's mode", ".", "chmod 700 a", 0);
        // Emptied, then gone: its open descriptor hides the deletion from its own watch.
        row("folder: deleted", ".", "rm a && rmdir sub ../Desktop",
            NOTE_WRITE | NOTE_LINK | NOTE_DELETE);
        row("folder: mode only, file created", ".", "touch new", 0, NOTE_ATTRIB);
        row("file: grown", "a", "printf xy >> a", NOTE_WRITE | NOTE_EXTEND);
        row("file: written in place", "a", "printf xy 1<> a", NOTE_WRITE);
        row("file: mode", "a", "chmod 700 a", NOTE_ATTRIB);
        row("file: deleted", "a", "rm a", NOTE_DELETE);
        row("file: renamed", "a", "mv a c", NOTE_RENAME);
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
        const int fd = queue ? watch(*queue, home.desktop() + "/" + watched, subscribed) : -1;
        QVERIFY(fd >= 0);
        KernelEvent events[2];
        QCOMPARE(waitFor(*queue, events, 0ms), 0);

        QCOMPARE(QProcess::execute("sh", {"-c", "cd \"$0\" && " + command, home.desktop()}), 0);
        QCOMPARE(waitFor(*queue, events), expected ? 1 : 0);
        if (expected)
            QVERIFY(events[0].ident == fd && events[0].fflags == expected);
        QCOMPARE(waitFor(*queue, events, 0ms), 0); // reported once
    }

    void overflowReportsEveryFolder() {
        TestHome home;
        QFile limitFile("/proc/sys/fs/inotify/max_queued_events");
        QVERIFY(limitFile.open(QIODevice::ReadOnly));
        const int limit = limitFile.readAll().trimmed().toInt();
        TestHome::writeFile(home.path() + "/file");
        const auto queue = KernelQueue::create();
        QVERIFY(queue && limit > 0);
        const int busy = watch(*queue, home.desktop());
        const int quiet = watch(*queue, home.documents());
        const int file = watch(*queue, home.path() + "/file");
        QVERIFY(busy >= 0 && quiet >= 0 && file >= 0);
        // Two changes a round, more than the system keeps before it drops them.
        const QString churn = home.desktop() + "/churn";
        for (int i = 0; i < limit / 2 + 10; ++i) {
            TestHome::writeFile(churn);
            QFile::remove(churn);
        }
        KernelEvent first[1], second[1]; // one slot: the other folder waits its turn
        QCOMPARE(waitFor(*queue, first) + waitFor(*queue, second), 2);
        QCOMPARE(std::set({first[0].ident, second[0].ident}), std::set({busy, quiet}));
        QCOMPARE(first[0].fflags | second[0].fflags, NOTE_WRITE);
        QCOMPARE(waitFor(*queue, first, 0ms), 0);
    }
};

QTEST_GUILESS_MAIN(TestKernelQueue)
#include "tst_kernelqueue.moc"
