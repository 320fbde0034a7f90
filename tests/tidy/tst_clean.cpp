// SPDX-License-Identifier: GPL-3.0-or-later
// The clean over real folders in a temporary HOME: where items end up, what each trigger
// reports, the automatic threshold, one notice per run, and the Desktops it refuses.
#include "Cleaner.h"
#include "ClutterLevel.h"
#include "ExceptedNames.h"
#include "ExceptionsTestSupport.h"
#include "KeyedArchive.h"
#include "ReportsRecorder.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <QTimer>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

Q_DECLARE_METATYPE(CleanTrigger)
using L = QStringList;

namespace {
const QString alreadyClean = "The Desktop is already clean.: Your desktop is already clear. Or "
                             "you have one folder called Quillmere, on your desktop.";
const QString tableRows = "(\n    {\n        name = kept;\n    }\n)"; // as the log shows them

L entries(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
QByteArray content(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}
} // namespace

class tst_Clean : public QObject {
    Q_OBJECT
    std::optional<TestHome> home;
    std::optional<UserDefaults> defaults;
    std::optional<Cleaner> cleaner;
    std::optional<ReportsRecorder> reports;
    QString destination, threshold;

    QString monthFolder() const { return destination + "/Quillmere/December 2026"; }
    // Names ending in "/" become folders; files hold their own name.
    void put(const L &names) {
        for (const QString &name : names)
            name.endsWith('/') ? void(QDir(home->desktop()).mkpath(name))
                               : TestHome::writeFile(home->desktop() + '/' + name, name.toUtf8());
    }
    void putManyEmptyItems(int count) {
        const QByteArray desktop = QFile::encodeName(home->desktop());
        for (int i = 0; i < count; ++i)
            ::close(::open(desktop + "/many " + QByteArray::number(i), O_CREAT | O_WRONLY, 0600));
    }
    void putItems(int count, int first = 0) {
        for (int i = first; i < first + count; ++i)
            put({QStringLiteral("item %1").arg(i)});
    }
    void clean(CleanTrigger trigger) {
        cleaner->cleanDesktopItems(trigger);
        cleaner->waitForIdle();
    }
    QString notice(int count) const {
        return QStringLiteral("Clean Complete: Finished Cleaning:%1 items").arg(count);
    }

private slots:
    void init() {
        home.emplace();
        defaults.emplace(UserDefaults::standardFilePath());
        destination = home->documents();
        threshold.clear();
        cleaner.emplace(
            *defaults, Cleaner::Inputs{[this] { return destination; }, [this] { return threshold; },
                                       [] {
                                           return QVariantList{QVariantMap{{"name", "kept"}}};
                                       },
                                       [] {
                                           return QDate(2026, 12, 5);
                                       }});
        reports.emplace();
    }
    void cleanup() {
        reports.reset();
        cleaner.reset();
        defaults.reset();
        home.reset();
    }

    void movesEveryItemOnce_data() {
        QTest::addColumn<L>("desktop");
        QTest::addColumn<QString>("destinationBelowHome");
        QTest::addColumn<L>("staying");
        QTest::addColumn<int>("count");
        QTest::newRow("seven items") << L{"a.txt", "b", ".hidden", "folder/", "c d.pdf", "e", "f"}
                                     << "Documents" << L{} << 7;
        QTest::newRow("one item") << L{"only"} << "Documents" << L{} << 1;
        QTest::newRow("name taken in the month folder")
            << L{"taken", "free"} << "Documents" << L{"taken"} << 2;
        QTest::newRow("destination is the Desktop")
            << L{"a", "b/"} << "Desktop" << L{"Quillmere"} << 2;
        QTest::newRow("destination is a plain file")
            << L{"a", "b"} << "Documents/plain" << L{"a", "b"} << 2;
    }
    void movesEveryItemOnce() {
        QFETCH(L, desktop);
        QFETCH(QString, destinationBelowHome);
        QFETCH(L, staying);
        QFETCH(int, count);
        put(desktop);
        destination = home->path() + '/' + destinationBelowHome;
        if (destinationBelowHome.endsWith("plain"))
            TestHome::writeFile(destination, "a file, not a folder");
        if (desktop.contains("taken"))
            TestHome::writeFile(monthFolder() + "/taken", "was here first");

        clean(CleanTrigger::Button);

        L moved = L(desktop).replaceInStrings("/", "");
        moved.removeIf([&staying](const QString &name) { return staying.contains(name); });
        if (desktop.contains("taken"))
            moved << "taken";
        moved.sort();
        QCOMPARE(entries(home->desktop()), staying);
        QCOMPARE(entries(monthFolder()), moved);
        for (const QString &name : desktop) // each file in one place, with its own content
            if (!name.endsWith('/') && name != "taken")
                QCOMPARE(content((staying.contains(name) ? home->desktop() : monthFolder()) + '/' +
                                 name),
                         name.toUtf8());
        if (desktop.contains("taken")) { // both intact
            QCOMPARE(content(monthFolder() + "/taken"), "was here first");
            QCOMPARE(content(home->desktop() + "/taken"), "taken");
        }
        QVERIFY(reports->alerts.isEmpty() && reports->notices.isEmpty()); // not before 0.5 s
        QTRY_COMPARE(reports->noticeTexts(), L{notice(count)});
    }

