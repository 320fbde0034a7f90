// SPDX-License-Identifier: GPL-3.0-or-later
// The clean over real folders in a temporary HOME, for its three triggers: where every item
// ends up (exactly once, content intact), what each trigger reports, the automatic clean's
// threshold, one completion notice per run and trigger, and the log of each step.
#include "Cleaner.h"
#include "ExceptedNames.h"
#include "ExceptionsTestSupport.h"
#include "ReportsRecorder.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <memory>

Q_DECLARE_METATYPE(CleanTrigger)

namespace {
const QString month = QStringLiteral("December 2026"); // the test's date in its English locale
const QString missingTitle = QStringLiteral("The folder does not exists");
const QString missingText = QStringLiteral("The folder you want to move your desktop items to "
                                           "does not exists, please choose a new destination in "
                                           "the settings tab.");
const QString cleanTitle = QStringLiteral("The Desktop is already clean.");
const QString cleanText = QStringLiteral("Your desktop is already clear. Or you have one folder "
                                         "called Quillmere, on your desktop.");

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

const QVariantList exceptionRows{QVariantMap{{"name", "kept"}}};
const QString exceptionRowsLine = QStringLiteral("(\n    {\n        name = kept;\n    }\n)");

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

QByteArray content(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}
} // namespace

class tst_Clean : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<Cleaner> cleaner;
    std::unique_ptr<ReportsRecorder> reports;
    QString destination, threshold;

    QString monthFolder() const { return destination + "/Quillmere/" + month; }
    // Desktop entries named with a trailing "/" are folders; files hold their own name.
    void putOnDesktop(const QStringList &names) {
        for (const QString &name : names) {
            if (name.endsWith('/'))
                QVERIFY(QDir(home->desktop()).mkpath(name));
            else
                TestHome::writeFile(home->desktop() + '/' + name, name.toUtf8());
        }
    }
    void putItems(int count, int first = 0) {
        for (int i = first; i < first + count; ++i)
            putOnDesktop({QStringLiteral("item %1.txt").arg(i)});
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        defaults = std::make_unique<UserDefaults>(UserDefaults::standardFilePath());
        destination = home->documents();
        threshold.clear();
        cleaner = std::make_unique<Cleaner>(
            *defaults, Cleaner::Inputs{[this] { return destination; }, [this] { return threshold; },
                                       [] { return QVariant(exceptionRows); },
                                       [] {
                                           return QDate(2026, 12, 5);
                                       }});
        reports = std::make_unique<ReportsRecorder>();
    }
    void cleanup() {
        reports.reset();
        cleaner.reset();
        defaults.reset();
        home.reset();
    }

    void movesEveryItemOnce_data();
    void movesEveryItemOnce();
    void reportsPerTrigger_data();
    void reportsPerTrigger();
    void automaticThreshold_data();
    void automaticThreshold();
    void readsIntegerValue_data();
    void readsIntegerValue();
    void oneNoticePerRunAndTrigger();
    void logsEachStep();
};

void tst_Clean::movesEveryItemOnce_data() {
    QTest::addColumn<QStringList>("desktop");
    QTest::addColumn<QString>("destinationBelowHome");
    QTest::addColumn<QStringList>("alreadyInMonthFolder");
    QTest::addColumn<QStringList>("staying");
    QTest::addColumn<QString>("notice");

    const QStringList seven{"a.txt", "b", ".hidden", "folder/", "c d.pdf", "e", "f"};
    QTest::newRow("seven items") << seven << "Documents" << QStringList{} << QStringList{}
                                 << "Finished Cleaning:7 items";
    QTest::newRow("one item") << QStringList{"only"} << "Documents" << QStringList{}
                              << QStringList{} << "Finished Cleaning:1 items";
    QTest::newRow("name taken in the month folder")
        << QStringList{"taken", "free"} << "Documents" << QStringList{"taken"}
        << QStringList{"taken"} << "Finished Cleaning:2 items";
    QTest::newRow("skipped names stay")
        << QStringList{"Quillmere/", ".DS_Store", "kept.doc", "x"} << "Documents" << QStringList{}
        << QStringList{"Quillmere", ".DS_Store", "kept.doc"} << "Finished Cleaning:1 items";
    QTest::newRow("destination is the Desktop")
        << QStringList{"a", "b/"} << "Desktop" << QStringList{} << QStringList{"Quillmere"}
        << "Finished Cleaning:2 items";
    QTest::newRow("destination is a Desktop item")
        << QStringList{"Archive/", "a", "b"} << "Desktop/Archive" << QStringList{}
        << QStringList{"Archive"} << "Finished Cleaning:3 items";
    QTest::newRow("destination is a plain file")
        << QStringList{"a", "b"} << "Documents/plain" << QStringList{} << QStringList{"a", "b"}
        << "Finished Cleaning:2 items";
}

