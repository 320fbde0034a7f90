// SPDX-License-Identifier: GPL-3.0-or-later
// The clutter level of a real Desktop (skipped names never raise it): sentence and colours drawn.
#include "ClutterLevelView.h"
#include "ExceptedNames.h"
#include "ItemFilter.h"
#include "LevelIndicatorWidget.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <QLabel>
#include <QtTest>

using Fill = LevelIndicatorWidget::Fill;

class tst_ClutterLevel : public QObject {
    Q_OBJECT
private slots:
    void levelOfTheDesktop_data() {
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<Fill>("fill");
        QTest::newRow("20") << 20 << "Cleaning is optional." << Fill::Normal;
        QTest::newRow("21") << 21 << "Cleaning is recommended." << Fill::Warning;
        QTest::newRow("59") << 59 << "Cleaning is recommended." << Fill::Warning;
        QTest::newRow("60") << 60 << "Cleaning is Critical!" << Fill::Critical;
    }
    void levelOfTheDesktop() {
        QFETCH(int, items);
        QFETCH(QString, sentence);
        QFETCH(Fill, fill);
        TestHome home;
        UserDefaults defaults(UserDefaults::standardFilePath());
        ExceptedNames::write(defaults, {"keep me.txt"});
        for (const char *skipped : {".DS_Store", "keep me.txt"})
            TestHome::writeFile(home.desktop() + '/' + skipped);
        QVERIFY(QDir(home.desktop()).mkdir("Quillmere"));
        for (int i = 0; i < items; ++i)
            TestHome::writeFile(home.desktop() + QStringLiteral("/item %1").arg(i));
        LevelIndicatorWidget indicator;
        QLabel label;

        updateClutterLevel(ItemFilter(defaults), &indicator, &label, std::nullopt,
                           home.documents());

        QCOMPARE(label.text(), sentence);
        QCOMPARE(indicator.fill(), fill);
        // What is drawn: as many segments as steps in the fill's colour, the others not.
        indicator.resize(90, 16);
        const QImage image = indicator.grab().toImage();
        for (int segment = 0; segment < 3; ++segment)
            QCOMPARE(image.pixelColor(segment * 30 + 15, 8) == LevelIndicatorWidget::colorOf(fill),
                     segment <= int(fill));
    }
};

QTEST_MAIN(tst_ClutterLevel)
#include "tst_clutterlevel.moc"