    // A Desktop holding only the application folder, or a destination that is gone.
    void reportsPerTrigger_data() {
        QTest::addColumn<CleanTrigger>("trigger");
        QTest::addColumn<bool>("destinationExists");
        QTest::addColumn<L>("alerts");
        QTest::addColumn<L>("notices");
        QTest::addColumn<L>("log"); // lines logged; with "!", lines not logged
        const QString missing = "The folder you want to move your desktop items to does not "
                                "exists, please choose a new destination in the settings tab.";
        const QString gone =
            "The folder that the user wants clean items to move to does not exists";
        const QString centre = "On a 10.8 - 10.9.x has notification center!";
        QTest::newRow("button, no destination")
            << CleanTrigger::Button << false
            << L{"The folder does not exists.: " + missing + " [OK]"} << L{}
            << L{gone, "!" + centre};
        QTest::newRow("automatic, no destination")
            << CleanTrigger::Automatic << false << L{}
            << L{"The folder does not exists: " + missing}
            << L{"Auto clean is on...", gone, "!" + tableRows};
        QTest::newRow("button, only Quillmere")
            << CleanTrigger::Button << true << L{alreadyClean + " [OK]"} << L{}
            << L{"Desktop has no files", "(\n)", "!" + tableRows};
        QTest::newRow("shortcut, only Quillmere")
            << CleanTrigger::Shortcut << true << L{} << L{alreadyClean}
            << L{centre, "(\n)", "!Desktop has no files"};
        QTest::newRow("automatic, only Quillmere")
            << CleanTrigger::Automatic << true << L{} << L{}
            << L{tableRows, "!Desktop has no files", "!Don't Auto clean", "!(\n)"};
    }
    void reportsPerTrigger() {
        QFETCH(CleanTrigger, trigger);
        QFETCH(bool, destinationExists);
        QFETCH(L, alerts);
        QFETCH(L, notices);
        QFETCH(L, log);
        defaults->setBool(true, SettingsKeys::AutoClean);
        put({"Quillmere/"});
        if (!destinationExists)
            destination = home->path() + "/gone";
        LogLines logged;

        clean(trigger);

        QCOMPARE(reports->alertTexts(), alerts);
        QCOMPARE(reports->noticeTexts(), notices);
        for (const QString &line : log)
            QVERIFY2(logged.contains(line.startsWith('!') ? line.mid(1) : line) !=
                         line.startsWith('!'),
                     qPrintable(line));
        QCOMPARE(QFileInfo::exists(destination), destinationExists); // nothing created
        QCOMPARE(entries(home->desktop()), L{"Quillmere"});
        QTest::qWait(PendingNotice::delayMilliseconds + 100);
        QCOMPARE(reports->noticeTexts(), notices); // no completion notice follows
    }

