// SPDX-License-Identifier: GPL-3.0-or-later
#include "Log.h"
#include "NotificationCenter.h"
#include "PathWatcher.h"
#include "TestHome.h"

#include <QDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {
bool onMainThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

struct Delivery {
    const void *watcher;
    QString name;
    QString path;
    bool onMainThread;
};

class Recorder : public PathWatcherDelegate {
public:
    void PathWatcherReceivedNotificationForPath(PathWatcher *watcher, const QString &name,
                                                const QString &path) override {
        calls.append({watcher, name, path, onMainThread()});
        if (onCall)
            onCall();
    }
    QList<Delivery> calls;
    std::function<void()> onCall;
};

qsizetype entriesIn(const QString &procFolder) {
    return QDir(procFolder)
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}
} // namespace

// Each test has a fresh HOME, a watcher with a recording delegate, the workspace centre's
// watcher notifications and the log.
class TestPathWatcher : public QObject {
    Q_OBJECT
private:
    QString desktop() const { return home_->desktop(); }

    std::optional<TestHome> home_;
    std::unique_ptr<PathWatcher> watcher_;
    Recorder recorder_;
    QList<Notification> posted_;
    QList<int> tokens_;
    QStringList log_; // only addPath logs here, on this thread

private slots:

    void init() {
        home_.emplace();
        recorder_ = {};
        posted_.clear();
        log_.clear();
        setLogSink([this](const QString &line) { log_.append(line); });
        for (const QString &name : PathWatcher::notificationNamesForFlags(NOTE_ALL)) {
            tokens_.append(NotificationCenter::workspace().addObserver(
                name, nullptr, [this](const Notification &n) {
                    QVERIFY(onMainThread());
                    posted_.append(n);
                }));
        }
        watcher_ = PathWatcher::create();
        QVERIFY(watcher_);
        watcher_->setDelegate(&recorder_);
    }

    void cleanup() {
        watcher_.reset();
        for (const int token : std::exchange(tokens_, {}))
            NotificationCenter::workspace().removeObserver(token);
        setLogSink(nullptr);
        home_.reset();
    }

    void addingAgain_data() {
        QTest::addColumn<std::uint32_t>("first");
        QTest::addColumn<std::uint32_t>("second");
        QTest::addColumn<bool>("throughQueue"); // addPathToQueue instead of addPath
        QTest::addColumn<std::uint32_t>("expected");
        QTest::newRow("same path twice") << NOTE_ALL << NOTE_ALL << false << NOTE_ALL;
        QTest::newRow("writes only, watched for all")
            << NOTE_ALL << NOTE_WRITE << false << NOTE_ALL;
        QTest::newRow("more kinds through addPathToQueue")
            << NOTE_WRITE << NOTE_ATTRIB << true << (NOTE_WRITE | NOTE_ATTRIB);
    }

    void addingAgain() {
        QFETCH(std::uint32_t, first);
        QFETCH(std::uint32_t, second);
        QFETCH(bool, throughQueue);
        QFETCH(std::uint32_t, expected);
        watcher_->addPath(desktop(), first);
        const auto entry = watcher_->addPathToQueue(desktop(), 0); // the entry, unchanged
        QVERIFY(entry);
        const qsizetype descriptors = entriesIn("/proc/self/fd");
        const qsizetype threads = entriesIn("/proc/self/task");
        if (throughQueue)
            QCOMPARE(watcher_->addPathToQueue(desktop(), second), entry);
        else
            watcher_->addPath(desktop(), second);
        QCOMPARE(watcher_->numberOfWatchedPaths(), std::size_t(1));
        QCOMPARE(watcher_->addPathToQueue(desktop(), 0), entry);
        QCOMPARE(entry->subscriptionFlags(), expected);
        QCOMPARE(entriesIn("/proc/self/fd"), descriptors);
        QCOMPARE(entriesIn("/proc/self/task"), threads);
        QCOMPARE(log_, QStringList());

        // One subscription: each change is heard once, for exactly the kinds subscribed.
        TestHome::writeFile(desktop() + "/new");
        QCOMPARE(chmod(QFile::encodeName(desktop()).constData(), 0700), 0);
        QTRY_VERIFY(!recorder_.calls.isEmpty());
        QTest::qWait(200);
        QStringList names;
        for (const Delivery &d : std::as_const(recorder_.calls))
            names.append(d.name);
        QCOMPARE(names,
                 PathWatcher::notificationNamesForFlags(expected & (NOTE_WRITE | NOTE_ATTRIB)));
    }

    void unwatchable() {
        const QString path = home_->path() + "/missing";
        const qsizetype threads = entriesIn("/proc/self/task");
        watcher_->addPath(path);
        QCOMPARE(log_,
                 QStringList{
                     QStringLiteral("PathWatcher tried to add the path %1 to watchedPathEntries, "
                                    "but the PathWatcherEntry was nil. \nIt's possible that the "
                                    "host process has hit its max open file descriptors limit.")
                         .arg(path)});
        QCOMPARE(watcher_->numberOfWatchedPaths(), std::size_t(0));
        QCOMPARE(entriesIn("/proc/self/task"), threads);
        watcher_->addPath(home_->documents()); // the first path watched starts the thread
        QCOMPARE(entriesIn("/proc/self/task"), threads + 1);
    }

