// SPDX-License-Identifier: GPL-3.0-or-later
// The clean and the restore over real folders in a temporary HOME: which items move and where,
// what each trigger reports, the automatic threshold, one notice per run, and the Desktops
// refused.
#include "Cleaner.h"
#include "ClutterLevel.h"
#include "DesktopSafety.h"
#include "ExceptedNames.h"
#include "KeyedArchive.h"
#include "MonthFolder.h"
#include "Restore.h"
#include "SettingsKeys.h"
#include "StandIns.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QTimer>
#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

Q_DECLARE_METATYPE(CleanTrigger)

class tst_Clean : public QObject {
    Q_OBJECT
    std::optional<Sandbox> s;
    std::optional<Cleaner> cleaner;
    TestPanel panel;
    std::optional<Restore> restore;
    QString destination, threshold;

    QString monthFolder() const { return destination + "/Quillmere/December 2026"; }
    // Names ending in "/" become folders; files hold their own name.
    void put(const L &names) {
        for (const QString &name : names)
            name.endsWith('/') ? void(QDir(s->home.desktop()).mkpath(name))
                               : TestHome::writeFile(s->home.desktop() + '/' + name, name.toUtf8());
    }
    static L items(int count, int first = 0) {
        L names;
        for (int i = first; i < first + count; ++i)
            names << QStringLiteral("item %1").arg(i);
        return names;
    }
    void clean(CleanTrigger trigger) {
        cleaner->cleanDesktopItems(trigger);
        cleaner->waitForIdle();
    }
    Cleaner::Inputs inputs() {
        return {
            .destinationText = [this] { return destination; },
            .thresholdText = [this] { return threshold; },
            .today = [] { return QDate(2026, 12, 5); },
        };
    }
    void restoreFrom(const QString &folder, int result = OpenPanel::OKButton) {
        restore->restoreFiles(s->home.documents());
        panel.end(result, result == OpenPanel::OKButton ? folder : QString());
        restore->waitForIdle();
    }
    static QString done(int count) {
        return QStringLiteral("Clean Complete: Finished Cleaning:%1 items").arg(count);
    }

private slots:
    void init() {
        s.emplace();
        destination = s->home.documents();
        cleaner.emplace(s->defaults, inputs());
        restore.emplace(s->defaults, panel, [] { return QDate(2026, 12, 5); });
    }
    void cleanup() {
        restore.reset();
        cleaner.reset();
        s.reset();
    }

