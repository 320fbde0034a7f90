// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyedArchive.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestKeyedArchive : public QObject {
    Q_OBJECT
    QTemporaryDir fixtures_;

    static QByteArray runPython(const QStringList &arguments) {
        QProcess python;
        python.start("python3",
                     QStringList{QStringLiteral(QUILLMERE_ARCHIVE_FIXTURES)} + arguments);
        if (!python.waitForFinished(60000) || python.exitCode() != 0)
            qWarning() << python.readAllStandardError();
        return python.exitCode() == 0 ? python.readAllStandardOutput() : QByteArray();
    }

private slots:
    void initTestCase() {
        runPython({"write", fixtures_.path()});
        QCOMPARE(QDir(fixtures_.path()).entryList({"malformed-*"}).size(), 11);
    }

    void roundTrip_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        const auto same = [](const char *name, const QVariant &value) {
            QTest::newRow(name) << value << value;
        };
        same("null", QVariant());
        same("unicode string", QString("Zoë’s ✓ 桌面"));
        same("smallest integer", std::numeric_limits<qint64>::min());
        same("data", QByteArray("\0\x01\xff", 3));
        same("nested dictionary", QVariantMap{{"a", QVariantList{"b", QVariantMap{{"c", false}}}},
                                              {"d", QVariantMap()}});
        QTest::newRow("int") << QVariant(42) << QVariant(qint64(42));
    }
    void roundTrip() {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        const auto decoded =
            KeyedArchive::unarchiveObjectWithData(KeyedArchive::archivedDataWithRootObject(value));
        QCOMPARE(decoded, std::optional(expected));
        QCOMPARE(decoded->metaType(), expected.metaType());
    }

    // Written by plistlib in NSKeyedArchiver's structure (archive_fixtures.py).
    void readsArchivesWrittenElsewhere_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QVariant>("expected");
        const QVariant image = QVariant::fromValue(
            ArchivedObject{"NSImage", {"NSImage", "NSObject"}, {{"NSImageFlags", 12648448}}});
        QTest::newRow("exceptions file, image fields left out")
            << "exceptions"
            << QVariant(QVariantMap{{"ExceptionsKey", QVariantList{QVariantMap{
                                                          {"name", "report"}, {"image", image}}}}});
        QTest::newRow("mutable array, string and data")
            << "array"
            << QVariant(QVariantList{qint64(-1), qint64(1) << 40, "Notes", QByteArray("abc"),
                                     QVariant()});
        QTest::newRow("XML shortcut")
            << "xml_shortcut"
            << QVariant::fromValue(ArchivedObject{"Shortcut",
                                                  {"Shortcut", "NSObject"},
                                                  {{"KeyCode", 122}, {"ModifierFlags", 0x100000}}});
    }
    void readsArchivesWrittenElsewhere() {
        QFETCH(QString, fixture);
        QFETCH(QVariant, expected);
        QCOMPARE(KeyedArchive::unarchiveObjectWithFile(fixtures_.filePath(fixture + ".plist")),
                 std::optional(expected));
    }

    // Keys, then values, then the class; equal strings stored once.
    void plistlibReadsOurArchives() {
        const QString path = fixtures_.filePath("ours.plist");
        QVERIFY(KeyedArchive::archiveRootObjectToFile(
            QVariantMap{{"names", QStringList{"a.txt", "a.txt"}}}, path));
        QCOMPARE(QJsonDocument::fromJson(runPython({"dump", path})).toJson(),
                 QJsonDocument::fromJson(R"({"$archiver": "NSKeyedArchiver", "$version": 100000,
                     "$top": {"root": {"$uid": 1}}, "$objects": ["$null",
                     {"$class": {"$uid": 6}, "NS.keys": [{"$uid": 2}], "NS.objects": [{"$uid": 3}]},
                     "names", {"$class": {"$uid": 5}, "NS.objects": [{"$uid": 4}, {"$uid": 4}]},
                     "a.txt", {"$classes": ["NSArray", "NSObject"], "$classname": "NSArray"},
                     {"$classes": ["NSDictionary", "NSObject"], "$classname": "NSDictionary"}]})")
                     .toJson());
    }

    // Each of the decoder's checks and bounds (archive_fixtures.py says which).
    void malformedGivesNone_data() {
        QTest::addColumn<QString>("path");
        for (const QString &name : QDir(fixtures_.path()).entryList({"malformed-*"}))
            QTest::newRow(qPrintable(name)) << fixtures_.filePath(name);
    }
    void malformedGivesNone() {
        QFETCH(QString, path);
        QCOMPARE(KeyedArchive::unarchiveObjectWithFile(path), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestKeyedArchive)
#include "tst_keyedarchive.moc"
