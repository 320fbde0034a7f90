// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up as a person meets it: the first start, new versions, the settings controls, and the
// images chosen for the toolkit generation. A second start is the end-to-end test's.
#include "AppMode.h"
#include "AppSettingsKeys.h"
#include "Bundle.h"
#include "BundleImages.h"
#include "ProgramFixture.h"
#include "StartupVersions.h"
#include "SystemGeneration.h"

#include <QAccessible>
#include <QMenuBar>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() { s.emplace(); }
    void cleanup() { s.reset(); }

    // Even in a home without its Desktop and Documents folders, which it leaves alone.
    void firstStartGreetsAndSettlesTheDestination() {
        QDir(s->home.desktop()).removeRecursively();
        QDir(s->home.documents()).removeRecursively();
        {
            Program program(s->defaults);
            QCOMPARE(program.ui.cleanFolderPath->text(), s->home.documents());
            QCOMPARE(s->reports.alerts.size(), 1);
            QVERIFY(s->reports.alerts[0].startsWith("How to use Quillmere: "));
            for (const QString &folder : {s->home.documents(), s->home.desktop()})
                QVERIFY(!s->reports.logged(" folder " + folder + " does not exist").isEmpty());
            QCOMPARE(program.ui.LevelIndictorLabel->text(),
                     QStringLiteral("Cleaning is optional."));
            // A screen reader hears the sentences the labels show, not a fixed name.
            const std::pair<QLabel *, QString> shown[] = {
                {program.ui.LevelIndictorLabel, "Cleaning is optional."},
                {program.ui.aboutLabel, "Keeps your Desktop tidy."}};
            for (const auto &[label, words] : shown)
                QVERIFY(QAccessible::queryAccessibleInterface(label)
                            ->text(QAccessible::Name)
                            .contains(words));
            // Absent Booleans read NO: window mode, recorder off.
            QVERIFY(program.ui.quitButton->isHidden());
            QCOMPARE(program.ui.MenuAppSegment->selectedSegment(), 1);
            QVERIFY(!program.ui.shortcutView->isEnabled());
            QVERIFY(!program.window.hasMenuBarIcon());
            // The help shows the greeting again, and its dismissal writes the settings.
            QFile::remove(s->home.settingsFile());
            program.ui.helpButton->click();
            QCOMPARE(s->reports.alerts.size(), 2);
            QCOMPARE(s->reports.alerts[1], s->reports.alerts[0]);
            QTRY_VERIFY(QFile::exists(s->home.settingsFile()));
        }
        QVERIFY(!QFileInfo::exists(s->home.desktop()) && !QFileInfo::exists(s->home.documents()));
        // What start-up left in the real file.
        UserDefaults reread(s->home.settingsFile());
        QCOMPARE(reread.stringForKey(SettingsKeys::CleanPath), s->home.documents());
        QCOMPARE(reread.arrayForKey(SettingsKeys::prevStartupVersions),
                 QVariantList{Bundle::version()});
    }

    void newVersionsAreAppendedInOrder() {
        // A list of the wrong type starts over.
        s->defaults.setObject(QStringLiteral("0.9"), SettingsKeys::prevStartupVersions);
        QCOMPARE(StartupVersions::recordStart(s->defaults, "1.0"),
                 StartupVersions::Start::FirstEver);
        s->defaults.setObject(QStringLiteral("note"), SettingsKeys::annotationKey);
        s->defaults.setObject(qint64(1), SettingsKeys::remove);
        QCOMPARE(StartupVersions::recordStart(s->defaults, "2.0"),
                 StartupVersions::Start::FirstOfThisVersion);
        QCOMPARE(StartupVersions::recordStart(s->defaults, "2.0"),
                 StartupVersions::Start::KnownVersion);
        QCOMPARE(s->defaults.arrayForKey(SettingsKeys::prevStartupVersions),
                 (QVariantList{"1.0", "2.0"}));
        QVERIFY(!s->defaults.objectForKey(SettingsKeys::annotationKey).isValid());
        QVERIFY(!s->defaults.objectForKey(SettingsKeys::remove).isValid());
    }

    void storedSettingsShowInTheWindow() {
        s->defaults.setObject(QStringLiteral("/srv/archive"), SettingsKeys::CleanPath);
        s->defaults.setBool(true, SettingsKeys::AutoClean);
        s->defaults.setBool(true, SettingsKeys::CleanShortcutEnabled);
        s->defaults.setObject(QStringLiteral("12abc"), SettingsKeys::AutoCleanThreshold);
        Program program(s->defaults);
        QCOMPARE(program.ui.cleanFolderPath->text(), QStringLiteral("/srv/archive"));
        QVERIFY(program.ui.AutoCleanCheckBox->isChecked());
        QCOMPARE(program.ui.AutoCleanTextBox->text(), QStringLiteral("12abc"));
        QVERIFY(program.ui.shortcutView->isEnabled());

        // The controls write what the user changes; the recorder follows the shortcut setting.
        program.ui.AutoCleanCheckBox->setChecked(false);
        QCOMPARE(s->defaults.boolForKey(SettingsKeys::AutoClean), false);
        QTest::keyClicks(program.ui.AutoCleanTextBox, "7");
        QCOMPARE(s->defaults.stringForKey(SettingsKeys::AutoCleanThreshold),
                 QStringLiteral("12abc7"));
        program.delegate->setShortcutEnabled(false);
        QVERIFY(!program.ui.shortcutView->isEnabled());
        QVERIFY(!program.ui.shortcutEnabledCheckBox->isChecked());
        QCOMPARE(s->defaults.boolForKey(SettingsKeys::CleanShortcutEnabled), false);
    }

    // A cancelled chooser stores nothing, whatever path it holds.
    void choosingADestinationStoresIt_data() {
        QTest::addColumn<int>("result");
        QTest::newRow("chosen") << int(OpenPanel::OKButton);
        QTest::newRow("cancelled") << int(OpenPanel::CancelButton);
    }
    void choosingADestinationStoresIt() {
        QFETCH(int, result);
        TestPanel panel;
        panel.answer = {result, "/srv/Data/Archive"};
        Program program(s->defaults, &panel);
        const QString now =
            result == OpenPanel::OKButton ? panel.answer->second : s->home.documents();
        program.ui.chooseFolderButton->click();
        QTRY_COMPARE(panel.shown, 1);
        QVERIFY(panel.options.canChooseDirectories && !panel.options.canChooseFiles);
        QCOMPARE(program.ui.cleanFolderPath->text(), now);
        QCOMPARE(UserDefaults(s->home.settingsFile()).stringForKey(SettingsKeys::CleanPath), now);
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

    // The mode control: menu bar after its alert, window again, and no menu bar without a tray.
    void theModeSwitch() {
        Program program(s->defaults);
        program.ui.MenuAppSegment->findChildren<QAbstractButton *>()[0]->click();
        QCOMPARE(program.ui.MenuAppSegment->selectedSegment(), 1); // offscreen: no tray at all
        QVERIFY(s->reports.alerts.last().startsWith("Menu bar: Quillmere cannot show its icon: "));
        QVERIFY(!s->defaults.objectForKey(SettingsKeys::AppShouldRunInMenuBar).isValid());

        AppMode mode(
            s->defaults, program.window, program.ui, [] { return "MLMenuBar"; },
            [] {
                return TrayAvailability{TrayKind::XEmbed, {}};
            });
        mode.menuAppSegmentAction(0);
        QCOMPARE(s->reports.alerts.last(),
                 "Menu bar: Please note that you will find the application in the menu bar from "
                 "now on. Also you can find the quit button in the clean tab. [OK]");
        QVERIFY(program.window.hasMenuBarIcon() && program.window.attachedToMenuBar());
        QVERIFY(!program.window.isDetachable() && program.window.menuBar()->isHidden());
        QVERIFY(!program.ui.quitButton->isHidden());
        QVERIFY(
            UserDefaults(s->home.settingsFile()).boolForKey(SettingsKeys::AppShouldRunInMenuBar));

        mode.menuAppSegmentAction(1);
        QVERIFY(!program.window.hasMenuBarIcon() && !program.window.attachedToMenuBar());
        QVERIFY(!program.window.menuBar()->isHidden() && program.ui.quitButton->isHidden());
        QCOMPARE(s->reports.logged("Off, the user does not want the app in the menu bar.").size(),
                 1);
        QVERIFY(
            !UserDefaults(s->home.settingsFile()).boolForKey(SettingsKeys::AppShouldRunInMenuBar));

        // Stored, but with no tray at this start: a window, and the choice kept for the next.
        s->defaults.setBool(true, SettingsKeys::AppShouldRunInMenuBar);
        Program again(s->defaults);
        QVERIFY(!again.window.hasMenuBarIcon() && again.ui.quitButton->isHidden());
        QCOMPARE(again.ui.MenuAppSegment->selectedSegment(), 1);
        QVERIFY(s->defaults.boolForKey(SettingsKeys::AppShouldRunInMenuBar));
    }

private:
    std::optional<Sandbox> s;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