    // Each trigger over a Desktop and a destination: what moves, what stays, each file whole,
    // and every report (excepted in every row: "report.pdf" and a name that is nowhere).
    void movesAndReports_data() {
        QTest::addColumn<CleanTrigger>("trigger");
        QTest::addColumn<QString>("threshold"); // "off": AutoClean is off
        QTest::addColumn<L>("desktop");
        QTest::addColumn<QString>("destinationBelowHome");
        QTest::addColumn<L>("staying");  // the rest moves
        QTest::addColumn<L>("reported"); // alerts, then notices
        const auto button = CleanTrigger::Button, automatic = CleanTrigger::Automatic;
        const QString missing = "The folder you want to move your desktop items to does not "
                                "exists, please choose a new destination in the settings tab.";
        const QString clean = "The Desktop is already clean.: Your desktop is already clear. Or "
                              "you have one folder called Quillmere, on your desktop.";
        const L onlyApp{"Quillmere/"}, app{"Quillmere"};
        // Hidden items and folders move; the fixed names and the exceptions are exact.
        QTest::newRow("fixed names, exceptions exact to case and extension")
            << button << "" << L{".DS_Store",     ".localized", "Quillmere/", "quillmere",
                                 "Quillmere.zip", "report.pdf", "Report.pdf", "report",
                                 ".hidden",       "folder/",    "c d.pdf"}
            << "Documents" << L{".DS_Store", "Quillmere", "report.pdf"} << L{done(8)};
        QTest::newRow("name taken in the month folder")
            << button << "" << L{"taken", "free"} << "Documents" << L{"taken"} << L{done(2)};
        QTest::newRow("destination is the Desktop")
            << button << "" << L{"a", "b/"} << "Desktop" << app << L{done(2)};
        QTest::newRow("destination is a plain file")
            << button << "" << L{"a", "b"} << "Documents/plain" << L{"a", "b"} << L{done(2)};
        QTest::newRow("button, no destination")
            << button << "" << L{"a"} << "gone" << L{"a"}
            << L{"The folder does not exists.: " + missing + " [OK]"};
        QTest::newRow("automatic, no destination") << automatic << "" << L{"a"} << "gone" << L{"a"}
                                                   << L{"The folder does not exists: " + missing};
        QTest::newRow("button, only Quillmere")
            << button << "" << onlyApp << "Documents" << app << L{clean + " [OK]"};
        QTest::newRow("shortcut, only Quillmere")
            << CleanTrigger::Shortcut << "" << onlyApp << "Documents" << app << L{clean};
        QTest::newRow("automatic, only Quillmere")
            << automatic << "" << onlyApp << "Documents" << app << L{};
        // The automatic clean moves only when the Desktop holds more items than the threshold.
        QTest::newRow("abc reads 0")
            << automatic << "abc" << items(1) << "Documents" << L{} << L{done(1)};
        QTest::newRow("12abc reads 12, 12 items")
            << automatic << " 12abc" << items(12) << "Documents" << items(12) << L{};
        QTest::newRow("12abc reads 12, 13 items")
            << automatic << "+12abc" << items(13) << "Documents" << L{} << L{done(13)};
        QTest::newRow("below the 64-bit limit, larger than any count")
            << automatic << "-99999999999999999999" << items(13) << "Documents" << items(13) << L{};
        QTest::newRow("AutoClean off")
            << automatic << "off" << items(3) << "Documents" << items(3) << L{};
    }
    void movesAndReports() {
        QFETCH(CleanTrigger, trigger);
        QFETCH(QString, threshold);
        QFETCH(L, desktop);
        QFETCH(QString, destinationBelowHome);
        QFETCH(L, staying);
        QFETCH(L, reported);
        s->defaults.setBool(threshold != "off", SettingsKeys::AutoClean);
        ExceptedNames::write(s->defaults, {"report.pdf", "nowhere"});
        this->threshold = threshold;
        put(desktop);
        destination = s->home.path() + '/' + destinationBelowHome;
        if (destinationBelowHome.endsWith("plain"))
            TestHome::writeFile(destination, "a file, not a folder");
        const bool taken = desktop.contains("taken");
        if (taken)
            TestHome::writeFile(monthFolder() + "/taken", "was here first");
        const bool destinationExisted = QFileInfo::exists(destination);

        clean(trigger);

        L moved = L(desktop).replaceInStrings("/", "");
        moved.removeIf([&staying](const QString &name) { return staying.contains(name); });
        for (const QString &name : desktop) // each file in one place, with its own content
            if (!name.endsWith('/'))
                QCOMPARE(content((moved.contains(name) ? monthFolder() : s->home.desktop()) + '/' +
                                 name),
                         name.toUtf8());
        if (taken) {
            QCOMPARE(content(monthFolder() + "/taken"), "was here first");
            moved << "taken";
        }
        staying.sort();
        moved.sort();
        QCOMPARE(entries(s->home.desktop()), staying);
        QCOMPARE(entries(monthFolder()), moved);
        QCOMPARE(QFileInfo::exists(destination), destinationExisted);
        QTRY_COMPARE(cleaner->pendingNoticeCount(trigger), 0); // no notice can follow
        QCOMPARE(s->reports.alerts + s->reports.notices, reported);
    }

    // Names compared byte for byte: no Unicode normalisation, and names that are not UTF-8.
    void exceptedNamesMatchByteForByte() {
        ExceptedNames::write(s->defaults, {"caf\u00e9.txt", "\ufffd\ufffd"});
        const QByteArray desktop = QFile::encodeName(s->home.desktop());
        for (const char *name : {"caf\xc3\xa9.txt", "cafe\xcc\x81.txt", "\xff\xfe"})
            QVERIFY(::close(::open(desktop + '/' + name, O_CREAT, 0600)) == 0);
        QList<QByteArray> items = ItemFilter(s->defaults).cleanableItemsInFolder(s->home.desktop());
        std::sort(items.begin(), items.end());
        QCOMPARE(items, (QList<QByteArray>{"cafe\xcc\x81.txt", "\xff\xfe"}));
        QVERIFY(
            ItemFilter(s->defaults).cleanableItemsInFolder(s->home.desktop() + "/none").isEmpty());
    }

    // Lower-case months raised, the month as a date names it; each word, white space kept, title
    // case, outside the BMP.
    void monthFolderNames() {
        QCOMPARE(::monthFolderName(QDate(2026, 12, 5), QLocale("fr_FR")), "Décembre 2026");
        QCOMPARE(::monthFolderName(QDate(2026, 12, 5), QLocale("ru_RU")), "Декабря 2026");
        QCOMPARE(::capitalizedString(" hello\twORLD  2026x \u01c6emal \U00010428\U00010428"),
                 " Hello\tWorld  2026x \u01c5emal \U00010400\U00010428");
    }

