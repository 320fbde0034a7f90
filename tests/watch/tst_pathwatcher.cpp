// SPDX-License-Identifier: GPL-3.0-or-later
#include "Log.h"
#include "NotificationCenter.h"
#include "PathWatcher.h"
#include "TestHome.h"

#include <QDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {
struct Delivery {
    PathWatcher *watcher;
    QString name;
    QString path;
    bool onMainThread;
};

bool onMainThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

class Recorder : public PathWatcherDelegate {
public:
    void PathWatcherReceivedNotificationForPath(PathWatcher *watcher, const QString &name,
                                                const QString &path) override {
        calls.append({watcher, name, path, onMainThread()});
        if (onCall)
            onCall();
    }
    QStringList names() const {
        QStringList list;
        for (const Delivery &d : calls)
            list.append(d.name);
        return list;
    }
    QList<Delivery> calls;
    std::function<void()> onCall;
};

// Every watcher notification posted on the workspace centre while it lives.
class WorkspaceRecorder {
public:
    WorkspaceRecorder() {
        for (const QString &name : PathWatcher::notificationNamesForFlags(NOTE_ALL)) {
            tokens_.append(NotificationCenter::workspace().addObserver(
                name, nullptr, [this](const Notification &n) {
                    QVERIFY(onMainThread());
                    notes.append(n);
                }));
        }
    }
    ~WorkspaceRecorder() {
        for (const int token : tokens_)
            NotificationCenter::workspace().removeObserver(token);
    }
    QList<Notification> notes;

private:
    QList<int> tokens_;
};

// Only addPath logs in these tests, and it runs on the main thread.
struct LogCapture {
    LogCapture() {
        setLogSink([this](const QString &line) { lines.append(line); });
    }
    ~LogCapture() { setLogSink(nullptr); }
    QStringList lines;
};

// Leaves the process no free descriptor until it goes.
class DescriptorsExhausted {
public:
    DescriptorsExhausted() {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = 64;
        setrlimit(RLIMIT_NOFILE, &low);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            held_.push_back(fd);
    }
    ~DescriptorsExhausted() {
        for (const int fd : held_)
            ::close(fd);
        setrlimit(RLIMIT_NOFILE, &saved_);
    }

private:
    rlimit saved_{};
    std::vector<int> held_;
};

qsizetype entriesIn(const QString &procFolder) {
    return QDir(procFolder)
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

const QString cannotAdd =
    QStringLiteral("PathWatcher tried to add the path %1 to watchedPathEntries, but the "
                   "PathWatcherEntry was nil. \nIt's possible that the host process has hit its "
                   "max open file descriptors limit.");

void append(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    QCOMPARE(file.write(bytes), bytes.size());
}
} // namespace

class TestPathWatcher : public QObject {
    Q_OBJECT
private slots:
    void addingAgain_data();
    void addingAgain();
    void unwatchablePath_data();
    void unwatchablePath();
    void noQueueNoWatcher();
    void deliveryTargets_data();
    void deliveryTargets();
    void namesInOrder_data();
    void namesInOrder();
    void changesReported_data();
    void changesReported();
    void removePath_data();
    void removePath();
    void removalWhileEventsInFlight();
    void destroyedWatcher_data();
    void destroyedWatcher();
};

void TestPathWatcher::addingAgain_data() {
    QTest::addColumn<std::uint32_t>("first");
    QTest::addColumn<std::uint32_t>("second");
    QTest::addColumn<bool>("throughQueue"); // addPathToQueue instead of addPath
    QTest::addColumn<std::uint32_t>("expected");
    QTest::newRow("same path twice") << NOTE_ALL << NOTE_ALL << false << NOTE_ALL;
    QTest::newRow("writes only, watched for all") << NOTE_ALL << NOTE_WRITE << false << NOTE_ALL;
    QTest::newRow("more kinds through addPath") << NOTE_WRITE << NOTE_ATTRIB << false << NOTE_WRITE;
    QTest::newRow("more kinds through addPathToQueue")
        << NOTE_WRITE << NOTE_ATTRIB << true << (NOTE_WRITE | NOTE_ATTRIB);
}

