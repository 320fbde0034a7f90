// SPDX-License-Identifier: GPL-3.0-or-later
// The restore over real folders in a temporary HOME: what comes back to the Desktop, what stays
// in the chosen folder, the one completion notice, and the alert when nothing can come back.
#include "Alerts.h"
#include "ExceptionsTestSupport.h"
#include "KeyedArchive.h"
#include "Restore.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "UserNotifications.h"

#include <QDir>
#include <memory>

class TestRestore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<UserDefaults> defaults;
    FakeOpenPanel panel;
    std::unique_ptr<Restore> restore;
    QList<UserNotification> notices;
    QList<Alert> alerts;

    QString destination() const { return home->documents(); }
    QString monthFolder() const { return destination() + "/Quillmere/December 2026"; }
    QStringList entries(const QString &folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    QByteArray content(const QString &path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
    }
    // Runs a restore in which the user chooses `folder` (or cancels).
    void restoreFrom(const QString &folder, int result = OpenPanel::OKButton) {
        restore->restoreFiles(destination());
        panel.end(result, result == OpenPanel::OKButton ? folder : QString());
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        defaults = std::make_unique<UserDefaults>(UserDefaults::standardFilePath());
        restore = std::make_unique<Restore>(*defaults, panel, [] { return QDate(2026, 12, 5); });
        notices.clear();
        alerts.clear();
        UserNotifications::setSinkForTesting(
            [this](const UserNotification &notice) { notices.append(notice); });
        Alerts::setPresenterForTesting([this](const Alert &alert) {
            alerts.append(alert);
            return Alerts::FirstButtonReturn;
        });
    }
    void cleanup() {
        Alerts::setPresenterForTesting(nullptr);
        UserNotifications::setSinkForTesting(nullptr);
        restore.reset();
        defaults.reset();
        home.reset();
    }

    void twelveItemsComeBackWithOneNotice() {
        for (int i = 1; i <= 12; ++i)
            TestHome::writeFile(monthFolder() + QString("/item %1.txt").arg(i), "content");
        LogLines log;
        restoreFrom(monthFolder());

        QCOMPARE(panel.options.directory, destination() + "/Quillmere");
        QVERIFY(!panel.options.canChooseFiles && panel.options.canChooseDirectories);
        QVERIFY(!panel.options.canCreateDirectories);
        QCOMPARE(log.lines().mid(0, 2), (QStringList{"month is: December 2026",
                                                     "Restore Directory is  " + monthFolder()}));
        QVERIFY(log.contains("Has items to restore."));
        QCOMPARE(entries(home->desktop()).size(), 12);
        QCOMPARE(content(home->desktop() + "/item 7.txt"), QByteArray("content"));
        QVERIFY(entries(monthFolder()).isEmpty());

        QCOMPARE(restore->pendingNoticeCount(), 12);
        QVERIFY(notices.isEmpty()); // not before half a second
        QTRY_COMPARE(notices.size(), 1);
        QCOMPARE(notices.first().title, "Restore Complete");
        QCOMPARE(notices.first().informativeText, "Finished Restoring:12 items");
        QCOMPARE(restore->pendingNoticeCount(), 0);
        QTest::qWait(700);
        QCOMPARE(notices.size(), 1);
    }

    void applicationFolderBringsBackMonthFolders() {
        TestHome::writeFile(destination() + "/Quillmere/November 2026/old.txt", "old");
        TestHome::writeFile(monthFolder() + "/new.txt", "new");
        restoreFrom(destination() + "/Quillmere");
        QCOMPARE(entries(home->desktop()), (QStringList{"December 2026", "November 2026"}));
        QCOMPARE(content(home->desktop() + "/November 2026/old.txt"), QByteArray("old"));
        QTRY_COMPARE(notices.size(), 1);
        QCOMPARE(notices.first().informativeText, "Finished Restoring:2 items");
    }

    void skippedAndTakenNamesStay() {
        defaults->setObject(KeyedArchive::archivedDataWithRootObject(QVariantList{"kept.pdf"}),
                            SettingsKeys::ExceptionsObjects);
        TestHome::writeFile(monthFolder() + "/.DS_Store");
        TestHome::writeFile(monthFolder() + "/Quillmere/inside");
        TestHome::writeFile(monthFolder() + "/kept.pdf");
        TestHome::writeFile(monthFolder() + "/taken.txt", "from the month folder");
        TestHome::writeFile(home->desktop() + "/taken.txt", "already on the Desktop");
        TestHome::writeFile(monthFolder() + "/free.txt");
        restoreFrom(monthFolder());

        QCOMPARE(entries(home->desktop()), (QStringList{"free.txt", "taken.txt"}));
        QCOMPARE(entries(monthFolder()),
                 (QStringList{".DS_Store", "Quillmere", "kept.pdf", "taken.txt"}));
        QCOMPARE(content(home->desktop() + "/taken.txt"), QByteArray("already on the Desktop"));
        QCOMPARE(content(monthFolder() + "/taken.txt"), QByteArray("from the month folder"));
        // A move that failed still counts.
        QTRY_COMPARE(notices.size(), 1);
        QCOMPARE(notices.first().informativeText, "Finished Restoring:2 items");
    }

    void cancelChangesNothing() {
        TestHome::writeFile(monthFolder() + "/item.txt");
        restoreFrom(monthFolder(), OpenPanel::CancelButton);
        QTest::qWait(700);
        QCOMPARE(entries(monthFolder()), QStringList{"item.txt"});
        QVERIFY(entries(home->desktop()).isEmpty());
        QVERIFY(notices.isEmpty() && alerts.isEmpty());
    }

    void nothingToRestoreShowsTheAlert_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("exists");
        QTest::newRow("empty folder") << QStringList{} << true;
        QTest::newRow("only skipped names") << QStringList{".DS_Store", "Quillmere"} << true;
        QTest::newRow("vanished folder") << QStringList{} << false;
    }
    void nothingToRestoreShowsTheAlert() {
        QFETCH(QStringList, names);
        QFETCH(bool, exists);
        if (exists)
            QVERIFY(QDir().mkpath(monthFolder()));
        for (const QString &name : names)
            TestHome::writeFile(monthFolder() + "/" + name);
        LogLines log;
        restoreFrom(monthFolder());

        QCOMPARE(alerts.size(), 1);
        QCOMPARE(alerts.first().title, "Restore Error.");
        QCOMPARE(alerts.first().message, "There are no items to restore at this time.");
        QCOMPARE(alerts.first().buttons, QStringList{"OK"});
        QVERIFY(log.contains("Has no items to restore."));
        QCOMPARE(entries(monthFolder()), names);
        QTest::qWait(700);
        QVERIFY(notices.isEmpty());
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
