// SPDX-License-Identifier: GPL-3.0-or-later
// The running program's Desktop watcher: every change runs the automatic clean and then the
// clutter level, with the real watcher thread, real files and the real settings file.
#include "AppSettingsKeys.h"
#include "Bundle.h"
#include "MonthFolder.h"
#include "ProgramFixture.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestAutoClean : public QObject {
    Q_OBJECT
private slots:
    void init() {
        s.emplace();
        // Not a first start, so no greeting.
        s->defaults.setObject(QVariantList{Bundle::version()}, SettingsKeys::prevStartupVersions);
        s->defaults.setObject(s->home.documents(), SettingsKeys::CleanPath);
        s->defaults.setBool(true, SettingsKeys::AutoClean);
        monthFolder = s->home.documents() + "/Quillmere/" + monthFolderName();
    }
    void cleanup() {
        program.reset();
        s.reset();
    }

    // Up to the threshold, or with the automatic clean off, a change only raises the level. One
    // item more, or the button (to the destination field's folder, not the stored one), moves
    // them all, and the level shows the Desktop as the clean left it. The threshold's other
    // readings are the clean's own tests.
    void theLevelRisesUntilAClean_data() {
        QTest::addColumn<bool>("autoClean");
        QTest::addColumn<QString>("threshold");
        QTest::newRow("on, threshold 25, one item more") << true << "25";
        QTest::newRow("off, threshold 0, the button") << false << "0";
    }
    void theLevelRisesUntilAClean() {
        QFETCH(bool, autoClean);
        QFETCH(QString, threshold);
        s->defaults.setBool(autoClean, SettingsKeys::AutoClean);
        s->defaults.setObject(threshold, SettingsKeys::AutoCleanThreshold);
        start();
        put(0, 25);
        QTRY_COMPARE(program->ui.LevelIndictorLabel->text(),
                     QStringLiteral("Cleaning is recommended."));
        QCOMPARE(entries(s->home.desktop()).size(), 25);
        QCOMPARE(entries(monthFolder).size(), 0);
        QString to = monthFolder;
        if (autoClean) {
            put(25, 26);
        } else {
            QVERIFY(QDir(s->home.path()).mkdir("Elsewhere"));
            program->ui.cleanFolderPath->setText(s->home.path() + "/Elsewhere");
            to = s->home.path() + "/Elsewhere/Quillmere/" + monthFolderName();
            program->delegate->cleanDesktop();
        }
        QTRY_COMPARE_WITH_TIMEOUT(entries(to).size(), autoClean ? 26 : 25, 10000);
        QTRY_COMPARE(entries(s->home.desktop()).size(), 0);
        QTRY_COMPARE(program->ui.LevelIndictorLabel->text(),
                     QStringLiteral("Cleaning is optional."));
        QCOMPARE(QFileInfo::exists(s->home.documents() + "/Quillmere"), autoClean);
        QVERIFY(s->reports.alerts.isEmpty()); // the notices are the end-to-end tests'
    }

    // However the Desktop folder is replaced, the next file dropped on it is cleaned.
    void followsANewDesktopFolder_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("newDesktop"); // below the home
        QTest::addColumn<QString>("logged");     // the line that says what changed
        QTest::newRow("removed, then made again") << u"remake"_s << u"Desktop"_s << u"is back"_s;
        QTest::newRow("renamed, another folder in its place")
            << u"rename"_s << u"Desktop"_s << u"was replaced by another folder"_s;
        QTest::newRow("a link in its place") << u"link"_s << u"Elsewhere"_s << u"(a link to"_s;
        QTest::newRow("user-dirs.dirs names another folder")
            << u"user-dirs"_s << u"Other"_s << u"The Desktop folder is now"_s;
    }
    void followsANewDesktopFolder() {
        QFETCH(QString, change);
        QFETCH(QString, newDesktop);
        QFETCH(QString, logged);
        start();
        const QString desktop = s->home.desktop(), target = s->home.path() + "/" + newDesktop;
        if (change == "remake") {
            QVERIFY(QDir(desktop).removeRecursively());
            QTRY_VERIFY(!s->reports.logged("is gone: watching " + s->home.path()).isEmpty());
            QVERIFY(QDir().mkdir(desktop));
        } else if (change == "user-dirs") {
            QVERIFY(QDir().mkdir(target));
            s->home.setDesktopDir("$HOME/" + newDesktop);
        } else {
            QVERIFY(QDir().rename(desktop, s->home.path() + "/Old Desktop"));
            if (change == "link")
                QVERIFY(QDir().mkdir(target) && QFile::link(target, desktop));
            else
                QVERIFY(QDir().mkdir(desktop));
        }
        QTRY_VERIFY(!s->reports.logged(logged).isEmpty());
        TestHome::writeFile(target + "/dropped");
        QTRY_COMPARE(entries(monthFolder), QStringList{"dropped"});
        QVERIFY(entries(target).isEmpty());
    }

    // Each change tells of it again, by a notice, never by an alert, and creates nothing.
    void aMissingDestinationIsReportedOnEveryChange() {
        s->defaults.setObject(s->home.path() + "/gone", SettingsKeys::CleanPath);
        start();
        const auto told = [this] {
            return s->reports.notices.filter("The folder does not exists: ").size();
        };
        TestHome::writeFile(s->home.desktop() + "/a");
        QTRY_VERIFY(told() >= 1);
        TestHome::writeFile(s->home.desktop() + "/b");
        QTRY_VERIFY(told() >= 2);
        QVERIFY(s->reports.alerts.isEmpty());
        QVERIFY(!QFileInfo::exists(s->home.path() + "/gone"));
    }

    // Restored while the threshold is below their number, they go back to this month's folder.
    void restoredItemsAreCleanedStraightBack() {
        const QString earlier = s->home.documents() + "/Quillmere/Earlier";
        for (int i = 0; i < 12; ++i)
            TestHome::writeFile(earlier + QStringLiteral("/old %1").arg(i), "old");
        s->defaults.setObject(QStringLiteral("3"), SettingsKeys::AutoCleanThreshold);
        TestPanel panel;
        panel.answer = {OpenPanel::OKButton, earlier};
        program = std::make_unique<Program>(s->defaults, &panel);
        program->delegate->restoreFiles();
        QTRY_COMPARE(entries(earlier).size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(entries(monthFolder).size(), 12, 10000);
        QTRY_COMPARE(entries(s->home.desktop()).size(), 0);
    }

private:
    void start() {
        program = std::make_unique<Program>(s->defaults);
        QCoreApplication::processEvents();
    }
    void put(int from, int to) { // items "item FROM" up to, not including, "item TO"
        for (int i = from; i < to; ++i)
            TestHome::writeFile(s->home.desktop() + QStringLiteral("/item %1").arg(i), "x");
    }

    std::optional<Sandbox> s;
    std::unique_ptr<Program> program;
    QString monthFolder;
};

QTEST_MAIN(TestAutoClean)
#include "tst_autoclean.moc"