void TestPathWatcher::addingAgain() {
    QFETCH(std::uint32_t, first);
    QFETCH(std::uint32_t, second);
    QFETCH(bool, throughQueue);
    QFETCH(std::uint32_t, expected);
    TestHome home;
    LogCapture log;
    Recorder recorder;
    const auto watcher = PathWatcher::create();
    QVERIFY(watcher);
    watcher->setDelegate(&recorder);
    watcher->addPath(home.desktop(), first);
    const auto entry = watcher->addPathToQueue(home.desktop(), 0); // the entry, unchanged
    QVERIFY(entry);
    const qsizetype descriptors = entriesIn("/proc/self/fd");
    const qsizetype threads = entriesIn("/proc/self/task");

    if (throughQueue)
        QCOMPARE(watcher->addPathToQueue(home.desktop(), second), entry);
    else
        watcher->addPath(home.desktop(), second);
    QCOMPARE(watcher->numberOfWatchedPaths(), std::size_t(1));
    QCOMPARE(watcher->addPathToQueue(home.desktop(), 0), entry);
    QCOMPARE(entry->subscriptionFlags(), expected);
    QCOMPARE(entriesIn("/proc/self/fd"), descriptors);
    QCOMPARE(entriesIn("/proc/self/task"), threads);
    QCOMPARE(log.lines, QStringList());

    // One subscription: each change is heard once, for exactly the kinds subscribed.
    TestHome::writeFile(home.desktop() + "/new");
    QCOMPARE(chmod(QFile::encodeName(home.desktop()).constData(), 0700), 0);
    QTRY_VERIFY(!recorder.calls.isEmpty());
    QTest::qWait(200);
    QStringList names = recorder.names();
    names.sort();
    QStringList wanted =
        PathWatcher::notificationNamesForFlags(expected & (NOTE_WRITE | NOTE_ATTRIB));
    wanted.sort();
    QCOMPARE(names, wanted);
}

void TestPathWatcher::unwatchablePath_data() {
    QTest::addColumn<bool>("outOfDescriptors");
    QTest::newRow("missing path") << false;
    QTest::newRow("out of descriptors") << true;
}

void TestPathWatcher::unwatchablePath() {
    QFETCH(bool, outOfDescriptors);
    TestHome home;
    LogCapture log;
    const auto watcher = PathWatcher::create();
    QVERIFY(watcher);
    const QString path = outOfDescriptors ? home.desktop() : home.path() + "/missing";
    const qsizetype threads = entriesIn("/proc/self/task");
    {
        std::optional<DescriptorsExhausted> exhausted;
        if (outOfDescriptors)
            exhausted.emplace();
        watcher->addPath(path);
    }
    QCOMPARE(log.lines, QStringList{cannotAdd.arg(path)});
    QCOMPARE(watcher->numberOfWatchedPaths(), std::size_t(0));
    QCOMPARE(entriesIn("/proc/self/task"), threads);

    watcher->addPath(home.documents()); // the first path watched starts the thread
    QCOMPARE(watcher->numberOfWatchedPaths(), std::size_t(1));
    QCOMPARE(entriesIn("/proc/self/task"), threads + 1);
}

void TestPathWatcher::noQueueNoWatcher() {
    DescriptorsExhausted exhausted;
    QVERIFY(!PathWatcher::create());
}

void TestPathWatcher::deliveryTargets_data() {
    QTest::addColumn<bool>("withDelegate");
    QTest::addColumn<bool>("alwaysPost");
    QTest::addColumn<bool>("posted");
    QTest::newRow("no delegate") << false << false << true;
    QTest::newRow("no delegate, always posting") << false << true << true;
    QTest::newRow("delegate") << true << false << false;
    QTest::newRow("delegate, always posting") << true << true << true;
}

