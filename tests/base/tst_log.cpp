// SPDX-License-Identifier: GPL-3.0-or-later
// A burst of one message is written once a second with its count, whatever comes between.
#include "Log.h"

#include <QtTest>

using namespace std::chrono_literals;

class tst_Log : public QObject {
    Q_OBJECT
private slots:
    void repeatsAreCounted_data() {
        QTest::addColumn<QStringList>("messages"); // "message@milliseconds"
        QTest::addColumn<QStringList>("written");  // then flush(), after "|"
        QTest::newRow("a cycle of two, within the second")
            << QStringList{"a@0", "b@1", "a@2", "b@3", "a@4"}
            << QStringList{"a", "b", "|", "a …(repeated 2 times)", "b …(repeated 1 times)"};
        QTest::newRow("the count comes out when the second has passed")
            << QStringList{"a@0", "a@10", "a@999", "b@1000", "a@1001"}
            << QStringList{"a", "a …(repeated 2 times)", "b", "a", "|"};
        QTest::newRow("a second apart: written each time")
            << QStringList{"a@0", "a@1000", "a@2000"} << QStringList{"a", "a", "a", "|"};
    }
    void repeatsAreCounted() {
        QFETCH(QStringList, messages);
        QFETCH(QStringList, written);
        RepeatedLines repeats;
        const RepeatedLines::Clock::time_point start{};
        QStringList out;
        for (const QString &m : messages) {
            const QStringList parts = m.split('@');
            out << repeats.add(parts[0], start + std::chrono::milliseconds(parts[1].toInt()));
        }
        out << "|" << repeats.flush();
        QCOMPARE(out, written);
    }

    void manyDifferentMessagesAreAllWritten() {
        RepeatedLines repeats(1s, 4);
        QStringList out;
        for (int i = 0; i < 12; ++i)
            out << repeats.add(QString::number(i % 6), {});
        // 0 to 5, then 4 and 5 again: beyond the four remembered, nothing is held back.
        QCOMPARE(out, (QStringList{"0", "1", "2", "3", "4", "5", "4", "5"}));
    }
};

QTEST_GUILESS_MAIN(tst_Log)
#include "tst_log.moc"
