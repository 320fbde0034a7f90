// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up as a person meets it: the first start, later starts, new versions, the settings
// controls, and the images chosen for the toolkit generation.
#include "Alerts.h"
#include "AppSettingsKeys.h"
#include "Bundle.h"
#include "BundleImages.h"
#include "Log.h"
#include "ProgramFixture.h"
#include "StartupVersions.h"
#include "SystemGeneration.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() {
        home = std::make_unique<TestHome>();
        log.clear();
        alerts.clear();
        setLogSink([this](const QString &line) { log << line; });
        Alerts::setPresenterForTesting([this](const Alert &a) {
            alerts << a;
            return Alerts::FirstButtonReturn;
        });
    }
    void cleanup() {
        setLogSink(nullptr);
        Alerts::setPresenterForTesting(nullptr);
        home.reset();
    }

    void firstStartGreetsAndSettlesTheDestination() {
        {
            UserDefaults defaults(home->settingsFile());
            Program program(defaults);
            QCOMPARE(program.ui.cleanFolderPath->text(), home->documents());
            QCOMPARE(alerts.size(), 1);
            QCOMPARE(alerts[0].title, QStringLiteral("How to use Quillmere"));
            QVERIFY(alerts[0].message.startsWith("Welcome to Quillmere, Quillmere is a handy"));
            QVERIFY(alerts[0].message.endsWith("but you can change this in the settings tab."));
            QCOMPARE(alerts[0].buttons, QStringList{"Great Thanks"});
            QCOMPARE(alerts[0].style, Alert::Informational);
            QVERIFY(log.contains("object not there set path to users documents folder"));
            QVERIFY(log.contains("Starting up for first time with NO pre-existing installs"));
            // Absent Booleans read NO: window mode, recorder off, no update check.
            QVERIFY(program.ui.quitButton->isHidden());
            QCOMPARE(program.ui.MenuAppSegment->selectedSegment(), 1);
            QVERIFY(!program.ui.shortcutView->isEnabled());
            QVERIFY(!program.window.hasMenuBarIcon());
            QVERIFY(!std::any_of(log.begin(), log.end(), [](const QString &l) {
                return l.startsWith("Update Check at:");
            }));
        }
        // What start-up left in the real file.
        UserDefaults reread(home->settingsFile());
        QCOMPARE(reread.stringForKey(SettingsKeys::CleanPath), home->documents());
        QCOMPARE(reread.arrayForKey(SettingsKeys::prevStartupVersions),
                 QVariantList{Bundle::version()});
    }

    void secondStartIsQuiet() {
        {
            UserDefaults defaults(home->settingsFile());
            Program first(defaults);
        }
        alerts.clear();
        log.clear();
        UserDefaults defaults(home->settingsFile());
        Program second(defaults);
        QCoreApplication::processEvents();
        QVERIFY(alerts.isEmpty());
        QVERIFY(log.contains("object is there"));
        QCOMPARE(second.ui.cleanFolderPath->text(), home->documents());
        QCOMPARE(defaults.arrayForKey(SettingsKeys::prevStartupVersions),
                 QVariantList{Bundle::version()});
    }

    void aVersionListOfTheWrongTypeStartsOver() {
        UserDefaults defaults(home->settingsFile());
        defaults.setObject(QStringLiteral("1.0"), SettingsKeys::prevStartupVersions);
        Program program(defaults);
        QCOMPARE(alerts.size(), 1);
        QCOMPARE(defaults.arrayForKey(SettingsKeys::prevStartupVersions),
                 QVariantList{Bundle::version()});
    }

    void newVersionsAreAppendedInOrder() {
        UserDefaults defaults(home->settingsFile());
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
        QVERIFY(log.contains("Starting up for first time with this version of the app."));
    }

    void storedSettingsShowInTheWindow() {
        UserDefaults defaults(home->settingsFile());
        defaults.setObject(QStringLiteral("/srv/archive"), SettingsKeys::CleanPath);
        defaults.setBool(true, SettingsKeys::AutoClean);
        defaults.setBool(true, SettingsKeys::CheckforUpdatesStartUp);
        defaults.setBool(true, SettingsKeys::CleanShortcutEnabled);
        defaults.setObject(QStringLiteral("12abc"), SettingsKeys::AutoCleanThreshold);
        Program program(defaults);
        QCOMPARE(program.ui.cleanFolderPath->text(), QStringLiteral("/srv/archive"));
        QVERIFY(program.ui.AutoCleanCheckBox->isChecked());
        QCOMPARE(program.ui.AutoCleanTextBox->text(), QStringLiteral("12abc"));
        QVERIFY(program.ui.shortcutView->isEnabled());
        QVERIFY(std::any_of(log.begin(), log.end(),
                            [](const QString &l) { return l.startsWith("Update Check at: "); }));

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

    void helpAlertFlushesTheSettingsWhenDismissed() {
        UserDefaults defaults(home->settingsFile());
        Program program(defaults);
        QFile::remove(home->settingsFile());
        program.delegate->showHelp();
        QTRY_VERIFY(QFile::exists(home->settingsFile()));
        QCOMPARE(alerts.last().title, QStringLiteral("How to use Quillmere"));
    }

    void aHomeWithoutItsFoldersStillStarts() {
        QDir(home->desktop()).removeRecursively();
        QDir(home->documents()).removeRecursively();
        UserDefaults defaults(home->settingsFile());
        Program program(defaults);
        QCOMPARE(program.ui.cleanFolderPath->text(), home->documents());
        QVERIFY(std::any_of(log.begin(), log.end(), [](const QString &l) {
            return l.startsWith("The Documents folder") && l.contains("does not exist");
        }));
        QVERIFY(std::any_of(log.begin(), log.end(), [this](const QString &l) {
            return l.startsWith("The Desktop folder " + home->desktop() + " does not exist");
        }));
        QCOMPARE(program.ui.LevelIndictorLabel->text(), QStringLiteral("Cleaning is optional."));
        QVERIFY(!QFileInfo::exists(home->desktop()) && !QFileInfo::exists(home->documents()));
    }

    void choosingADestinationStoresIt_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("expected");
        QTest::newRow("chosen") << int(OpenPanel::OKButton) << "/srv/Data/Archive";
        QTest::newRow("cancelled") << int(OpenPanel::CancelButton) << "";
    }
    void choosingADestinationStoresIt() {
        QFETCH(int, result);
        QFETCH(QString, expected);
        UserDefaults defaults(home->settingsFile());
        AnsweringPanel panel;
        panel.result = result;
        panel.path = result == OpenPanel::OKButton ? QStringLiteral("/srv/Data/Archive") : "";
        Program program(defaults, &panel);
        const QString before = program.ui.cleanFolderPath->text();
        program.ui.chooseFolderButton->click();
        QTRY_COMPARE(panel.shown, 1);
        QCOMPARE(panel.options.title, QStringLiteral("Choose Folder For Save Items"));
        QVERIFY(panel.options.canChooseDirectories && !panel.options.canChooseFiles);
        const QString now = expected.isEmpty() ? before : expected;
        QCOMPARE(program.ui.cleanFolderPath->text(), now);
        QCOMPARE(UserDefaults(home->settingsFile()).stringForKey(SettingsKeys::CleanPath), now);
        QCOMPARE(log.contains("Archive"), !expected.isEmpty());
    }

    void imagesFollowTheGeneration_data() {
        QTest::addColumn<double>("version");
        QTest::addColumn<QString>("menuBarIcon");
        QTest::addColumn<QString>("applicationIcon");
        QTest::newRow("10.7") << 1138.0 << "LionMenuBar"
                              << "BrashwickLionIcon";
        QTest::newRow("10.8 lower bound") << 1138.5 << "LionMenuBar"
                                          << "BrashwickLionIcon";
        QTest::newRow("10.8") << 1187.0 << "MLMenuBar"
                              << "BrashwickIconMl";
        QTest::newRow("10.9") << 1265.0 << "MavricksMenuBar"
                              << "BrashwickMav";
        QTest::newRow("newer") << 1266.0 << "DefaulticonMenuBar"
                               << "";
    }
    void imagesFollowTheGeneration() {
        QFETCH(double, version);
        QFETCH(QString, menuBarIcon);
        QFETCH(QString, applicationIcon);
        const GenerationImages images = imagesForGeneration(version);
        QCOMPARE(images.menuBarIconName, menuBarIcon);
        QCOMPARE(images.applicationIconName, applicationIcon);
        // Every image the program names is one of its resources.
        QVERIFY(!Bundle::imageNamed(menuBarIcon).isNull());
        if (!applicationIcon.isEmpty())
            QVERIFY(!Bundle::imageNamed(applicationIcon).isNull());
    }

private:
    std::unique_ptr<TestHome> home;
    QStringList log;
    QList<Alert> alerts;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