void TestPathWatcher::deliveryTargets() {
    QFETCH(bool, withDelegate);
    QFETCH(bool, alwaysPost);
    QFETCH(bool, posted);
    TestHome home;
    Recorder recorder;
    WorkspaceRecorder workspace;
    const auto watcher = PathWatcher::create();
    QVERIFY(watcher);
    QVERIFY(!watcher->alwaysPostNotifications() && !watcher->delegate());
    watcher->setDelegate(withDelegate ? &recorder : nullptr);
    watcher->setAlwaysPostNotifications(alwaysPost);
    watcher->addPath(home.desktop());

    TestHome::writeFile(home.desktop() + "/new");
    QTRY_VERIFY(!recorder.calls.isEmpty() || !workspace.notes.isEmpty());
    QTest::qWait(200);
    QCOMPARE(recorder.calls.size(), withDelegate ? 1 : 0);
    for (const Delivery &d : recorder.calls) {
        QCOMPARE(d.watcher, watcher.get());
        QCOMPARE(d.name, PathWatcherFileWrittenToNotification);
        QCOMPARE(d.path, home.desktop());
        QVERIFY(d.onMainThread);
    }
    QCOMPARE(workspace.notes.size(), posted ? 1 : 0);
    for (const Notification &n : workspace.notes) {
        QCOMPARE(n.name, PathWatcherFileWrittenToNotification);
        QCOMPARE(n.object, static_cast<const void *>(watcher.get()));
        QCOMPARE(n.userInfo, (QVariantMap{{"path", home.desktop()}}));
    }
}

void TestPathWatcher::namesInOrder_data() {
    QTest::addColumn<std::uint32_t>("fflags");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("renamed and written")
        << (NOTE_WRITE | NOTE_RENAME)
        << QStringList{PathWatcherFileRenamedNotification, PathWatcherFileWrittenToNotification};
    QTest::newRow("every kind") << NOTE_ALL
                                << QStringList{PathWatcherFileRenamedNotification,
                                               PathWatcherFileWrittenToNotification,
                                               PathWatcherFileDeletedNotification,
                                               PathWatcherFileAttributesChangedNotification,
                                               PathWatcherFileSizeIncreasedNotification,
                                               PathWatcherLinkCountChangedNotification,
                                               PathWatcherAccessWasRevokedNotification};
    QTest::newRow("no known kind") << std::uint32_t(0x80) << QStringList();
}

void TestPathWatcher::namesInOrder() {
    QFETCH(std::uint32_t, fflags);
    QFETCH(QStringList, names);
    QCOMPARE(PathWatcher::notificationNamesForFlags(fflags), names);
}

void TestPathWatcher::changesReported_data() {
    QTest::addColumn<int>("change"); // 0: folder deleted, 1: folder moved, 2: file grown
    QTest::addColumn<QStringList>("names");
    QTest::newRow("folder deleted") << 0 << QStringList{PathWatcherFileDeletedNotification};
    QTest::newRow("folder moved") << 1 << QStringList{PathWatcherFileRenamedNotification};
    QTest::newRow("file grown") << 2
                                << QStringList{PathWatcherFileWrittenToNotification,
                                               PathWatcherFileSizeIncreasedNotification};
}

void TestPathWatcher::changesReported() {
    QFETCH(int, change);
    QFETCH(QStringList, names);
    TestHome home;
    const QString folder = home.desktop() + "/box";
    const QString file = home.desktop() + "/a";
    QVERIFY(QDir().mkdir(folder));
    TestHome::writeFile(file, "1");
    Recorder recorder;
    const auto watcher = PathWatcher::create();
    QVERIFY(watcher);
    watcher->setDelegate(&recorder);
    const QString watched = change == 2 ? file : folder;
    watcher->addPath(watched);

    if (change == 0)
        QVERIFY(QDir().rmdir(folder));
    else if (change == 1)
        QVERIFY(QFile::rename(folder, home.documents() + "/box"));
    else
        append(file, "23");
    QTRY_COMPARE(recorder.names(), names);
    for (const Delivery &d : recorder.calls)
        QCOMPARE(d.path, watched);
}

