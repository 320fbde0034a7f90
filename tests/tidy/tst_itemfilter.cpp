// SPDX-License-Identifier: GPL-3.0-or-later
// Which Desktop entries count as items: the fixed names and the user's exceptions, compared
// byte for byte, in the listing's own order.
#include "ExceptedNames.h"
#include "FileManager.h"
#include "ItemFilter.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Names = QList<QByteArray>;

class tst_ItemFilter : public QObject {
    Q_OBJECT
private slots:
    void skipsFixedAndExceptedNames_data() {
        QTest::addColumn<Names>("entries"); // a trailing "/" makes a folder
        QTest::addColumn<QStringList>("excepted");
        QTest::addColumn<Names>("items");
        QTest::newRow("bookkeeping files and the application folder")
            << Names{".DS_Store", ".localized", "Quillmere/", "quillmere", "Quillmere.zip"}
            << QStringList{} << Names{".localized", "quillmere", "Quillmere.zip"};
        QTest::newRow("exceptions are exact, case and extension included")
            << Names{"report.pdf", "Report.pdf", "report"} << QStringList{"report.pdf"}
            << Names{"Report.pdf", "report"};
        QTest::newRow("an exception that is nowhere")
            << Names{"a", "b/"} << QStringList{"nowhere"} << Names{"a", "b"};
        QTest::newRow("no Unicode normalisation, names not UTF-8")
            << Names{"caf\xc3\xa9.txt", "cafe\xcc\x81.txt", "\xff\xfe"}
            << QStringList{"caf\u00e9.txt", "\ufffd\ufffd"}
            << Names{"cafe\xcc\x81.txt", "\xff\xfe"};
    }
    void skipsFixedAndExceptedNames() {
        QFETCH(Names, entries);
        QFETCH(QStringList, excepted);
        QFETCH(Names, items);
        TestHome home;
        UserDefaults defaults(UserDefaults::standardFilePath());
        ExceptedNames::write(defaults, QVariant(excepted).toList());
        const QByteArray desktop = QFile::encodeName(home.desktop());
        for (QByteArray name : entries)
            QVERIFY(name.endsWith('/') ? mkdir(desktop + '/' + name.chopped(1), 0700) == 0
                                       : close(open(desktop + '/' + name, O_CREAT, 0600)) == 0);

        Names listing = FileManager::contentsOfDirectoryAtPath(desktop);
        listing.removeIf([&items](const QByteArray &name) { return !items.contains(name); });
        QCOMPARE(listing.size(), items.size());
        QCOMPARE(ItemFilter(defaults).cleanableItemsInFolder(home.desktop()), listing);
        QVERIFY(ItemFilter(defaults).cleanableItemsInFolder(home.desktop() + "/missing").isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_ItemFilter)
#include "tst_itemfilter.moc"
