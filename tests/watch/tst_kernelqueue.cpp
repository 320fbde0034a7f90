// SPDX-License-Identifier: GPL-3.0-or-later
#include "KernelQueue.h"
#include "TestHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtTest>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {
enum class Change {
    CreateFile,
    CreateFolder,
    RemoveFile,
    RemoveFolder,
    RenameInside,
    MoveOut,
    MoveIn,
    ChmodEntry,
    ChmodSelf,
    DeleteSelf,
    MoveSelf,
    ReplaceSelf,
    Append,
    Overwrite,
    Truncate,
    HardLink
};

QByteArray bytes(const QString &path) {
    return QFile::encodeName(path);
}

int waitCount(KernelQueue &queue, std::span<KernelEvent> events,
              std::chrono::milliseconds timeout) {
    return static_cast<int>(queue.wait(events, timeout));
}

// Watches `path` in `queue`; the descriptor closes with the returned handle.
std::shared_ptr<int> watch(KernelQueue &queue, const QString &path, std::uint32_t flags,
                           const std::shared_ptr<void> &udata = {}) {
    const int fd = KernelQueue::openForEvents(bytes(path));
    if (fd < 0 || !queue.add(fd, flags, udata))
        return nullptr;
    return std::shared_ptr<int>(new int(fd), [](int *p) {
        KernelQueue::closeDescriptor(*p);
        delete p;
    });
}
} // namespace
Q_DECLARE_METATYPE(Change)

class TestKernelQueue : public QObject {
    Q_OBJECT
private slots:
    void changesAreMapped_data();
    void changesAreMapped();
    void changesBetweenWaitsCoalesce();
    void oneObjectTwoDescriptors();
    void overflowReportsEveryFolder();
    void waitEnds_data();
    void waitEnds();
};

void TestKernelQueue::changesAreMapped_data() {
    QTest::addColumn<bool>("watchFile"); // Desktop/a instead of Desktop
    QTest::addColumn<Change>("change");
    QTest::addColumn<std::uint32_t>("subscribed");
    QTest::addColumn<std::uint32_t>("expected");
    const auto row = [](const char *name, bool file, Change c, std::uint32_t expected,
                        std::uint32_t subscribed = NOTE_ALL) {
        QTest::newRow(name) << file << c << subscribed << expected;
    };
    row("folder: file created", false, Change::CreateFile, NOTE_WRITE);
    row("folder: folder created", false, Change::CreateFolder, NOTE_WRITE | NOTE_LINK);
    row("folder: file removed", false, Change::RemoveFile, NOTE_WRITE);
    row("folder: folder removed", false, Change::RemoveFolder, NOTE_WRITE | NOTE_LINK);
    row("folder: renamed inside", false, Change::RenameInside, NOTE_WRITE);
    row("folder: moved out", false, Change::MoveOut, NOTE_WRITE);
    row("folder: moved in", false, Change::MoveIn, NOTE_WRITE);
    row("folder: an entry's mode", false, Change::ChmodEntry, 0);
    row("folder: own mode", false, Change::ChmodSelf, NOTE_ATTRIB);
    row("folder: deleted", false, Change::DeleteSelf, NOTE_WRITE | NOTE_LINK | NOTE_DELETE);
    row("folder: replaced by another", false, Change::ReplaceSelf,
        NOTE_WRITE | NOTE_LINK | NOTE_DELETE);
    row("folder: moved", false, Change::MoveSelf, NOTE_RENAME);
    row("folder: mode only, file created", false, Change::CreateFile, 0, NOTE_ATTRIB);
    row("file: grown", true, Change::Append, NOTE_WRITE | NOTE_EXTEND);
    row("file: written in place", true, Change::Overwrite, NOTE_WRITE);
    row("file: truncated", true, Change::Truncate, NOTE_WRITE);
    row("file: mode", true, Change::ChmodSelf, NOTE_ATTRIB);
    row("file: hard link", true, Change::HardLink, NOTE_LINK);
    row("file: deleted", true, Change::DeleteSelf, NOTE_DELETE);
    row("file: renamed", true, Change::MoveSelf, NOTE_RENAME);
    row("file: writes only, grown", true, Change::Append, NOTE_WRITE, NOTE_WRITE);
}