void tst_Clean::movesEveryItemOnce() {
    QFETCH(QStringList, desktop);
    QFETCH(QString, destinationBelowHome);
    QFETCH(QStringList, alreadyInMonthFolder);
    QFETCH(QStringList, staying);
    QFETCH(QString, notice);
    putOnDesktop(desktop);
    ExceptedNames::write(*defaults, {"kept.doc"});
    destination = home->path() + '/' + destinationBelowHome;
    if (destinationBelowHome == "Documents/plain")
        TestHome::writeFile(destination, "a file, not a folder");
    for (const QString &name : alreadyInMonthFolder)
        TestHome::writeFile(monthFolder() + '/' + name, "was here first");

    cleaner->cleanDesktopItems(CleanTrigger::Button);

    QCOMPARE(sorted(entries(home->desktop())), sorted(staying));
    // Every item is in exactly one place, with its own content.
    for (QString name : desktop) {
        const bool folder = name.endsWith('/');
        name.remove('/');
        const bool stays = staying.contains(name);
        const QString moved = monthFolder() + '/' + name;
        QCOMPARE(QFileInfo::exists(home->desktop() + '/' + name), stays);
        if (alreadyInMonthFolder.contains(name))
            QCOMPARE(content(moved), QByteArray("was here first"));
        else
            QCOMPARE(QFileInfo::exists(moved), !stays);
        if (!folder)
            QCOMPARE(content(stays ? home->desktop() + '/' + name : moved), name.toUtf8());
    }
    QVERIFY(reports->alerts.isEmpty());
    QCOMPARE(reports->notices.size(), 0);
    QTRY_COMPARE(reports->noticeTexts(), QStringList{"Clean Complete: " + notice});
}

void tst_Clean::reportsPerTrigger_data() {
    QTest::addColumn<CleanTrigger>("trigger");
    QTest::addColumn<bool>("destinationExists");
    QTest::addColumn<QString>("alert");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QStringList>("logged");
    QTest::addColumn<QStringList>("notLogged");

    const QString missingLine =
        "The folder that the user wants clean items to move to does not exists";
    const QString centreLine = "On a 10.8 - 10.9.x has notification center!";
    QTest::newRow("button, no destination")
        << CleanTrigger::Button << false << "The folder does not exists.: " + missingText << ""
        << QStringList{missingLine} << QStringList{centreLine};
    QTest::newRow("shortcut, no destination")
        << CleanTrigger::Shortcut << false << "The folder does not exists.: " + missingText << ""
        << QStringList{missingLine} << QStringList{centreLine};
    QTest::newRow("automatic, no destination")
        << CleanTrigger::Automatic << false << "" << missingTitle + ": " + missingText
        << QStringList{"Auto clean is on...", missingLine}
        << QStringList{centreLine, exceptionRowsLine};
    QTest::newRow("button, only Quillmere on the Desktop")
        << CleanTrigger::Button << true << cleanTitle + ": " + cleanText << ""
        << QStringList{"Desktop has no files", "(\n)"} << QStringList{exceptionRowsLine};
    QTest::newRow("shortcut, only Quillmere on the Desktop")
        << CleanTrigger::Shortcut << true << "" << cleanTitle + ": " + cleanText
        << QStringList{centreLine, "(\n)"} << QStringList{"Desktop has no files"};
    QTest::newRow("automatic, only Quillmere on the Desktop")
        << CleanTrigger::Automatic << true << ""
        << ""
        << QStringList{"The folder that the user wants clean items to move to does exists",
                       exceptionRowsLine}
        << QStringList{"Desktop has no files", "Don't Auto clean", "(\n)"};
}