    void deliveryTargets_data() {
        QTest::addColumn<bool>("withDelegate");
        QTest::addColumn<bool>("alwaysPost");
        QTest::addColumn<bool>("posted");
        QTest::newRow("no delegate") << false << false << true;
        QTest::newRow("delegate") << true << false << false;
        QTest::newRow("delegate, always posting") << true << true << true;
    }

    void deliveryTargets() {
        QFETCH(bool, withDelegate);
        QFETCH(bool, alwaysPost);
        QFETCH(bool, posted);
        watcher_->setDelegate(withDelegate ? &recorder_ : nullptr);
        watcher_->setAlwaysPostNotifications(alwaysPost);
        watcher_->addPath(desktop());
        TestHome::writeFile(desktop() + "/new");
        QTRY_VERIFY(!recorder_.calls.isEmpty() || !posted_.isEmpty());
        QTest::qWait(200);

        const void *const watcher = watcher_.get();
        QCOMPARE(recorder_.calls.size(), withDelegate ? 1 : 0);
        for (const auto &[object, name, path, onMain] : std::as_const(recorder_.calls))
            QVERIFY(object == watcher && name == PathWatcherFileWrittenToNotification &&
                    path == desktop() && onMain);
        QCOMPARE(posted_.size(), posted ? 1 : 0);
        for (const auto &[name, object, userInfo] : std::as_const(posted_))
            QVERIFY(object == watcher && name == PathWatcherFileWrittenToNotification &&
                    userInfo == (QVariantMap{{"path", desktop()}}));
    }

    void namesInOrder() {
        QCOMPARE(
            PathWatcher::notificationNamesForFlags(NOTE_REVOKE | NOTE_WRITE | NOTE_RENAME),
            (QStringList{PathWatcherFileRenamedNotification, PathWatcherFileWrittenToNotification,
                         PathWatcherAccessWasRevokedNotification}));
    }

    void removePath_data() {
        QTest::addColumn<QString>("removed"); // under the home; "-": a null path
        QTest::addColumn<bool>("stillWatched");
        QTest::newRow("unknown path") << "Documents" << true;
        QTest::newRow("null path") << "-" << true;
        QTest::newRow("watched path") << "Desktop" << false;
    }

    void removePath() {
        QFETCH(QString, removed);
        QFETCH(bool, stillWatched);
        watcher_->addPath(desktop());
        watcher_->removePath(removed == "-" ? QString() : home_->path() + "/" + removed);
        QCOMPARE(watcher_->numberOfWatchedPaths(), std::size_t(stillWatched ? 1 : 0));
        TestHome::writeFile(desktop() + "/new");
        QTest::qWait(300);
        QCOMPARE(recorder_.calls.size(), stillWatched ? 1 : 0);
    }

    void removalWhileEventsInFlight() {
        // Nothing read may outlive its entry, nor be reported once the path is gone.
        const auto stop = std::make_shared<std::atomic<bool>>(false);
        std::thread writer([stop, dir = QFile::encodeName(desktop())] {
            for (int i = 0; !stop->load(); ++i) {
                const QByteArray name = dir + "/f" + QByteArray::number(i % 50);
                ::close(::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
                ::unlink(name.constData());
            }
        });
        for (int round = 0; round < 200; ++round) {
            watcher_->addPath(desktop());
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::microseconds(round % 3 * 500));
            watcher_->removePath(desktop());
        }
        *stop = true;
        writer.join();
        QTest::qWait(200); // what was read before the last removal
        QVERIFY(!recorder_.calls.isEmpty());
        recorder_.calls.clear();
        TestHome::writeFile(desktop() + "/late");
        QTest::qWait(300);
        QCOMPARE(recorder_.calls.size(), 0);
    }

    void destroyedWatcher_data() {
        QTest::addColumn<int>("when"); // 0: kept, 1: before its deliveries run, 2: by its delegate
        QTest::addColumn<int>("delivered");
        QTest::newRow("kept") << 0 << 2;
        QTest::newRow("destroyed with deliveries queued") << 1 << 0;
        QTest::newRow("destroyed by its delegate") << 2 << 1;
    }

    void destroyedWatcher() {
        QFETCH(int, when);
        QFETCH(int, delivered);
        watcher_->setAlwaysPostNotifications(true);
        const QString file = desktop() + "/a";
        TestHome::writeFile(file, "1");
        watcher_->addPath(file);
        if (when == 2)
            recorder_.onCall = [this] {
                watcher_.reset();
            };
        QFile grown(file);
        QVERIFY(grown.open(QIODevice::Append) && grown.write("23") == 2);
        grown.close();                      // written to, and grown: two names
        std::this_thread::sleep_for(300ms); // read and queued, not yet delivered
        if (when == 1)
            watcher_.reset();
        QTest::qWait(200);
        QCOMPARE(recorder_.calls.size(), delivered);
        QCOMPARE(posted_.size(), when == 0 ? 2 : 0);
    }
};

QTEST_GUILESS_MAIN(TestPathWatcher)
#include "tst_pathwatcher.moc"
