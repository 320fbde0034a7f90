// SPDX-License-Identifier: GPL-3.0-or-later
// The running program's Desktop watcher: every change runs the automatic clean and then the
// clutter level, with the real watcher thread, real files and the real settings file.
#include "Alerts.h"
#include "AppSettingsKeys.h"
#include "Bundle.h"
#include "Log.h"
#include "MonthFolder.h"
#include "ProgramFixture.h"
#include "TestHome.h"
#include "UserNotifications.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <fcntl.h>
#include <unistd.h>

class TestAutoClean : public QObject {
    Q_OBJECT
private slots:
    void init() {
        home = std::make_unique<TestHome>();
        {
            std::lock_guard lock(logMutex);
            log.clear();
        }
        alerts = 0;
        setLogSink([this](const QString &line) {
            std::lock_guard lock(logMutex);
            log << line;
        });
        Alerts::setPresenterForTesting([this](const Alert &) {
            ++alerts;
            return Alerts::FirstButtonReturn;
        });
        notices.clear();
        UserNotifications::setSinkForTesting(
            [this](const UserNotification &n) { notices << n.title + "|" + n.informativeText; });
        defaults = std::make_unique<UserDefaults>(home->settingsFile());
        // Not a first start, so no greeting.
        defaults->setObject(QVariantList{Bundle::version()}, SettingsKeys::prevStartupVersions);
        defaults->setObject(home->documents(), SettingsKeys::CleanPath);
        QLocale::setDefault(QLocale::system());
        monthFolder = home->documents() + "/Quillmere/" + monthFolderName();
    }
    void cleanup() {
        program.reset();
        defaults.reset();
        setLogSink(nullptr);
        Alerts::setPresenterForTesting(nullptr);
        UserNotifications::setSinkForTesting(nullptr);
        home.reset();
    }

    void thresholdDecidesWhetherTheChangeCleans_data() {
        QTest::addColumn<QString>("threshold");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("moves");
        // The other thresholds are the clean's own (tst_clean); one row each way here.
        QTest::newRow("as many items as the threshold") << "5" << 5 << false;
        QTest::newRow("one more than the threshold") << "5" << 6 << true;
    }
    void thresholdDecidesWhetherTheChangeCleans() {
        QFETCH(QString, threshold);
        QFETCH(int, items);
        QFETCH(bool, moves);
        defaults->setBool(true, SettingsKeys::AutoClean);
        defaults->setObject(threshold, SettingsKeys::AutoCleanThreshold);
        start();
        for (int i = 0; i < items; ++i)
            TestHome::writeFile(home->desktop() + QStringLiteral("/item %1").arg(i), "x");
        if (moves) {
            // All of them, not only those above the threshold.
            QTRY_COMPARE_WITH_TIMEOUT(entries(monthFolder).size(), items, 10000);
            QTRY_COMPARE(entries(home->desktop()).size(), 0);
            // One notice per run (a run may see only the first of the new items).
            QTRY_VERIFY(!notices.isEmpty());
            for (const QString &notice : notices)
                QVERIFY(notice.startsWith("Clean Complete|Finished Cleaning:"));
        } else {
            settle();
            QCOMPARE(entries(home->desktop()).size(), items);
            QCOMPARE(entries(monthFolder).size(), 0);
            QCOMPARE(logged("Has items on the Desktop can clean."), 0);
        }
        QCOMPARE(alerts, 0); // the automatic clean never shows an alert
    }