void TestKernelQueue::changesAreMapped() {
    QFETCH(bool, watchFile);
    QFETCH(Change, change);
    QFETCH(std::uint32_t, subscribed);
    QFETCH(std::uint32_t, expected);
    TestHome home;
    const QString dir = home.desktop();
    const QString outside = home.documents();
    TestHome::writeFile(dir + "/a", "12345");
    TestHome::writeFile(outside + "/b");
    QVERIFY(QDir(dir).mkdir("sub"));
    const QString target = watchFile ? dir + "/a" : dir;

    const auto queue = KernelQueue::create();
    QVERIFY(queue);
    const auto fd = watch(*queue, target, subscribed);
    QVERIFY(fd);
    switch (change) {
    case Change::CreateFile:
        TestHome::writeFile(dir + "/new");
        break;
    case Change::CreateFolder:
        QVERIFY(QDir(dir).mkdir("new"));
        break;
    case Change::RemoveFile:
        QVERIFY(QFile::remove(dir + "/a"));
        break;
    case Change::RemoveFolder:
        QVERIFY(QDir(dir).rmdir("sub"));
        break;
    case Change::RenameInside:
        QVERIFY(QFile::rename(dir + "/a", dir + "/c"));
        break;
    case Change::MoveOut:
        QVERIFY(QFile::rename(dir + "/a", outside + "/a"));
        break;
    case Change::MoveIn:
        QVERIFY(QFile::rename(outside + "/b", dir + "/b"));
        break;
    case Change::ChmodEntry:
        QCOMPARE(chmod(bytes(dir + "/a"), 0600), 0);
        break;
    case Change::ChmodSelf:
        QCOMPARE(chmod(bytes(target), 0700), 0);
        break;
    case Change::DeleteSelf:
        QVERIFY(watchFile ? QFile::remove(target) : QDir(target).removeRecursively());
        break;
    case Change::ReplaceSelf: // emptied, then another folder renamed over it
        QVERIFY(QFile::remove(dir + "/a") && QDir(dir).rmdir("sub"));
        QVERIFY(QFile::remove(outside + "/b"));
        QCOMPARE(rename(bytes(outside), bytes(dir)), 0);
        break;
    case Change::MoveSelf:
        QVERIFY(QFile::rename(target, home.path() + "/moved"));
        break;
    case Change::Append:
        TestHome::writeFile(target, "123456789");
        break;
    case Change::Overwrite: {
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QCOMPARE(f.write("54321"), 5);
        break;
    }
    case Change::Truncate:
        QCOMPARE(truncate(bytes(target), 2), 0);
        break;
    case Change::HardLink:
        QCOMPARE(link(bytes(target), bytes(dir + "/link")), 0);
        break;
    }

    KernelEvent events[2];
    const int count = waitCount(*queue, events, 100ms);
    QCOMPARE(count, expected ? 1 : 0);
    if (count) {
        QCOMPARE(events[0].ident, *fd);
        QCOMPARE(events[0].fflags, expected);
    }
    QCOMPARE(waitCount(*queue, events, 0ms), 0); // reported once
}

void TestKernelQueue::changesBetweenWaitsCoalesce() {
    TestHome home;
    const auto queue = KernelQueue::create();
    QVERIFY(queue);
    const auto desktopToken = std::make_shared<int>(1);
    const auto desktop = watch(*queue, home.desktop(), NOTE_ALL, desktopToken);
    const auto documents = watch(*queue, home.documents(), NOTE_ALL);
    QVERIFY(desktop && documents);

    for (const char *name : {"/1", "/2", "/3"})
        TestHome::writeFile(home.desktop() + name);
    QCOMPARE(chmod(bytes(home.desktop()), 0700), 0);
    TestHome::writeFile(home.documents() + "/1");

    KernelEvent events[1];
    QCOMPARE(waitCount(*queue, events, 100ms), 1); // one slot: the other watch waits its turn
    QCOMPARE(events[0].ident, *desktop);
    QCOMPARE(events[0].fflags, NOTE_WRITE | NOTE_ATTRIB);
    QCOMPARE(events[0].udata.lock(), desktopToken);
    TestHome::writeFile(home.documents() + "/2");
    QCOMPARE(waitCount(*queue, events, 100ms), 1);
    QCOMPARE(events[0].ident, *documents);
    QCOMPARE(events[0].fflags, NOTE_WRITE);
    QCOMPARE(waitCount(*queue, events, 50ms), 0);

    // A watch removed loses what it had not reported yet.
    TestHome::writeFile(home.desktop() + "/4");
    queue->remove(*desktop);
    QCOMPARE(waitCount(*queue, events, 50ms), 0);
}

