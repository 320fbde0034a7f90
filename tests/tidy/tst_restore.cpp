// SPDX-License-Identifier: GPL-3.0-or-later
// The restore over real folders in a temporary HOME: what comes back, what stays, what it reports.
#include "KeyedArchive.h"
#include "Restore.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "TidyTestSupport.h"
#include "UserDefaults.h"

#include <memory>

class TestRestore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<UserDefaults> defaults;
    FakeOpenPanel panel;
    std::unique_ptr<Restore> restore;
    std::unique_ptr<ReportsRecorder> reports;

    QString applicationFolder() const { return home->documents() + "/Quillmere"; }
    QString monthFolder() const { return applicationFolder() + "/December 2026"; }
    void restoreFrom(const QString &folder, int result = OpenPanel::OKButton) {
        restore->restoreFiles(home->documents());
        panel.end(result, result == OpenPanel::OKButton ? folder : QString());
        restore->waitForIdle();
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        defaults = std::make_unique<UserDefaults>(UserDefaults::standardFilePath());
        restore = std::make_unique<Restore>(*defaults, panel, [] { return QDate(2026, 12, 5); });
        reports = std::make_unique<ReportsRecorder>();
    }
    void cleanup() {
        reports.reset();
        restore.reset();
        defaults.reset();
        home.reset();
    }

    // Items and folders come back whole; the fixed names, the excepted ones and the names the
    // Desktop already holds stay; one notice counts every item tried.
    void itemsComeBackWithOneNotice() {
        defaults->setObject(KeyedArchive::archivedDataWithRootObject(QVariantList{"kept.pdf"}),
                            SettingsKeys::ExceptionsObjects);
        for (const QString name : {".DS_Store", "Quillmere/inside", "kept.pdf", "free.txt"})
            TestHome::writeFile(monthFolder() + "/" + name);
        TestHome::writeFile(monthFolder() + "/November/old.txt", "old");
        TestHome::writeFile(monthFolder() + "/taken.txt", "from the month folder");
        TestHome::writeFile(home->desktop() + "/taken.txt", "already on the Desktop");
        restoreFrom(monthFolder());

        QCOMPARE(panel.options.directory, applicationFolder());
        QVERIFY(!panel.options.canChooseFiles && !panel.options.canCreateDirectories);
        QCOMPARE(entries(home->desktop()), (L{"November", "free.txt", "taken.txt"}));
        QCOMPARE(entries(monthFolder()), (L{".DS_Store", "Quillmere", "kept.pdf", "taken.txt"}));
        QCOMPARE(content(home->desktop() + "/November/old.txt"), "old");
        QCOMPARE(content(home->desktop() + "/taken.txt"), "already on the Desktop");
        QCOMPARE(content(monthFolder() + "/taken.txt"), "from the month folder");
        QVERIFY(reports->notices.isEmpty()); // not before half a second
        QTRY_COMPARE(reports->notices, L{"Restore Complete: Finished Restoring:3 items"});
    }

    void nothingComesBack_data() {
        QTest::addColumn<L>("names");     // in the chosen folder
        QTest::addColumn<bool>("chosen"); // false: the user cancels
        QTest::addColumn<QString>("desktopDir");
        QTest::addColumn<QString>("alert"); // how it begins; empty: none
        const QString desktop = "$HOME/Desktop", error = "Restore Error.: ";
        QTest::newRow("cancelled") << L{"item.txt"} << false << desktop << "";
        QTest::newRow("empty folder") << L{} << true << desktop << error + "There are no";
        // Items would be scattered in the home folder.
        QTest::newRow("the Desktop is the home folder")
            << L{"item.txt"} << true << "$HOME" << error + "The Desktop folder is";
    }
    void nothingComesBack() {
        QFETCH(L, names);
        QFETCH(bool, chosen);
        QFETCH(QString, desktopDir);
        QFETCH(QString, alert);
        home->setDesktopDir(desktopDir);
        QVERIFY(QDir().mkpath(monthFolder()));
        for (const QString &name : names)
            TestHome::writeFile(monthFolder() + "/" + name);
        restoreFrom(monthFolder(), chosen ? OpenPanel::OKButton : OpenPanel::CancelButton);
        QCOMPARE(entries(monthFolder()), names);
        QVERIFY(entries(home->desktop()).isEmpty());
        QVERIFY(!QFileInfo::exists(home->path() + "/item.txt"));
        QCOMPARE(reports->alerts.size(), int(!alert.isEmpty()));
        QCOMPARE(reports->alerts.join("").left(alert.size()), alert);
        QVERIFY(reports->notices.isEmpty() && restore->pendingNoticeCount() == 0); // none to come
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