    // However the Desktop folder is replaced, the next file dropped on it is cleaned.
    void followsANewDesktopFolder_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("newDesktop"); // below the home
        QTest::addColumn<QString>("logged");     // the line that says what changed
        QTest::newRow("removed, then made again") << "remake"
                                                  << "Desktop"
                                                  << "is back";
        QTest::newRow("renamed, another folder in its place") << "rename"
                                                              << "Desktop"
                                                              << "was replaced by another folder";
        QTest::newRow("a link in its place") << "link"
                                             << "Elsewhere"
                                             << "(a link to";
        QTest::newRow("user-dirs.dirs names another folder") << "user-dirs"
                                                             << "Other"
                                                             << "The Desktop folder is now";
    }
    void followsANewDesktopFolder() {
        QFETCH(QString, change);
        QFETCH(QString, newDesktop);
        QFETCH(QString, logged);
        defaults->setBool(true, SettingsKeys::AutoClean);
        start();
        const QString desktop = home->desktop(), target = home->path() + "/" + newDesktop;
        if (change == "remake") {
            QVERIFY(QDir(desktop).removeRecursively());
            QTRY_VERIFY(lineContaining("is gone: watching " + home->path()));
            QVERIFY(QDir().mkdir(desktop));
        } else if (change == "user-dirs") {
            QVERIFY(QDir().mkdir(target));
            TestHome::writeFile(home->path() + "/.config/user-dirs.dirs",
                                "XDG_DESKTOP_DIR=\"$HOME/" + newDesktop.toUtf8() + "\"\n");
        } else {
            QVERIFY(QDir().rename(desktop, home->path() + "/Old Desktop"));
            if (change == "link")
                QVERIFY(QDir().mkdir(target) && QFile::link(target, desktop));
            else
                QVERIFY(QDir().mkdir(desktop));
        }
        QTRY_VERIFY(lineContaining(logged));
        TestHome::writeFile(target + "/dropped");
        QTRY_COMPARE(entries(monthFolder), QStringList{"dropped"});
        QVERIFY(entries(target).isEmpty());
    }

    void offMeansOnlyTheLevelFollows() {
        start();
        for (int i = 0; i < 25; ++i)
            TestHome::writeFile(home->desktop() + QStringLiteral("/f%1").arg(i));
        QTRY_COMPARE(program->ui.LevelIndictorLabel->text(),
                     QStringLiteral("Cleaning is recommended."));
        QCOMPARE(entries(home->desktop()).size(), 25);
        QCOMPARE(logged("Auto clean is on..."), 0);
    }

    void theCleanRunsBeforeTheLevelOnEachChange() {
        defaults->setBool(true, SettingsKeys::AutoClean);
        start();
        const int before = logLines().size();
        for (int i = 0; i < 25; ++i)
            TestHome::writeFile(home->desktop() + QStringLiteral("/f%1").arg(i));
        QTRY_COMPARE(entries(monthFolder).size(), 25);
        settle();
        // The level shows the Desktop as the clean left it: it never saw the 25 items.
        QCOMPARE(program->ui.LevelIndictorLabel->text(), QStringLiteral("Cleaning is optional."));
        const QStringList lines = logLines().mid(before);
        const int firstClean = lines.indexOf("Auto clean is on...");
        const int firstLevel = lines.indexOf("Less than or equal to 20, cleaning is optional");
        QVERIFY(firstClean >= 0);
        QVERIFY(firstLevel > firstClean);
        QCOMPARE(logged("Greater than or equal to 21, cleaning is recommended"), 0);
    }

    void theLevelFallsAfterAButtonClean() {
        for (int i = 0; i < 30; ++i)
            TestHome::writeFile(home->desktop() + QStringLiteral("/f%1").arg(i));
        start();
        QCOMPARE(program->ui.LevelIndicator->doubleValue(), 2.0);
        program->delegate->cleanDesktop();
        QTRY_COMPARE(entries(monthFolder).size(), 30);
        QTRY_COMPARE(program->ui.LevelIndicator->doubleValue(), 1.0);
    }

    void theDestinationFieldWinsOverTheStoredPath() {
        TestHome::writeFile(home->desktop() + "/a", "a");
        start();
        QDir().mkpath(home->path() + "/Elsewhere");
        program->ui.cleanFolderPath->setText(home->path() + "/Elsewhere");
        program->delegate->cleanDesktop();
        QTRY_VERIFY(
            QFileInfo::exists(home->path() + "/Elsewhere/Quillmere/" + monthFolderName() + "/a"));
        QVERIFY(!QFileInfo::exists(home->documents() + "/Quillmere"));
    }

    void aMissingDestinationIsReportedOnEveryChange() {
        defaults->setBool(true, SettingsKeys::AutoClean);
        defaults->setObject(home->path() + "/gone", SettingsKeys::CleanPath);
        start();
        const QString line =
            "The folder that the user wants clean items to move to does not exists";
        TestHome::writeFile(home->desktop() + "/a");
        QTRY_VERIFY(logged(line) >= 1);
        settle();
        const int afterFirst = logged(line);
        TestHome::writeFile(home->desktop() + "/b");
        QTRY_VERIFY(logged(line) > afterFirst);
        QCOMPARE(alerts, 0);
        // A notice for each change, never an alert.
        const QString notice = "The folder does not exists|The folder you want to move your "
                               "desktop items to does not exists, please choose a new "
                               "destination in the settings tab.";
        QCOMPARE(int(notices.count(notice)), logged(line));
        QVERIFY(!QFileInfo::exists(home->path() + "/gone"));
    }

    void theApplicationFolderAloneIsNotAnItem() {
        defaults->setBool(true, SettingsKeys::AutoClean);
        start();
        QDir(home->desktop()).mkdir("Quillmere");
        QTRY_VERIFY(logged("Auto clean is on...") >= 1);
        settle();
        QCOMPARE(entries(home->desktop()), QStringList{"Quillmere"});
        QCOMPARE(logged("Has items on the Desktop can clean."), 0);
        QCOMPARE(alerts, 0);
    }

    void restoredItemsAreCleanedStraightBack() {
        // Twelve items from an earlier clean, restored while the automatic clean is on with a
        // threshold below their number: the watcher's next report moves them back to this
        // month's folder.
        const QString earlier = home->documents() + "/Quillmere/Earlier";
        for (int i = 0; i < 12; ++i)
            TestHome::writeFile(earlier + QStringLiteral("/old %1").arg(i), "old");
        defaults->setBool(true, SettingsKeys::AutoClean);
        defaults->setObject(QStringLiteral("3"), SettingsKeys::AutoCleanThreshold);
        AnsweringPanel panel;
        panel.path = earlier;
        program = std::make_unique<Program>(*defaults, &panel);
        program->delegate->restoreFiles();
        QCOMPARE(panel.shown, 1);
        QCOMPARE(panel.options.directory, home->documents() + "/Quillmere");
        QTRY_COMPARE(entries(earlier).size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(entries(monthFolder).size(), 12, 10000);
        QTRY_COMPARE(entries(home->desktop()).size(), 0);
    }

    void tenThousandFilesEndUpMovedExactlyOnce() {
        defaults->setBool(true, SettingsKeys::AutoClean);
        start();
        setLogSink([](const QString &) {}); // the lists of this run would fill the log
        const QByteArray desktop = QFile::encodeName(home->desktop());
        const int count = 10000;
        for (int i = 0; i < count; ++i) {
            const QByteArray path = desktop + "/stress-" + QByteArray::number(i);
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            QVERIFY(fd >= 0);
            QVERIFY(::write(fd, path.constData(), size_t(path.size())) == path.size());
            ::close(fd);
        }
        QTRY_COMPARE_WITH_TIMEOUT(entries(home->desktop()).size(), 0, 120000);
        const QStringList moved = entries(monthFolder);
        QCOMPARE(moved.size(), count);
        for (const QString &name : {QStringLiteral("stress-0"), QStringLiteral("stress-9999")}) {
            QFile file(monthFolder + "/" + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), desktop + "/" + QFile::encodeName(name));
        }
    }

private:
    void start() {
        program = std::make_unique<Program>(*defaults);
        QCoreApplication::processEvents();
    }
    // Lets every change already made reach the watcher and its observers (the watcher waits
    // up to a second between reads).
    void settle() { QTest::qWait(1500); }
    static QStringList entries(const QString &folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot);
    }
    QStringList logLines() {
        std::lock_guard lock(logMutex);
        return log;
    }
    int logged(const QString &line) { return int(logLines().count(line)); }
    bool lineContaining(const QString &part) {
        return std::ranges::any_of(logLines(), [&](const QString &l) { return l.contains(part); });
    }

    std::unique_ptr<TestHome> home;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<Program> program;
    QString monthFolder;
    std::mutex logMutex;
    QStringList log;
    int alerts = 0;
    QStringList notices;
};

QTEST_MAIN(TestAutoClean)
#include "tst_autoclean.moc"
