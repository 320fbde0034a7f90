// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up as a person meets it: the first start, new versions, the settings controls, and the
// images chosen for the toolkit generation. A second start is the end-to-end test's.
#include "AppSettingsKeys.h"
#include "Bundle.h"
#include "BundleImages.h"
#include "ProgramFixture.h"
#include "StartupVersions.h"
#include "SystemGeneration.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() {
        home = std::make_unique<TestHome>();
        reports = std::make_unique<Reports>();
    }
    void cleanup() {
        reports.reset();
        home.reset();
    }

    // Even in a home without its Desktop and Documents folders, which it leaves alone.
    void firstStartGreetsAndSettlesTheDestination() {
        QDir(home->desktop()).removeRecursively();
        QDir(home->documents()).removeRecursively();
        {
            UserDefaults defaults(home->settingsFile());
            Program program(defaults);
            QCOMPARE(program.ui.cleanFolderPath->text(), home->documents());
            QCOMPARE(reports->alerts.size(), 1);
            QCOMPARE(reports->alerts[0].title, QStringLiteral("How to use Quillmere"));
            for (const QString &folder : {home->documents(), home->desktop()})
                QVERIFY(!reports->logged(" folder " + folder + " does not exist").isEmpty());
            QCOMPARE(program.ui.LevelIndictorLabel->text(),
                     QStringLiteral("Cleaning is optional."));
            // Absent Booleans read NO: window mode, recorder off.
            QVERIFY(program.ui.quitButton->isHidden());
            QCOMPARE(program.ui.MenuAppSegment->selectedSegment(), 1);
            QVERIFY(!program.ui.shortcutView->isEnabled());
            QVERIFY(!program.window.hasMenuBarIcon());
            // The help shows the greeting again, and its dismissal writes the settings.
            QFile::remove(home->settingsFile());
            program.ui.helpButton->click();
            QCOMPARE(reports->alerts.size(), 2);
            QCOMPARE(reports->alerts[1].title, reports->alerts[0].title);
            QTRY_VERIFY(QFile::exists(home->settingsFile()));
        }
        QVERIFY(!QFileInfo::exists(home->desktop()) && !QFileInfo::exists(home->documents()));
        // What start-up left in the real file.
        UserDefaults reread(home->settingsFile());
        QCOMPARE(reread.stringForKey(SettingsKeys::CleanPath), home->documents());
        QCOMPARE(reread.arrayForKey(SettingsKeys::prevStartupVersions),
                 QVariantList{Bundle::version()});
    }

    void newVersionsAreAppendedInOrder() {
        UserDefaults defaults(home->settingsFile());
        // A list of the wrong type starts over.
        defaults.setObject(QStringLiteral("0.9"), SettingsKeys::prevStartupVersions);
        QCOMPARE(StartupVersions::recordStart(defaults, "1.0"), StartupVersions::Start::FirstEver);
        defaults.setObject(QStringLiteral("note"), SettingsKeys::annotationKey);
        defaults.setObject(qint64(1), SettingsKeys::remove);
        QCOMPARE(StartupVersions::recordStart(defaults, "2.0"),
                 StartupVersions::Start::FirstOfThisVersion);
        QCOMPARE(StartupVersions::recordStart(defaults, "2.0"),
                 StartupVersions::Start::KnownVersion);
        QCOMPARE(defaults.arrayForKey(SettingsKeys::prevStartupVersions),
                 (QVariantList{"1.0", "2.0"}));
        QVERIFY(!defaults.objectForKey(SettingsKeys::annotationKey).isValid());
        QVERIFY(!defaults.objectForKey(SettingsKeys::remove).isValid());
    }

    void storedSettingsShowInTheWindow() {
        UserDefaults defaults(home->settingsFile());
        defaults.setObject(QStringLiteral("/srv/archive"), SettingsKeys::CleanPath);
        defaults.setBool(true, SettingsKeys::AutoClean);
        defaults.setBool(true, SettingsKeys::CleanShortcutEnabled);
        defaults.setObject(QStringLiteral("12abc"), SettingsKeys::AutoCleanThreshold);
        Program program(defaults);
        QCOMPARE(program.ui.cleanFolderPath->text(), QStringLiteral("/srv/archive"));
        QVERIFY(program.ui.AutoCleanCheckBox->isChecked());
        QCOMPARE(program.ui.AutoCleanTextBox->text(), QStringLiteral("12abc"));
        QVERIFY(program.ui.shortcutView->isEnabled());

        // The controls write what the user changes; the recorder follows the shortcut setting.
        program.ui.AutoCleanCheckBox->setChecked(false);
        QCOMPARE(defaults.boolForKey(SettingsKeys::AutoClean), false);
        QTest::keyClicks(program.ui.AutoCleanTextBox, "7");
        QCOMPARE(defaults.stringForKey(SettingsKeys::AutoCleanThreshold), QStringLiteral("12abc7"));
        program.delegate->setShortcutEnabled(false);
        QVERIFY(!program.ui.shortcutView->isEnabled());
        QVERIFY(!program.ui.shortcutEnabledCheckBox->isChecked());
        QCOMPARE(defaults.boolForKey(SettingsKeys::CleanShortcutEnabled), false);
    }

    // A cancelled chooser stores nothing, whatever path it holds.
    void choosingADestinationStoresIt_data() {
        QTest::addColumn<int>("result");
        QTest::newRow("chosen") << int(OpenPanel::OKButton);
        QTest::newRow("cancelled") << int(OpenPanel::CancelButton);
    }
    void choosingADestinationStoresIt() {
        QFETCH(int, result);
        UserDefaults defaults(home->settingsFile());
        AnsweringPanel panel;
        panel.result = result;
        panel.path = QStringLiteral("/srv/Data/Archive");
        Program program(defaults, &panel);
        const QString now = result == OpenPanel::OKButton ? panel.path : home->documents();
        program.ui.chooseFolderButton->click();
        QTRY_COMPARE(panel.shown, 1);
        QVERIFY(panel.options.canChooseDirectories && !panel.options.canChooseFiles);
        QCOMPARE(program.ui.cleanFolderPath->text(), now);
        QCOMPARE(UserDefaults(home->settingsFile()).stringForKey(SettingsKeys::CleanPath), now);
    }

    // Each toolkit generation, at the top of its range, names its own images, and every image
    // named is one of the program's resources.
    void eachGenerationNamesItsOwnImages() {
        QSet<QString> menuBarIcons;
        for (const double version : {1138.5, 1187.0, 1265.0, 1266.0}) {
            const GenerationImages images = imagesForGeneration(version);
            menuBarIcons << images.menuBarIconName;
            QVERIFY(!Bundle::imageNamed(images.menuBarIconName).isNull());
            if (!images.applicationIconName.isEmpty())
                QVERIFY(!Bundle::imageNamed(images.applicationIconName).isNull());
        }
        QCOMPARE(menuBarIcons.size(), 4);
    }

private:
    std::unique_ptr<TestHome> home;
    std::unique_ptr<Reports> reports;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