    // A Desktop that is the home folder (here through a link and ".."), a folder above it, or
    // one that holds the destination (here through a link): nothing moves or is created; the
    // button says why each time, the automatic clean once, and the level shows the same sentence.
    void refusesAnUnsafeDesktop_data() {
        QTest::addColumn<QString>("desktopDir");  // "~" is the temporary folder; HOME is ~/h
        QTest::addColumn<QString>("destination"); // below ~
        QTest::addColumn<QString>("named");       // what the sentence says
        QTest::newRow("home") << "~/Desktop/ToSub/.."
                              << "Documents"
                              << "is ~/h, your home folder.";
        QTest::newRow("above") << "$HOME/.."
                               << "Documents"
                               << "is ~, a folder that holds";
        QTest::newRow("holds the destination") << "~/Desktop"
                                               << "DesktopLink/Archive"
                                               << "~/Desktop/Archive lies inside ~/Desktop,";
    }
    void refusesAnUnsafeDesktop() {
        QFETCH(QString, desktopDir);
        QFETCH(QString, destination);
        QFETCH(QString, named);
        const QString top = QFileInfo(s->home.path()).canonicalFilePath();
        QVERIFY(QDir(top).mkpath("h/sub") && QDir(top).mkpath("Desktop/Archive"));
        QVERIFY(QFile::link("../h/sub", top + "/Desktop/ToSub") &&
                QFile::link("Desktop", top + "/DesktopLink"));
        TestHome::writeFile(top + "/h/.bashrc");
        put({"item"});
        qputenv("HOME", QFile::encodeName(top + "/h"));
        s->home.setDesktopDir(QString(desktopDir).replace('~', top));
        this->destination = top + '/' + destination;
        s->defaults.setBool(true, SettingsKeys::AutoClean);
        const auto snapshot = [&] {
            return entries(top) + entries(top + "/h") + entries(top + "/Desktop") +
                   entries(top + "/Documents") + entries(this->destination);
        };
        const L before = snapshot();

        for (const CleanTrigger trigger :
             {CleanTrigger::Button, CleanTrigger::Button, CleanTrigger::Shortcut,
              CleanTrigger::Automatic, CleanTrigger::Automatic})
            cleaner->cleanDesktopItems(trigger);
        cleaner->waitForIdle();
        QVERIFY(!cleaner->hasRun(CleanTrigger::Automatic)); // a refused run has ended
        const QString sentence =
            ClutterLevel::ofDesktop(ItemFilter(s->defaults), {}, this->destination).sentence;

        QVERIFY2(sentence.contains(named.replace('~', top)), qPrintable(sentence));
        QCOMPARE(snapshot(), before);
        QCOMPARE(s->reports.alerts, L(2, DesktopSafety::title + ": " + sentence + " [OK]"));
        QCOMPARE(s->reports.notices, L{DesktopSafety::title + ": " + sentence});
    }

    // While the excepted names cannot be decoded, the files they protect are unknown: no clean.
    // An array that holds a non-name still protects its names.
    void noCleanWhileExceptedNamesAreUnreadable() {
        s->defaults.setObject(
            KeyedArchive::archivedDataWithRootObject(QVariantList{"kept"}).chopped(9),
            SettingsKeys::ExceptionsObjects);
        s->defaults.setBool(true, SettingsKeys::AutoClean);
        put({"kept", "other"});
        for (const CleanTrigger trigger :
             {CleanTrigger::Button, CleanTrigger::Automatic, CleanTrigger::Automatic})
            cleaner->cleanDesktopItems(trigger);
        cleaner->waitForIdle();
        QCOMPARE(entries(s->home.desktop()), (L{"kept", "other"}));
        QVERIFY(!QFileInfo::exists(destination + "/Quillmere"));
        QCOMPARE(s->reports.alerts.size(), 1);
        QCOMPARE(s->reports.notices, L{s->reports.alerts.first().chopped(5)}); // " [OK]"

        ExceptedNames::write(s->defaults, {"kept", 7});
        clean(CleanTrigger::Button);
        QCOMPARE(entries(s->home.desktop()), L{"kept"});
    }

    // A run within half a second of the last one's notice adds to it; each trigger has its own.
    void oneNoticePerRunAndTrigger() {
        put(items(3));
        clean(CleanTrigger::Button);
        QVERIFY(s->reports.notices.isEmpty()); // not before half a second
        put(items(5, 3));
        clean(CleanTrigger::Button);
        put({"by shortcut"});
        clean(CleanTrigger::Shortcut);
        QTRY_COMPARE(cleaner->pendingNoticeCount(CleanTrigger::Button) +
                         cleaner->pendingNoticeCount(CleanTrigger::Shortcut),
                     0);
        QCOMPARE(s->reports.notices, (L{done(3), done(1)}));
        put(items(1, 100)); // after the notice, a run has its own again
        clean(CleanTrigger::Button);
        QTRY_COMPARE(s->reports.notices.size(), 3);
    }