    // The automatic clean moves only when the Desktop holds more items than the threshold.
    void automaticThreshold_data() {
        QTest::addColumn<bool>("autoClean");
        QTest::addColumn<QString>("threshold");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("moves");
        QTest::newRow("5 items, threshold 5") << true << "5" << 5 << false;
        QTest::newRow("6 items, threshold 5") << true << "5" << 6 << true;
        QTest::newRow("empty field") << true << "" << 1 << true;
        QTest::newRow("abc reads 0") << true << "abc" << 1 << true;
        QTest::newRow("12abc reads 12, 12 items") << true << " 12abc" << 12 << false;
        QTest::newRow("12abc reads 12, 13 items") << true << "+12abc" << 13 << true;
        QTest::newRow("-1 never moves") << true << "-1" << 30 << false;
        QTest::newRow("below the 64-bit limit") << true << "-99999999999999999999" << 30 << false;
        QTest::newRow("AutoClean off") << false << "0" << 3 << false;
    }
    void automaticThreshold() {
        QFETCH(bool, autoClean);
        QFETCH(QString, threshold);
        QFETCH(int, items);
        QFETCH(bool, moves);
        defaults->setBool(autoClean, SettingsKeys::AutoClean);
        this->threshold = threshold;
        putItems(items);
        LogLines log;

        clean(CleanTrigger::Automatic);

        QCOMPARE(entries(home->desktop()).size(), moves ? 0 : items);
        QCOMPARE(entries(monthFolder()).size(), moves ? items : 0);
        // Fewer items than the threshold (a negative one reads as larger than any count).
        const bool fewer = autoClean && !moves && threshold.startsWith('-');
        QCOMPARE(log.contains("Don't Auto clean"), fewer);
        QCOMPARE(log.lines().isEmpty(), !autoClean);
        QTRY_COMPARE(reports->noticeTexts(), moves ? L{notice(items)} : L{});
    }

    // A Desktop that is the home folder however it is written, "/", a folder above the home, or
    // one that holds the destination: nothing moves or is created; the button says why each
    // time, the automatic clean once, and the level shows the same sentence.
    void refusesAnUnsafeDesktop_data() {
        QTest::addColumn<QString>("desktopDir");  // "~" is the temporary folder; HOME is ~/h
        QTest::addColumn<QString>("destination"); // below ~
        QTest::addColumn<QString>("named");       // what the sentence says
        const QString home = "is ~/h, your home folder.", documents = "Documents";
        QTest::newRow("home") << "$HOME/" << documents << home;
        QTest::newRow("home, the parent of a link") << "~/Desktop/ToSub/.." << documents << home;
        QTest::newRow("above the home")
            << "$HOME/.." << documents << QString("is ~, a folder that holds");
        // A plain file as the destination: even a clean that failed to refuse could move
        // nothing out of "/".
        QTest::newRow("/") << "/"
                           << "Documents/plain"
                           << "is /, a folder that holds";
        QTest::newRow("holds the destination")
            << "~/Documents"
            << "Documents/Sorted/Cleaned"
            << "~/Documents/Sorted/Cleaned lies inside ~/Documents,";
        QTest::newRow("destination inside, through a link")
            << "~/Desktop"
            << "DesktopLink/Archive"
            << "~/Desktop/Archive lies inside ~/Desktop,";
    }
    void refusesAnUnsafeDesktop() {
        QFETCH(QString, desktopDir);
        QFETCH(QString, destination);
        QFETCH(QString, named);
        const QString top = QFileInfo(home->path()).canonicalFilePath();
        for (const QString folder : {"h/sub", "Desktop/Archive", "Documents/Sorted/Cleaned"})
            QVERIFY(QDir(top).mkpath(folder));
        QVERIFY(QFile::link("../h/sub", top + "/Desktop/ToSub") &&
                QFile::link("Desktop", top + "/DesktopLink"));
        TestHome::writeFile(top + "/Documents/plain");
        TestHome::writeFile(top + "/h/.bashrc");
        put({"item"});
        qputenv("HOME", QFile::encodeName(top + "/h"));
        home->setDesktopDir(QString(desktopDir).replace('~', top));
        this->destination = top + '/' + destination;
        defaults->setBool(true, SettingsKeys::AutoClean);
        const auto snapshot = [&] {
            return entries(top) + entries(top + "/h") + entries(top + "/Desktop") +
                   entries(top + "/Documents") + entries(this->destination);
        };
        const L before = snapshot();

        for (const CleanTrigger trigger : {CleanTrigger::Button, CleanTrigger::Button,
                                           CleanTrigger::Automatic, CleanTrigger::Automatic})
            cleaner->cleanDesktopItems(trigger);
        cleaner->waitForIdle();
        const ClutterLevel level =
            ClutterLevel::ofDesktop(ItemFilter(*defaults), {}, this->destination);

        QCOMPARE(snapshot(), before);
        QCOMPARE(reports->alerts.size(), 2);
        QCOMPARE(reports->notices.size(), 1);
        const QString sentence = reports->alerts.first().message;
        QVERIFY2(sentence.contains(named.replace('~', top)), qPrintable(sentence));
        QCOMPARE(reports->notices.first().informativeText, sentence);
        QCOMPARE(level.sentence, sentence);
    }

