// SPDX-License-Identifier: GPL-3.0-or-later
// The clutter level: its thresholds and log lines, the indicator's three coloured steps, and a
// recount of a real Desktop in which skipped names never raise the level.
#include "ClutterLevel.h"
#include "ExceptedNames.h"
#include "ExceptionsTestSupport.h"
#include "ItemFilter.h"
#include "LevelIndicatorWidget.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <QLabel>

namespace {
const QString optional = QStringLiteral("Less than or equal to 20, cleaning is optional");
const QString recommended = QStringLiteral("Greater than or equal to 21, cleaning is recommended");
const QString critical = QStringLiteral("Greater than or equal to 60, cleaning is Critical");
} // namespace

class tst_ClutterLevel : public QObject {
    Q_OBJECT
private slots:
    void levelForCount_data();
    void levelForCount();
    void indicatorShowsThreeColouredSteps_data();
    void indicatorShowsThreeColouredSteps();
    void skippedNamesNeverRaiseTheLevel_data();
    void skippedNamesNeverRaiseTheLevel();
};

void tst_ClutterLevel::levelForCount_data() {
    QTest::addColumn<quint64>("count");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QStringList>("logged");
    QTest::newRow("0") << quint64(0) << 1.0 << "Cleaning is optional." << QStringList{optional};
    QTest::newRow("20") << quint64(20) << 1.0 << "Cleaning is optional." << QStringList{optional};
    QTest::newRow("21") << quint64(21) << 2.0 << "Cleaning is recommended."
                        << QStringList{recommended};
    QTest::newRow("59") << quint64(59) << 2.0 << "Cleaning is recommended."
                        << QStringList{recommended};
    QTest::newRow("60") << quint64(60) << 3.0 << "Cleaning is Critical!"
                        << QStringList{recommended, critical};
    QTest::newRow("2^40") << (quint64(1) << 40) << 3.0 << "Cleaning is Critical!"
                          << QStringList{recommended, critical};
}

void tst_ClutterLevel::levelForCount() {
    QFETCH(quint64, count);
    QFETCH(double, value);
    QFETCH(QString, sentence);
    QFETCH(QStringList, logged);
    LogLines log;
    const ClutterLevel level = ClutterLevel::forItemCount(count);
    QCOMPARE(level.value, value);
    QCOMPARE(level.sentence, sentence);
    QCOMPARE(log.lines(), logged);
}

void tst_ClutterLevel::indicatorShowsThreeColouredSteps_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("filled");
    QTest::addColumn<LevelIndicatorWidget::Fill>("fill");
    QTest::newRow("0") << 0.0 << 0 << LevelIndicatorWidget::Fill::Normal;
    QTest::newRow("1: normal") << 1.0 << 1 << LevelIndicatorWidget::Fill::Normal;
    QTest::newRow("2: warning") << 2.0 << 2 << LevelIndicatorWidget::Fill::Warning;
    QTest::newRow("3: critical") << 3.0 << 3 << LevelIndicatorWidget::Fill::Critical;
}

void tst_ClutterLevel::indicatorShowsThreeColouredSteps() {
    QFETCH(double, value);
    QFETCH(int, filled);
    QFETCH(LevelIndicatorWidget::Fill, fill);
    LevelIndicatorWidget indicator;
    QLabel label;
    showClutterLevel({value, QStringLiteral("sentence")}, &indicator, &label);
    QCOMPARE(indicator.warningValue(), 2.0);
    QCOMPARE(indicator.criticalValue(), 3.0);
    QCOMPARE(label.text(), QStringLiteral("sentence"));
    QCOMPARE(indicator.filledSegmentCount(), filled);
    QCOMPARE(indicator.fill(), fill);
    QCOMPARE(indicator.accessibleDescription(), QStringLiteral("Level %1 of 3").arg(filled));
    QVERIFY(!indicator.accessibleName().isEmpty());

    // What is drawn: the filled segments in the fill's colour, the others not.
    indicator.resize(90, 16);
    const QImage image = indicator.grab().toImage();
    for (int segment = 0; segment < 3; ++segment) {
        const QColor drawn = image.pixelColor(segment * 30 + 15, 8);
        QCOMPARE(drawn == LevelIndicatorWidget::colorOf(fill), segment < filled);
    }
}

void tst_ClutterLevel::skippedNamesNeverRaiseTheLevel_data() {
    QTest::addColumn<int>("cleanable");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("20 items and 5 skipped") << 20 << "Cleaning is optional.";
    QTest::newRow("21 items and 5 skipped") << 21 << "Cleaning is recommended.";
    QTest::newRow("59 items and 5 skipped") << 59 << "Cleaning is recommended.";
    QTest::newRow("60 items and 5 skipped") << 60 << "Cleaning is Critical!";
}

void tst_ClutterLevel::skippedNamesNeverRaiseTheLevel() {
    QFETCH(int, cleanable);
    QFETCH(QString, sentence);
    TestHome home;
    UserDefaults defaults(UserDefaults::standardFilePath());
    ExceptedNames::write(defaults, {"keep me.txt"});
    for (const char *skipped : {".DS_Store", ".cache", ".known_devices", "keep me.txt"})
        TestHome::writeFile(home.desktop() + '/' + skipped);
    QVERIFY(QDir(home.desktop()).mkdir("Quillmere"));
    for (int i = 0; i < cleanable; ++i)
        TestHome::writeFile(home.desktop() + QStringLiteral("/item %1").arg(i));

    LevelIndicatorWidget indicator;
    QLabel label;
    updateClutterLevel(ItemFilter(defaults), &indicator, &label, std::nullopt);
    QCOMPARE(label.text(), sentence);
}

QTEST_MAIN(tst_ClutterLevel)
#include "tst_clutterlevel.moc"
