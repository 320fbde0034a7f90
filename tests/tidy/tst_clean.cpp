// SPDX-License-Identifier: GPL-3.0-or-later
// The clean over real folders in a temporary HOME, for its three triggers: where every item
// ends up (once, content intact), what each trigger reports, the automatic clean's threshold,
// one completion notice per run and trigger, and the log of each step.
#include "Cleaner.h"
#include "ExceptedNames.h"
#include "ExceptionsTestSupport.h"
#include "ReportsRecorder.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <optional>

Q_DECLARE_METATYPE(CleanTrigger)

namespace {
const QString missing = "The folder you want to move your desktop items to does not exists, "
                        "please choose a new destination in the settings tab.";
const QString alreadyClean = "The Desktop is already clean.: Your desktop is already clear. Or "
                             "you have one folder called Quillmere, on your desktop.";
const QString tableRows = "(\n    {\n        name = kept;\n    }\n)"; // as the log shows them

QStringList entries(const QString &folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
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
    // Names with a trailing "/" become folders; files hold their own name.
    void put(const QStringList &names) {
        for (const QString &name : names) {
            if (name.endsWith('/'))
                QVERIFY(QDir(home->desktop()).mkpath(name));
            else
                TestHome::writeFile(home->desktop() + '/' + name, name.toUtf8());
        }
    }
    void putItems(int count, int first = 0) {
        for (int i = first; i < first + count; ++i)
            put({QStringLiteral("item %1").arg(i)});
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
        QTest::addColumn<QStringList>("desktop");
        QTest::addColumn<QString>("destinationBelowHome");
        QTest::addColumn<QStringList>("staying"); // in name order
        QTest::addColumn<int>("count");
        using L = QStringList;
        QTest::newRow("seven items") << L{"a.txt", "b", ".hidden", "folder/", "c d.pdf", "e", "f"}
                                     << "Documents" << L{} << 7;
        QTest::newRow("one item") << L{"only"} << "Documents" << L{} << 1;
        QTest::newRow("name taken in the month folder")
            << L{"taken", "free"} << "Documents" << L{"taken"} << 2;
        QTest::newRow("skipped names stay")
            << L{"Quillmere/", ".DS_Store", "kept.doc", "x"} << "Documents"
            << L{".DS_Store", "Quillmere", "kept.doc"} << 1;
        QTest::newRow("destination is the Desktop")
            << L{"a", "b/"} << "Desktop" << L{"Quillmere"} << 2;
        QTest::newRow("destination is a Desktop item")
            << L{"Archive/", "a", "b"} << "Desktop/Archive" << L{"Archive"} << 3;
        QTest::newRow("destination is a plain file")
            << L{"a", "b"} << "Documents/plain" << L{"a", "b"} << 2;
    }
    void movesEveryItemOnce() {
        QFETCH(QStringList, desktop);
        QFETCH(QString, destinationBelowHome);
        QFETCH(QStringList, staying);
        QFETCH(int, count);
        put(desktop);
        ExceptedNames::write(*defaults, {"kept.doc"});
        destination = home->path() + '/' + destinationBelowHome;
        if (destinationBelowHome.endsWith("plain"))
            TestHome::writeFile(destination, "a file, not a folder");
        if (desktop.contains("taken"))
            TestHome::writeFile(monthFolder() + "/taken", "was here first");

        cleaner->cleanDesktopItems(CleanTrigger::Button);

        QStringList moved = QStringList(desktop).replaceInStrings("/", "");
        moved.removeIf([&staying](const QString &name) { return staying.contains(name); });
        if (desktop.contains("taken"))
            moved << "taken";
        moved.sort();
        QCOMPARE(entries(home->desktop()), staying);
        QCOMPARE(entries(monthFolder()), moved);
        for (const QString &name : desktop) // each file in one place, with its own content
            if (!name.endsWith('/'))
                QCOMPARE(content((staying.contains(name) ? home->desktop() : monthFolder()) + '/' +
                                 name),
                         name.toUtf8());
        if (desktop.contains("taken"))
            QCOMPARE(content(monthFolder() + "/taken"), "was here first");
        QVERIFY(reports->alerts.isEmpty() && reports->notices.isEmpty());
        QTRY_COMPARE(
            reports->noticeTexts(),
            QStringList{QStringLiteral("Clean Complete: Finished Cleaning:%1 items").arg(count)});
    }

    void reportsPerTrigger_data() {
        QTest::addColumn<CleanTrigger>("trigger");
        QTest::addColumn<bool>("destinationExists");
        QTest::addColumn<QStringList>("alerts");
        QTest::addColumn<QStringList>("notices");
        QTest::addColumn<QStringList>("log"); // lines logged; with "!", lines not logged
        using L = QStringList;
        const QString gone =
            "The folder that the user wants clean items to move to does not exists";
        const QString centre = "On a 10.8 - 10.9.x has notification center!";
        const L alert{"The folder does not exists.: " + missing + " [OK]"};
        QTest::newRow("button, no destination")
            << CleanTrigger::Button << false << alert << L{} << L{gone, "!" + centre};
        QTest::newRow("shortcut, no destination")
            << CleanTrigger::Shortcut << false << alert << L{} << L{gone, "!" + centre};
        QTest::newRow("automatic, no destination")
            << CleanTrigger::Automatic << false << L{}
            << L{"The folder does not exists: " + missing}
            << L{"Auto clean is on...", gone, "!" + centre, "!" + tableRows};
        QTest::newRow("button, only Quillmere on the Desktop")
            << CleanTrigger::Button << true << L{alreadyClean + " [OK]"} << L{}
            << L{"Desktop has no files", "(\n)", "!" + tableRows};
        QTest::newRow("shortcut, only Quillmere on the Desktop")
            << CleanTrigger::Shortcut << true << L{} << L{alreadyClean}
            << L{centre, "(\n)", "!Desktop has no files"};
        QTest::newRow("automatic, only Quillmere on the Desktop")
            << CleanTrigger::Automatic << true << L{} << L{}
            << L{tableRows, "!Desktop has no files", "!Don't Auto clean", "!(\n)"};
    }
    void reportsPerTrigger() {
        QFETCH(CleanTrigger, trigger);
        QFETCH(bool, destinationExists);
        QFETCH(QStringList, alerts);
        QFETCH(QStringList, notices);
        QFETCH(QStringList, log);
        defaults->setBool(true, SettingsKeys::AutoClean);
        put({"Quillmere/"});
        if (!destinationExists)
            destination = home->path() + "/gone";
        LogLines logged;

        cleaner->cleanDesktopItems(trigger);

        QCOMPARE(reports->alertTexts(), alerts);
        QCOMPARE(reports->noticeTexts(), notices);
        for (const UserNotification &n : reports->notices)
            QVERIFY(n.defaultSound);
        for (const QString &line : log)
            QVERIFY2(logged.contains(line.startsWith('!') ? line.mid(1) : line) !=
                         line.startsWith('!'),
                     qPrintable(line));
        QCOMPARE(QFileInfo::exists(destination), destinationExists); // nothing created
        QCOMPARE(entries(home->desktop()), QStringList{"Quillmere"});
        QTest::qWait(PendingNotice::delayMilliseconds + 100);
        QCOMPARE(reports->noticeTexts(), notices); // no completion notice follows
    }

    void automaticThreshold_data() {
        QTest::addColumn<bool>("autoClean");
        QTest::addColumn<QString>("threshold");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<bool>("dontAutoClean"); // logged
        QTest::newRow("5 items, threshold 5") << true << "5" << 5 << false << false;
        QTest::newRow("6 items, threshold 5") << true << "5" << 6 << true << false;
        QTest::newRow("4 items, threshold 5") << true << "5" << 4 << false << true;
        QTest::newRow("empty field") << true << "" << 1 << true << false;
        QTest::newRow("not a number") << true << "abc" << 1 << true << false;
        QTest::newRow("12abc, 12 items") << true << " 12abc" << 12 << false << false;
        QTest::newRow("12abc, 13 items") << true << "+12abc" << 13 << true << false;
        QTest::newRow("-1 never moves") << true << "-1" << 30 << false << true;
        QTest::newRow("too large to hold") << true << "99999999999999999999" << 3 << false << true;
        QTest::newRow("AutoClean off") << false << "0" << 3 << false << false;
    }
    void automaticThreshold() {
        QFETCH(bool, autoClean);
        QFETCH(QString, threshold);
        QFETCH(int, items);
        QFETCH(bool, moves);
        QFETCH(bool, dontAutoClean);
        defaults->setBool(autoClean, SettingsKeys::AutoClean);
        this->threshold = threshold;
        putItems(items);
        LogLines log;

        cleaner->cleanDesktopItems(CleanTrigger::Automatic);

        QCOMPARE(entries(home->desktop()).size(), moves ? 0 : items);
        QCOMPARE(entries(monthFolder()).size(), moves ? items : 0);
        QCOMPARE(log.contains("Don't Auto clean"), dontAutoClean);
        QCOMPARE(QFileInfo::exists(monthFolder()), autoClean); // made even when nothing moves
        QCOMPARE(log.lines().isEmpty(), !autoClean);
        QTRY_COMPARE(reports->noticeTexts().size(), moves ? 1 : 0);
    }

    void oneNoticePerRunAndTrigger() {
        putItems(3);
        cleaner->cleanDesktopItems(CleanTrigger::Button);
        putItems(5, 3); // a second run of the same trigger while the first notice waits
        cleaner->cleanDesktopItems(CleanTrigger::Button);
        put({"by shortcut"});
        cleaner->cleanDesktopItems(CleanTrigger::Shortcut);
        QCOMPARE(cleaner->pendingNoticeCount(CleanTrigger::Button), 8);
        QCOMPARE(cleaner->pendingNoticeCount(CleanTrigger::Shortcut), 1);
        QTRY_COMPARE(reports->notices.size(), 2);
        QTest::qWait(PendingNotice::delayMilliseconds + 100);
        QCOMPARE(reports->noticeTexts(),
                 (QStringList{"Clean Complete: Finished Cleaning:3 items",
                              "Clean Complete: Finished Cleaning:1 items"}));
        QCOMPARE(cleaner->pendingNoticeCount(CleanTrigger::Button), 0);
        putItems(1, 100); // after the notice, a run has its own again
        cleaner->cleanDesktopItems(CleanTrigger::Button);
        QTRY_COMPARE(reports->notices.size(), 3);
    }

    void logsEachStep() {
        put({"one", "two"});
        LogLines log;
        cleaner->cleanDesktopItems(CleanTrigger::Button);
        QCOMPARE(log.lines().mid(0, 8),
                 (QStringList{
                     "The folder that the user wants clean items to move to does exists, "
                     "can clean the desktop",
                     "month is: December 2026", "Folder for cleaned items is:" + destination,
                     "Quillmere does not exist creating folder", "Create directory error: (null)",
                     "Month folder does not exist creating folder",
                     "Create directory error: (null)", "Has items on the Desktop can clean."}));
        QVERIFY(log.lines().mid(8) == QStringList{"(\n    one,\n    two\n)"} ||
                log.lines().mid(8) == QStringList{"(\n    two,\n    one\n)"});

        LogLines again;
        defaults->setBool(true, SettingsKeys::AutoClean);
        cleaner->cleanDesktopItems(CleanTrigger::Automatic);
        QCOMPARE(
            again.lines(),
            (QStringList{"Auto clean is on...",
                         "The folder that the user wants clean items to move to does exists",
                         "month is: December 2026", "Folder for cleaned items is:" + destination,
                         "Quillmere does exist don't create folder folder",
                         "Month folder exist don't create folder folder", tableRows}));
    }
};

QTEST_MAIN(tst_Clean)
#include "tst_clean.moc"