    // While the excepted names cannot be decoded, the files they protect are unknown: no clean.
    // An array that holds a non-name still protects its names.
    void noCleanWhileExceptedNamesAreUnreadable() {
        defaults->setObject(
            KeyedArchive::archivedDataWithRootObject(QVariantList{"kept"}).chopped(9),
            SettingsKeys::ExceptionsObjects);
        defaults->setBool(true, SettingsKeys::AutoClean);
        put({"kept", "other"});
        for (const CleanTrigger trigger :
             {CleanTrigger::Button, CleanTrigger::Automatic, CleanTrigger::Automatic})
            cleaner->cleanDesktopItems(trigger);
        cleaner->waitForIdle();
        QCOMPARE(entries(home->desktop()), (L{"kept", "other"}));
        QVERIFY(!QFileInfo::exists(destination + "/Quillmere"));
        QCOMPARE(reports->alerts.size(), 1);
        QCOMPARE(reports->noticeTexts(), L{reports->alertTexts().first().chopped(5)}); // " [OK]"

        ExceptedNames::write(*defaults, {"kept", 7});
        clean(CleanTrigger::Button);
        QCOMPARE(entries(home->desktop()), L{"kept"});
    }

    void oneNoticePerRunAndTrigger() {
        putItems(3);
        clean(CleanTrigger::Button);
        putItems(5, 3); // a second run within half a second: no notice of its own
        clean(CleanTrigger::Button);
        put({"by shortcut"});
        clean(CleanTrigger::Shortcut);
        QTRY_COMPARE(reports->notices.size(), 2);
        QTest::qWait(PendingNotice::delayMilliseconds + 100);
        QCOMPARE(reports->noticeTexts(), (L{notice(3), notice(1)}));
        putItems(1, 100); // after the notice, a run has its own again
        clean(CleanTrigger::Button);
        QTRY_COMPARE(reports->notices.size(), 3);
    }

    // The moves run on a worker: the main thread answers throughout, and a trigger that comes
    // during the clean runs after it, on the Desktop as the clean left it.
    void aLongCleanKeepsTheMainThreadAnswering() {
        const int count = 20000;
        putManyEmptyItems(count);
        defaults->setBool(true, SettingsKeys::AutoClean);
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(1);
        QList<std::pair<CleanTrigger, std::optional<quint64>>> ended;
        int ticksAtFirstEnd = -1;
        Cleaner cleaner(*defaults, {[this] { return destination; },
                                    [] { return QString(); },
                                    {},
                                    [] { return QDate(2026, 12, 5); },
                                    [&](CleanTrigger trigger, std::optional<quint64> left) {
                                        ended.append({trigger, left});
                                        if (ticksAtFirstEnd < 0)
                                            ticksAtFirstEnd = ticks;
                                    }});
        cleaner.cleanDesktopItems(CleanTrigger::Button);
        cleaner.cleanDesktopItems(CleanTrigger::Automatic);
        QVERIFY(ended.isEmpty() && cleaner.hasRun(CleanTrigger::Automatic));
        cleaner.waitForIdle();
        QVERIFY(ticksAtFirstEnd > 0);
        using Ended = decltype(ended);
        QCOMPARE(ended, (Ended{{CleanTrigger::Button, 0}, {CleanTrigger::Automatic, 0}}));
        QCOMPARE(entries(monthFolder()).size(), count);
    }

    // Stopped in the middle (the program quits): every item is in one place, whole.
    void aStoppedCleanLeavesNothingHalfMoved() {
        const int count = 20000;
        putManyEmptyItems(count);
        cleaner->cleanDesktopItems(CleanTrigger::Button);
        QTRY_VERIFY(!entries(monthFolder()).isEmpty());
        cleaner.reset(); // the worker finishes the item in hand and is joined
        const qsizetype moved = entries(monthFolder()).size();
        QCOMPARE(entries(home->desktop()).size() + moved, count);
        // A fast machine may finish before the stop; a stopped run ends without a notice.
        QTest::qWait(PendingNotice::delayMilliseconds + 100);
        QVERIFY(moved == count || reports->notices.isEmpty());
    }
};

QTEST_MAIN(tst_Clean)
#include "tst_clean.moc"