void TestPathWatcher::removePath_data() {
    QTest::addColumn<QString>("removed"); // relative to the home; "-" for a null path
    QTest::addColumn<bool>("stillWatched");
    QTest::newRow("unknown path") << "Documents" << true;
    QTest::newRow("null path") << "-" << true;
    QTest::newRow("watched path") << "Desktop" << false;
}

void TestPathWatcher::removePath() {
    QFETCH(QString, removed);
    QFETCH(bool, stillWatched);
    TestHome home;
    Recorder recorder;
    const auto watcher = PathWatcher::create();
    QVERIFY(watcher);
    watcher->setDelegate(&recorder);
    watcher->addPath(home.desktop());
    watcher->removePath(removed == "-" ? QString() : home.path() + "/" + removed);
    QCOMPARE(watcher->numberOfWatchedPaths(), std::size_t(stillWatched ? 1 : 0));

    TestHome::writeFile(home.desktop() + "/new");
    if (stillWatched)
        QTRY_COMPARE(recorder.calls.size(), 1);
    else
        QTest::qWait(300);
    QCOMPARE(recorder.calls.size(), stillWatched ? 1 : 0);
}

void TestPathWatcher::removalWhileEventsInFlight() {
    // Paths come and go while a stream of changes is read for them; nothing read may outlive
    // its entry, and nothing is reported once the path is gone.
    TestHome home;
    Recorder recorder;
    const auto watcher = PathWatcher::create();
    QVERIFY(watcher);
    watcher->setDelegate(&recorder);
    const auto stop = std::make_shared<std::atomic<bool>>(false);
    std::thread writer([stop, dir = QFile::encodeName(home.desktop())] {
        for (int i = 0; !stop->load(); ++i) {
            const QByteArray name = dir + "/f" + QByteArray::number(i % 50);
            ::close(::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
            ::unlink(name.constData());
        }
    });
    for (int round = 0; round < 200; ++round) {
        watcher->addPath(home.desktop());
        QCoreApplication::processEvents();
        if (round % 2)
            std::this_thread::sleep_for(1ms);
        watcher->removePath(home.desktop());
    }
    *stop = true;
    writer.join();
    QTest::qWait(200); // what was read before the last removal
    QVERIFY(!recorder.calls.isEmpty());
    recorder.calls.clear();
    TestHome::writeFile(home.desktop() + "/late");
    QTest::qWait(300);
    QCOMPARE(recorder.calls.size(), 0);
    QCOMPARE(watcher->numberOfWatchedPaths(), std::size_t(0));
}

void TestPathWatcher::destroyedWatcher_data() {
    QTest::addColumn<int>("when"); // 0: kept, 1: before its deliveries run, 2: by its delegate
    QTest::addColumn<int>("delivered");
    QTest::newRow("kept") << 0 << 2;
    QTest::newRow("destroyed with deliveries queued") << 1 << 0;
    QTest::newRow("destroyed by its delegate") << 2 << 1;
}

void TestPathWatcher::destroyedWatcher() {
    QFETCH(int, when);
    QFETCH(int, delivered);
    TestHome home;
    Recorder recorder;
    WorkspaceRecorder workspace;
    auto watcher = PathWatcher::create();
    QVERIFY(watcher);
    watcher->setDelegate(&recorder);
    watcher->setAlwaysPostNotifications(true);
    const QString file = home.desktop() + "/a";
    TestHome::writeFile(file, "1");
    watcher->addPath(file);
    if (when == 2)
        recorder.onCall = [&watcher] {
            watcher.reset();
        };

    append(file, "23");                 // written to, and grown: two names
    std::this_thread::sleep_for(300ms); // read and queued, not yet delivered
    if (when == 1)
        watcher.reset();
    QTest::qWait(200);
    QCOMPARE(recorder.calls.size(), delivered);
    QCOMPARE(workspace.notes.size(), when == 0 ? 2 : 0);
}

QTEST_GUILESS_MAIN(TestPathWatcher)
#include "tst_pathwatcher.moc"