void tst_Clean::reportsPerTrigger() {
    QFETCH(CleanTrigger, trigger);
    QFETCH(bool, destinationExists);
    QFETCH(QString, alert);
    QFETCH(QString, notice);
    QFETCH(QStringList, logged);
    QFETCH(QStringList, notLogged);
    defaults->setBool(true, SettingsKeys::AutoClean);
    putOnDesktop({"Quillmere/"});
    if (!destinationExists)
        destination = home->path() + "/gone";
    LogLines log;

    cleaner->cleanDesktopItems(trigger);

    QCOMPARE(reports->alertTexts(), alert.isEmpty() ? QStringList{} : QStringList{alert + " [OK]"});
    QCOMPARE(reports->noticeTexts(), notice.isEmpty() ? QStringList{} : QStringList{notice});
    for (const UserNotification &n : reports->notices)
        QVERIFY(n.defaultSound);
    for (const QString &line : logged)
        QVERIFY2(log.contains(line), qPrintable(line));
    for (const QString &line : notLogged)
        QVERIFY2(!log.contains(line), qPrintable(line));
    if (!destinationExists)
        QVERIFY(!QFileInfo::exists(destination));
    QCOMPARE(entries(home->desktop()), QStringList{"Quillmere"});
    QTest::qWait(PendingNotice::delayMilliseconds + 100);
    QCOMPARE(reports->notices.size(), notice.isEmpty() ? 0 : 1); // no completion notice follows
}

void tst_Clean::automaticThreshold_data() {
    QTest::addColumn<bool>("autoClean");
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<int>("items");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<bool>("dontAutoCleanLogged");

    QTest::newRow("5 items, threshold 5") << true << "5" << 5 << false << false;
    QTest::newRow("6 items, threshold 5") << true << "5" << 6 << true << false;
    QTest::newRow("4 items, threshold 5") << true << "5" << 4 << false << true;
    QTest::newRow("empty field") << true << "" << 1 << true << false;
    QTest::newRow("not a number") << true << "abc" << 1 << true << false;
    QTest::newRow("12abc, 12 items") << true << "12abc" << 12 << false << false;
    QTest::newRow("12abc, 13 items") << true << "12abc" << 13 << true << false;
    QTest::newRow("-1 never moves") << true << "-1" << 30 << false << true;
    QTest::newRow("AutoClean off") << false << "0" << 3 << false << false;
}

void tst_Clean::automaticThreshold() {
    QFETCH(bool, autoClean);
    QFETCH(QString, threshold);
    QFETCH(int, items);
    QFETCH(bool, moves);
    QFETCH(bool, dontAutoCleanLogged);
    if (autoClean)
        defaults->setBool(true, SettingsKeys::AutoClean);
    this->threshold = threshold;
    putItems(items);
    LogLines log;

    cleaner->cleanDesktopItems(CleanTrigger::Automatic);

    QCOMPARE(entries(home->desktop()).size(), moves ? 0 : items);
    QCOMPARE(entries(monthFolder()).size(), moves ? items : 0);
    QCOMPARE(log.contains("Don't Auto clean"), dontAutoCleanLogged);
    // The folders are made on every run that gets past the gate, moving or not.
    QCOMPARE(QFileInfo::exists(monthFolder()), autoClean);
    if (!autoClean)
        QVERIFY(log.lines().isEmpty());
    QCOMPARE(cleaner->pendingNoticeCount(CleanTrigger::Automatic), moves ? items : 0);
    QTRY_COMPARE(reports->noticeTexts(),
                 moves ? QStringList{QStringLiteral("Clean Complete: Finished "
                                                    "Cleaning:%1 items")
                                         .arg(items)}
                       : QStringList{});
}