    // Items and folders come back whole; the fixed names, the excepted ones and the names the
    // Desktop already holds stay; one notice counts every item tried.
    void restoreBringsItemsBackWithOneNotice() {
        ExceptedNames::write(s->defaults, {"kept.pdf"});
        for (const QString name : {".DS_Store", "Quillmere/inside", "kept.pdf", "free.txt"})
            TestHome::writeFile(monthFolder() + "/" + name);
        TestHome::writeFile(monthFolder() + "/November/old.txt", "old");
        TestHome::writeFile(monthFolder() + "/taken.txt", "from the month folder");
        TestHome::writeFile(s->home.desktop() + "/taken.txt", "already on the Desktop");
        restoreFrom(monthFolder());

        QCOMPARE(panel.options.directory, s->home.documents() + "/Quillmere");
        QVERIFY(!panel.options.canChooseFiles && !panel.options.canCreateDirectories);
        QCOMPARE(entries(s->home.desktop()), (L{"November", "free.txt", "taken.txt"}));
        QCOMPARE(entries(monthFolder()), (L{".DS_Store", "Quillmere", "kept.pdf", "taken.txt"}));
        QCOMPARE(content(s->home.desktop() + "/November/old.txt"), "old");
        QCOMPARE(content(s->home.desktop() + "/taken.txt"), "already on the Desktop");
        QCOMPARE(content(monthFolder() + "/taken.txt"), "from the month folder");
        QVERIFY(s->reports.notices.isEmpty()); // not before half a second
        QTRY_COMPARE(s->reports.notices, L{"Restore Complete: Finished Restoring:3 items"});
    }

    void restoreBringsNothingBack_data() {
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
    void restoreBringsNothingBack() {
        QFETCH(L, names);
        QFETCH(bool, chosen);
        QFETCH(QString, desktopDir);
        QFETCH(QString, alert);
        s->home.setDesktopDir(desktopDir);
        QVERIFY(QDir().mkpath(monthFolder()));
        for (const QString &name : names)
            TestHome::writeFile(monthFolder() + "/" + name);
        restoreFrom(monthFolder(), chosen ? OpenPanel::OKButton : OpenPanel::CancelButton);
        QCOMPARE(entries(monthFolder()), names);
        QVERIFY(entries(s->home.desktop()).isEmpty());
        QVERIFY(!QFileInfo::exists(s->home.path() + "/item.txt"));
        QCOMPARE(s->reports.alerts.size(), int(!alert.isEmpty()));
        QCOMPARE(s->reports.alerts.join("").left(alert.size()), alert);
        QVERIFY(s->reports.notices.isEmpty() && restore->pendingNoticeCount() == 0); // none to come
    }
    // The moves run on a worker: the main thread answers throughout, and a trigger that comes
    // during the clean runs after it, on the Desktop as the clean left it.
    void aLongCleanKeepsTheMainThreadAnswering() {
        const int count = 10000;
        const QByteArray desktop = QFile::encodeName(s->home.desktop());
        for (int i = 0; i < count; ++i)
            ::close(::open(desktop + "/many " + QByteArray::number(i), O_CREAT | O_WRONLY, 0600));
        s->defaults.setBool(true, SettingsKeys::AutoClean);
        int ticks = 0;
        QTimer timer;
        timer.callOnTimeout([&ticks] { ++ticks; });
        timer.start(1);
        QList<std::pair<CleanTrigger, std::optional<quint64>>> ended;
        int ticksAtFirstEnd = -1;
        Cleaner::Inputs inputs = this->inputs();
        inputs.runEnded = [&](CleanTrigger trigger, std::optional<quint64> left) {
            ended.append({trigger, left});
            if (ticksAtFirstEnd < 0)
                ticksAtFirstEnd = ticks;
        };
        Cleaner cleaner(s->defaults, inputs);
        cleaner.cleanDesktopItems(CleanTrigger::Button);
        cleaner.cleanDesktopItems(CleanTrigger::Automatic);
        QVERIFY(ended.isEmpty() && cleaner.hasRun(CleanTrigger::Automatic));
        cleaner.waitForIdle();
        QVERIFY(ticksAtFirstEnd > 0);
        QCOMPARE(ended, decltype(ended)({{CleanTrigger::Button, 0}, {CleanTrigger::Automatic, 0}}));
        QCOMPARE(entries(monthFolder()).size(), count);
    }
};

QTEST_MAIN(tst_Clean)
#include "tst_clean.moc"
