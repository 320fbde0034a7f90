// SPDX-License-Identifier: GPL-3.0-or-later
// Month folder names in several locales, capitalised word by word.
#include "MonthFolder.h"

#include <QtTest>

class tst_MonthFolder : public QObject {
    Q_OBJECT
private slots:
    void monthFolderName_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("name");
        const QDate december(2026, 12, 5);
        QTest::newRow("en_US") << "en_US" << december << "December 2026";
        QTest::newRow("de_DE") << "de_DE" << QDate(2026, 3, 31) << "März 2026";
        QTest::newRow("fr_FR, lower-case month raised") << "fr_FR" << december << "Décembre 2026";
        QTest::newRow("ru_RU") << "ru_RU" << december << "Декабря 2026";
    }
    void monthFolderName() {
        QFETCH(QString, locale);
        QFETCH(QDate, date);
        QFETCH(QString, name);
        QCOMPARE(::monthFolderName(date, QLocale(locale)), name);
    }

    void capitalizedString() { // each word, white space kept; title case; outside the BMP
        QCOMPARE(::capitalizedString(" hello\twORLD  2026x \u01c6emal \U00010428\U00010428"),
                 " Hello\tWorld  2026x \u01c5emal \U00010400\U00010428");
    }
};

QTEST_APPLESS_MAIN(tst_MonthFolder)
#include "tst_monthfolder.moc"
