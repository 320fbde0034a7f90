// SPDX-License-Identifier: GPL-3.0-or-later
// Which Desktop entries count as items: the fixed names, the user's exceptions compared byte for
// byte, the listing order, and folders that cannot be read.
#include "ExceptedNames.h"
#include "FileManager.h"
#include "ItemFilter.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class tst_ItemFilter : public QObject {
    Q_OBJECT
private slots:
    void skipsFixedAndExceptedNames_data();
    void skipsFixedAndExceptedNames();
};

void tst_ItemFilter::skipsFixedAndExceptedNames_data() {
    QTest::addColumn<QList<QByteArray>>("entries"); // a trailing "/" makes a folder
    QTest::addColumn<QStringList>("excepted");
    QTest::addColumn<QByteArray>("storedValue"); // raw ExceptionsObjects data, when not empty
    QTest::addColumn<QList<QByteArray>>("items");

    using Names = QList<QByteArray>;
    QTest::newRow("bookkeeping files and the application folder")
        << Names{".DS_Store", ".localized", "Quillmere/", ".cache", ".known_devices"}
        << QStringList{} << QByteArray() << Names{".localized"};
    QTest::newRow("exceptions are exact, case and extension included")
        << Names{"report.pdf", "Report.pdf", "report"} << QStringList{"report.pdf"} << QByteArray()
        << Names{"Report.pdf", "report"};
    QTest::newRow("an exception that is nowhere")
        << Names{"a", "b/"} << QStringList{"nowhere"} << QByteArray() << Names{"a", "b"};
    QTest::newRow("Quillmere as a plain file")
        << Names{"Quillmere", "x"} << QStringList{} << QByteArray() << Names{"x"};
    QTest::newRow("names close to skipped ones")
        << Names{"quillmere", "Quillmere 2", "Quillmere.zip", ".cache2", " .DS_Store"}
        << QStringList{} << QByteArray()
        << Names{"quillmere", "Quillmere 2", "Quillmere.zip", ".cache2", " .DS_Store"};
    QTest::newRow("no Unicode normalisation")
        << Names{"caf\xc3\xa9.txt", "cafe\xcc\x81.txt"} << QStringList{"caf\u00e9.txt"}
        << QByteArray() << Names{"cafe\xcc\x81.txt"};
    QTest::newRow("names that are not UTF-8 are items")
        << Names{"\xff\xfe", "new\nline"} << QStringList{"\ufffd\ufffd"} << QByteArray()
        << Names{"\xff\xfe", "new\nline"};
    QTest::newRow("undecodable exceptions except nothing")
        << Names{"a", "report.pdf"} << QStringList{} << QByteArray("bplist00 but no archive")
        << Names{"a", "report.pdf"};
}

void tst_ItemFilter::skipsFixedAndExceptedNames() {
    QFETCH(QList<QByteArray>, entries);
    QFETCH(QStringList, excepted);
    QFETCH(QByteArray, storedValue);
    QFETCH(QList<QByteArray>, items);
    TestHome home;
    UserDefaults defaults(UserDefaults::standardFilePath());
    if (!storedValue.isEmpty())
        defaults.setObject(storedValue, SettingsKeys::ExceptionsObjects);
    else if (!excepted.isEmpty())
        ExceptedNames::write(defaults, excepted);
    const QByteArray desktop = QFile::encodeName(home.desktop());
    for (QByteArray name : entries) {
        if (name.endsWith('/')) {
            name.chop(1);
            QVERIFY(mkdir(desktop + '/' + name, 0700) == 0);
        } else {
            QVERIFY(close(open(desktop + '/' + name, O_CREAT | O_WRONLY, 0600)) == 0);
        }
    }

    const QList<QByteArray> found = ItemFilter(defaults).cleanableItemsInFolder(home.desktop());

    // Exactly the expected names, in the listing's own order.
    QList<QByteArray> listing = FileManager::contentsOfDirectoryAtPath(desktop);
    listing.removeIf([&items](const QByteArray &name) { return !items.contains(name); });
    QCOMPARE(listing.size(), items.size());
    QCOMPARE(found, listing);
    QVERIFY(ItemFilter(defaults).cleanableItemsInFolder(home.desktop() + "/missing").isEmpty());
}

QTEST_GUILESS_MAIN(tst_ItemFilter)
#include "tst_itemfilter.moc"