void TestKernelQueue::oneObjectTwoDescriptors() {
    // The system keeps one watch per object: two descriptors on it must not disturb each other.
    TestHome home;
    const auto queue = KernelQueue::create();
    QVERIFY(queue);
    const auto first = watch(*queue, home.desktop(), NOTE_ALL);
    const auto second = watch(*queue, home.desktop() + "/", NOTE_WRITE);
    QVERIFY(first && second);

    TestHome::writeFile(home.desktop() + "/1");
    KernelEvent events[4];
    QCOMPARE(waitCount(*queue, events, 100ms), 2);
    QCOMPARE(events[0].ident + events[1].ident, *first + *second);

    queue->remove(*first);
    TestHome::writeFile(home.desktop() + "/2");
    QCOMPARE(waitCount(*queue, events, 100ms), 1);
    QCOMPARE(events[0].ident, *second);
    QCOMPARE(events[0].fflags, NOTE_WRITE);
}

void TestKernelQueue::overflowReportsEveryFolder() {
    TestHome home;
    QFile limitFile("/proc/sys/fs/inotify/max_queued_events");
    QVERIFY(limitFile.open(QIODevice::ReadOnly));
    const int limit = limitFile.readAll().trimmed().toInt();
    QVERIFY(limit > 0);
    TestHome::writeFile(home.path() + "/file");

    const auto queue = KernelQueue::create();
    QVERIFY(queue);
    const auto busy = watch(*queue, home.desktop(), NOTE_ALL);
    const auto quiet = watch(*queue, home.documents(), NOTE_ALL);
    const auto file = watch(*queue, home.path() + "/file", NOTE_ALL);
    QVERIFY(busy && quiet && file);
    // Two changes per round, more than the system keeps before it gives up.
    const QByteArray name = bytes(home.desktop() + "/churn");
    for (int i = 0; i < limit / 2 + 10; ++i) {
        ::close(::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
        ::unlink(name.constData());
    }

    KernelEvent events[4];
    QCOMPARE(waitCount(*queue, events, 100ms), 2);
    QCOMPARE(std::set({events[0].ident, events[1].ident}), std::set({*busy, *quiet}));
    QCOMPARE(events[0].fflags | events[1].fflags, NOTE_WRITE);
}

void TestKernelQueue::waitEnds_data() {
    QTest::addColumn<int>("action"); // 0: none, 1: interrupt, 2: create a file
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<std::size_t>("expected");
    QTest::newRow("time runs out") << 0 << 150 << std::size_t(0);
    QTest::newRow("interrupted by another thread") << 1 << 60000 << std::size_t(0);
    QTest::newRow("a change arrives") << 2 << 60000 << std::size_t(1);
}

void TestKernelQueue::waitEnds() {
    QFETCH(int, action);
    QFETCH(int, timeoutMs);
    QFETCH(std::size_t, expected);
    TestHome home;
    std::shared_ptr<KernelQueue> queue = KernelQueue::create();
    QVERIFY(queue);
    const auto fd = watch(*queue, home.desktop(), NOTE_ALL);
    QVERIFY(fd);
    QElapsedTimer timer; // started before the other thread's pause
    timer.start();
    std::thread other([queue, action, file = bytes(home.desktop() + "/new")] {
        std::this_thread::sleep_for(100ms);
        if (action == 1)
            queue->interrupt();
        if (action == 2)
            ::close(::open(file.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
    });
    KernelEvent events[1];
    const std::size_t count = queue->wait(events, std::chrono::milliseconds(timeoutMs));
    const qint64 elapsed = timer.elapsed();
    other.join();
    QCOMPARE(count, expected);
    QVERIFY2(elapsed >= std::min(timeoutMs, 100), qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < 30000, qPrintable(QString::number(elapsed))); // ended, not timed out
}

QTEST_GUILESS_MAIN(TestKernelQueue)
#include "tst_kernelqueue.moc"
