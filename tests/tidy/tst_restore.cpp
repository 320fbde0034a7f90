// SPDX-License-Identifier: GPL-3.0-or-later
// The restore over real folders in a temporary HOME: what comes back, what stays, what it reports.
#include "ExceptionsTestSupport.h"
#include "KeyedArchive.h"
#include "ReportsRecorder.h"
#include "Restore.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
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
    static QStringList entries(const QString &folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    static QByteArray content(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
    }
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

    void twelveItemsComeBackWithOneNotice() {
        for (int i = 1; i <= 12; ++i)
            TestHome::writeFile(monthFolder() + QString("/item %1.txt").arg(i), "content");
        restoreFrom(monthFolder());
        QCOMPARE(panel.options.directory, applicationFolder());
        QVERIFY(!panel.options.canChooseFiles && !panel.options.canCreateDirectories);
        QCOMPARE(entries(home->desktop()).size(), 12);
        QCOMPARE(content(home->desktop() + "/item 7.txt"), "content");
        QVERIFY(entries(monthFolder()).isEmpty());
        QVERIFY(reports->notices.isEmpty()); // not before half a second
        QTRY_COMPARE(reports->noticeTexts(),
                     QStringList{"Restore Complete: Finished Restoring:12 items"});
    }

    void applicationFolderBringsBackMonthFolders() {
        TestHome::writeFile(applicationFolder() + "/November 2026/old.txt", "old");
        TestHome::writeFile(monthFolder() + "/new.txt");
        restoreFrom(applicationFolder());
        QCOMPARE(entries(home->desktop()), (QStringList{"December 2026", "November 2026"}));
        QCOMPARE(content(home->desktop() + "/November 2026/old.txt"), "old");
    }

    void skippedAndTakenNamesStay() {
        defaults->setObject(KeyedArchive::archivedDataWithRootObject(QVariantList{"kept.pdf"}),
                            SettingsKeys::ExceptionsObjects);
        for (const QString name : {".DS_Store", "Quillmere/inside", "kept.pdf", "free.txt"})
            TestHome::writeFile(monthFolder() + "/" + name);
        TestHome::writeFile(monthFolder() + "/taken.txt", "from the month folder");
        TestHome::writeFile(home->desktop() + "/taken.txt", "already on the Desktop");
        restoreFrom(monthFolder());

        QCOMPARE(entries(home->desktop()), (QStringList{"free.txt", "taken.txt"}));
        QCOMPARE(entries(monthFolder()),
                 (QStringList{".DS_Store", "Quillmere", "kept.pdf", "taken.txt"}));
        QCOMPARE(content(home->desktop() + "/taken.txt"), "already on the Desktop");
        QCOMPARE(content(monthFolder() + "/taken.txt"), "from the month folder");
        // The move that failed still counts.
        QTRY_COMPARE(reports->noticeTexts(),
                     QStringList{"Restore Complete: Finished Restoring:2 items"});
    }

    void nothingComesBack_data() {
        QTest::addColumn<QStringList>("names"); // in the chosen folder
        QTest::addColumn<bool>("chosen");       // false: the user cancels
        QTest::addColumn<QString>("desktopDir");
        QTest::addColumn<QString>("alert"); // how it begins; empty: none
        const QString desktop = "$HOME/Desktop", error = "Restore Error.: ";
        QTest::newRow("cancelled") << QStringList{"item.txt"} << false << desktop << "";
        QTest::newRow("empty folder") << QStringList{} << true << desktop << error + "There are no";
        // Items would be scattered in the home folder.
        QTest::newRow("the Desktop is the home folder")
            << QStringList{"item.txt"} << true << "$HOME" << error + "The Desktop folder is";
    }
    void nothingComesBack() {
        QFETCH(QStringList, names);
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
        QCOMPARE(reports->alertTexts().join("").left(alert.size()), alert);
        QTest::qWait(700);
        QVERIFY(reports->notices.isEmpty());
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