void tst_Clean::readsIntegerValue_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("digits then letters") << "12abc" << qint64(12);
    QTest::newRow("letters") << "abc" << qint64(0);
    QTest::newRow("empty") << "" << qint64(0);
    QTest::newRow("negative") << "-3" << qint64(-3);
    QTest::newRow("plus and spaces") << "  +7 8" << qint64(7);
    QTest::newRow("sign alone") << "-" << qint64(0);
    QTest::newRow("too large") << "99999999999999999999" << std::numeric_limits<qint64>::max();
    QTest::newRow("too small") << "-99999999999999999999" << std::numeric_limits<qint64>::min();
    QTest::newRow("most negative") << "-9223372036854775808" << std::numeric_limits<qint64>::min();
}

void tst_Clean::readsIntegerValue() {
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QCOMPARE(integerValue(text), value);
}

void tst_Clean::oneNoticePerRunAndTrigger() {
    putItems(3);
    cleaner->cleanDesktopItems(CleanTrigger::Button);
    putItems(5, 3); // a second run of the same trigger while the first notice waits
    cleaner->cleanDesktopItems(CleanTrigger::Button);
    putOnDesktop({"by shortcut"});
    cleaner->cleanDesktopItems(CleanTrigger::Shortcut);
    QCOMPARE(cleaner->pendingNoticeCount(CleanTrigger::Button), 8);
    QCOMPARE(cleaner->pendingNoticeCount(CleanTrigger::Shortcut), 1);

    QTRY_COMPARE(reports->notices.size(), 2);
    QTest::qWait(PendingNotice::delayMilliseconds + 100);
    QCOMPARE(reports->noticeTexts(), (QStringList{"Clean Complete: Finished Cleaning:3 items",
                                                  "Clean Complete: Finished Cleaning:1 items"}));
    QCOMPARE(cleaner->pendingNoticeCount(CleanTrigger::Button), 0);
    QCOMPARE(entries(monthFolder()).size(), 9);

    putItems(1, 100); // after the notice, a run has its own again
    cleaner->cleanDesktopItems(CleanTrigger::Button);
    QTRY_COMPARE(reports->notices.size(), 3);
}

void tst_Clean::logsEachStep() {
    putOnDesktop({"one", "two"});
    const QString folderLine = "Folder for cleaned items is:" + destination;
    {
        LogLines log;
        cleaner->cleanDesktopItems(CleanTrigger::Button);
        const QStringList expected{
            "The folder that the user wants clean items to move to does exists, can clean the "
            "desktop",
            "month is: December 2026",
            folderLine,
            "Quillmere does not exist creating folder",
            "Create directory error: (null)",
            "Month folder does not exist creating folder",
            "Create directory error: (null)",
            "Has items on the Desktop can clean."};
        QCOMPARE(log.lines().mid(0, expected.size()), expected);
        QCOMPARE(log.lines().size(), expected.size() + 1);
        QVERIFY(log.lines().last() == "(\n    one,\n    two\n)" ||
                log.lines().last() == "(\n    two,\n    one\n)");
    }
    {
        LogLines log;
        defaults->setBool(true, SettingsKeys::AutoClean);
        destination = home->path() + "/Documents/plain";
        TestHome::writeFile(destination, "not a folder");
        cleaner->cleanDesktopItems(CleanTrigger::Automatic);
        QCOMPARE(
            log.lines().mid(0, 5),
            (QStringList{"Auto clean is on...",
                         "The folder that the user wants clean items to move to does exists",
                         "month is: December 2026", "Folder for cleaned items is:" + destination,
                         "Quillmere does not exist creating folder"}));
        QVERIFY(log.containsText("Create directory error: Could not create the folder"));
        QVERIFY(log.contains(exceptionRowsLine)); // the automatic clean logs the table's rows
    }
}

QTEST_MAIN(tst_Clean)
#include "tst_clean.moc"
