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
using Clock = std::chrono::steady_clock;

namespace {
qsizetype entriesIn(const QString &procFolder) {
    return QDir(procFolder)
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

// Creates (and with `remove`, removes again) files named "f<number>" in `dir` until `stop`.
void createFiles(const QByteArray &dir, int count, bool remove,
                 const std::shared_ptr<std::atomic<bool>> &stop = {}) {
    for (int i = 0; i < count && !(stop && *stop); ++i) {
        const QByteArray name = dir + "/f" + QByteArray::number(remove ? i % 50 : i);
        ::close(::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
        if (remove)
            ::unlink(name.constData());
    }
}

struct Writer {
    std::atomic<bool> done{false};
    Clock::time_point lastCreation{}; // written before `done` is set
};
} // namespace

// Each test has a fresh HOME and a watcher of the Desktop whose delegate is the test. Every
// delivery, to the delegate or posted on the workspace centre, is recorded as "delegate NAME" or
// "posted NAME" once checked to name the watcher and the path, on the main thread.
class TestPathWatcher : public QObject, public PathWatcherDelegate {
    Q_OBJECT
    std::optional<TestHome> home_;
    std::unique_ptr<PathWatcher> watcher_;
    QStringList deliveries_;
    Clock::time_point lastDelivery_;
    std::function<void()> onCall_;
    QStringList log_; // only addPath logs here, on this thread

    QString desktop() const { return home_->desktop(); }
    void record(const QString &how, const void *watcher, const QString &name, const QString &path) {
        QVERIFY(watcher == watcher_.get() && path.startsWith(desktop()) &&
                QThread::currentThread() == thread());
        deliveries_.append(how + ' ' + name);
        lastDelivery_ = Clock::now();
    }
    void PathWatcherReceivedNotificationForPath(PathWatcher *watcher, const QString &name,
                                                const QString &path) override {
        record("delegate", watcher, name, path);
        if (onCall_)
            onCall_();
    }

private slots:
    void initTestCase() {
        setLogSink([this](const QString &line) { log_.append(line); });
        for (const QString &name : PathWatcher::notificationNamesForFlags(NOTE_ALL)) {
            NotificationCenter::workspace().addObserver(
                name, nullptr, [this](const Notification &n) {
                    record("posted", n.object, n.name, n.userInfo.value("path").toString());
                    QCOMPARE(n.userInfo.size(), 1);
                });
        }
    }

    void init() {
        home_.emplace();
        deliveries_.clear();
        onCall_ = {};
        log_.clear();
        watcher_ = PathWatcher::create();
        QVERIFY(watcher_);
        watcher_->setDelegate(this);
    }

    void cleanup() {
        watcher_.reset();
        home_.reset();
    }

    // A path added again keeps one subscription (one descriptor, one thread, its kinds never
    // narrowed), and each change is delivered once to each target.
    void deliveries_data() {
        QTest::addColumn<std::uint32_t>("again"); // after NOTE_WRITE | NOTE_ATTRIB
        QTest::addColumn<bool>("throughQueue");   // addPathToQueue instead of addPath
        QTest::addColumn<std::uint32_t>("subscribed");
        QTest::addColumn<bool>("withDelegate");
        QTest::addColumn<bool>("alwaysPost");
        const std::uint32_t wa = NOTE_WRITE | NOTE_ATTRIB;
        QTest::newRow("addPath again, no delegate") << NOTE_ALL << false << wa << false << false;
        QTest::newRow("fewer kinds through addPathToQueue, delegate")
            << NOTE_WRITE << true << wa << true << false;
        QTest::newRow("more kinds through addPathToQueue, delegate always posting")
            << NOTE_RENAME << true << (wa | NOTE_RENAME) << true << true;
    }

    void deliveries() {
        QFETCH(std::uint32_t, again);
        QFETCH(bool, throughQueue);
        QFETCH(std::uint32_t, subscribed);
        QFETCH(bool, withDelegate);
        QFETCH(bool, alwaysPost);
        watcher_->setDelegate(withDelegate ? this : nullptr);
        watcher_->setAlwaysPostNotifications(alwaysPost);
        const auto entry = watcher_->addPathToQueue(desktop(), NOTE_WRITE | NOTE_ATTRIB);
        QVERIFY(entry);
        const qsizetype descriptors = entriesIn("/proc/self/fd");
        const qsizetype threads = entriesIn("/proc/self/task");
        if (throughQueue)
            QCOMPARE(watcher_->addPathToQueue(desktop(), again), entry);
        else
            watcher_->addPath(desktop(), again);
        QCOMPARE(watcher_->numberOfWatchedPaths(), std::size_t(1));
        QCOMPARE(entry->subscriptionFlags(), subscribed);
        QCOMPARE(entriesIn("/proc/self/fd"), descriptors);
        QCOMPARE(entriesIn("/proc/self/task"), threads);
        QCOMPARE(log_, QStringList());

        TestHome::writeFile(desktop() + "/new");
        QCOMPARE(chmod(QFile::encodeName(desktop()).constData(), 0700), 0);
        QStringList expected; // the delegate's, and posted without a delegate or always
        for (const QString &name :
             {PathWatcherFileWrittenToNotification, PathWatcherFileAttributesChangedNotification})
            expected << (withDelegate ? QStringList{"delegate " + name} : QStringList())
                     << (alwaysPost || !withDelegate ? QStringList{"posted " + name}
                                                     : QStringList());
        QTRY_COMPARE(deliveries_.size(), expected.size());
        QTest::qWait(200); // and no more
        QCOMPARE(deliveries_, expected);
    }

    // Nothing read may outlive its entry, nor be reported once the path is gone; a path that
    // cannot be watched is logged and leaves nothing behind, nor does the last removal.
    void removalWhileEventsInFlight() {
        const QString missing = home_->path() + "/missing";
        const qsizetype descriptors = entriesIn("/proc/self/fd");
        const auto stop = std::make_shared<std::atomic<bool>>(false);
        std::thread writer(createFiles, QFile::encodeName(desktop()), INT_MAX, true, stop);
        for (int round = 0; round < 200; ++round) {
            watcher_->addPath(desktop());
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::microseconds(round % 3 * 500));
            watcher_->removePath(desktop());
        }
        *stop = true;
        writer.join();
        watcher_->addPath(missing);
        watcher_->removePath(missing);
        QVERIFY(log_.size() == 1 && log_[0].contains(missing));
        QTest::qWait(200); // what was read before the last removal
        QTRY_COMPARE(entriesIn("/proc/self/fd"), descriptors); // once its deliveries are done
        QVERIFY(!deliveries_.isEmpty());
        deliveries_.clear();
        TestHome::writeFile(desktop() + "/late");
        QTest::qWait(300);
        QCOMPARE(deliveries_, QStringList());
    }

    // A file grown: two names, read and queued before the watcher goes.
    void destroyedWatcher_data() {
        QTest::addColumn<bool>("byDelegate");
        QTest::addColumn<int>("delivered");
        QTest::newRow("destroyed with deliveries queued") << false << 0;
        QTest::newRow("destroyed by its delegate") << true << 1;
    }

    void destroyedWatcher() {
        QFETCH(bool, byDelegate);
        QFETCH(int, delivered);
        watcher_->setAlwaysPostNotifications(true);
        TestHome::writeFile(desktop() + "/a", "1");
        watcher_->addPath(desktop() + "/a");
        onCall_ = [this, byDelegate] {
            byDelegate ? watcher_.reset() : void();
        };
        QFile grown(desktop() + "/a");
        QVERIFY(grown.open(QIODevice::Append) && grown.write("23") == 2);
        grown.close();
        std::this_thread::sleep_for(300ms); // read and queued, not yet delivered
        if (!byDelegate)
            watcher_.reset();
        QTest::qWait(200);
        QCOMPARE(deliveries_.size(), delivered);
    }

    // However the changes merge, a delivery follows the last of 10,000 creations.
    void noCreationIsLost() {
        watcher_->addPath(desktop());
        const auto writer = std::make_shared<Writer>();
        std::thread thread([dir = QFile::encodeName(desktop()), writer] {
            createFiles(dir, 9999, false);
            // Taken as the last creation starts: a delivery for it can come before this thread
            // runs again, and no later change would follow to be delivered.
            writer->lastCreation = Clock::now();
            ::close(::open(dir + "/last", O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
            writer->done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(writer->done, 60000); // delivering all the while
        thread.join();
        QTRY_VERIFY_WITH_TIMEOUT(lastDelivery_ > writer->lastCreation, 10000);
        QCOMPARE(QDir(desktop()).entryList(QDir::Files).size(), 10000);
    }
};

QTEST_GUILESS_MAIN(TestPathWatcher)
#include "tst_pathwatcher.moc"
