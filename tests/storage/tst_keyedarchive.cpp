// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyedArchive.h"
#include "PropertyList.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QVariant uid(quint64 index) {
    return QVariant::fromValue(PlistUid{index});
}

QVariantMap classOf(const QString &name) {
    return {{"$classname", name}, {"$classes", QStringList{name, "NSObject"}}};
}

QVariantMap arrayOf(const QVariantList &references, quint64 classIndex) {
    return {{"NS.objects", references}, {"$class", uid(classIndex)}};
}

// An archive assembled by hand from its top-level parts.
QByteArray archiveOf(const QVariantList &objects) {
    QVariantList all{"$null"};
    all.append(objects);
    return *PropertyList::binaryData(QVariantMap{{"$archiver", "NSKeyedArchiver"},
                                                 {"$version", qint64(100000)},
                                                 {"$top", QVariantMap{{"root", uid(1)}}},
                                                 {"$objects", all}});
}

QByteArray bigEndian(quint64 value, int size) {
    QByteArray out;
    for (int i = size - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xff);
    return out;
}

// A binary property list written byte by byte, so that it can hold what no writer produces.
QByteArray rawPlist(const QList<QByteArray> &objects) {
    QByteArray out("bplist00");
    QByteArray table;
    for (const QByteArray &object : objects) {
        table += bigEndian(quint64(out.size()), 4);
        out += object;
    }
    const quint64 tableOffset = quint64(out.size());
    out += table + QByteArray(6, '\0') + char(4) + char(4);
    return out + bigEndian(quint64(objects.size()), 8) + bigEndian(0, 8) +
           bigEndian(tableOffset, 8);
}

// `levels` arrays, each holding `width` references to the next, over an integer.
QByteArray rawChain(quint32 levels, int width) {
    QList<QByteArray> objects;
    for (quint32 i = 0; i < levels; ++i) {
        objects.append(QByteArray("\xaf\x12", 2) + bigEndian(quint64(width), 4));
        for (int j = 0; j < width; ++j)
            objects.last() += bigEndian(i + 1, 4);
    }
    return rawPlist(objects << QByteArray("\x10\x01", 2));
}

// The same as a keyed archive, over a string.
QByteArray archiveChain(quint64 levels, int width) {
    QVariantList objects;
    for (quint64 i = 1; i <= levels; ++i)
        objects.append(arrayOf(QVariantList(width, uid(i + 1)), levels + 2));
    return archiveOf(objects << "bottom" << classOf("NSArray"));
}

ArchivedObject shortcut(qint64 keyCode, qint64 flags) {
    return {"Shortcut", {"Shortcut", "NSObject"}, {{"KeyCode", keyCode}, {"ModifierFlags", flags}}};
}

} // namespace

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
        QVERIFY(QFile::exists(fixtures_.filePath("xml_shortcut.plist")));
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
        same("shortcut without key", QVariant::fromValue(shortcut(-1, 0)));
        QTest::newRow("int") << QVariant(42) << QVariant(qint64(42));
        QTest::newRow("string list")
            << QVariant(QStringList{"a.txt", "a.txt"}) << QVariant(QVariantList{"a.txt", "a.txt"});
    }
    void roundTrip() {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        const auto decoded =
            KeyedArchive::unarchiveObjectWithData(KeyedArchive::archivedDataWithRootObject(value));
        QVERIFY(decoded);
        QCOMPARE(*decoded, expected);
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
            << "xml_shortcut" << QVariant::fromValue(shortcut(122, 0x100000));
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

    // One row per check; the fuzz targets cover the breadth of malformed input.
    void malformedGivesNone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain property list") << *PropertyList::binaryData(QVariantList{"a"});
        QTest::newRow("class is a string") << archiveOf({arrayOf({}, 2), "NSArray"});
        QTest::newRow("NS.string not a string")
            << archiveOf({QVariantMap{{"NS.string", qint64(1)}, {"$class", uid(2)}},
                          classOf("NSMutableString")});
        QTest::newRow("nested a thousand deep") << archiveChain(1000, 1);
        QTest::newRow("one object shared 2^40 times") << archiveChain(40, 2);

        // Damage below the archive, in the binary property list itself.
        QTest::newRow("array claims 2^40 elements")
            << rawPlist({QByteArray("\xaf\x13", 2) + bigEndian(quint64(1) << 40, 8)});
        QTest::newRow("binary object shared 2^40 times") << rawChain(40, 2);
        QTest::newRow("binary arrays nested 100000 deep") << rawChain(100000, 1);
        const QByteArray dictionary = "\xd1" + bigEndian(1, 4) + bigEndian(2, 4);
        QTest::newRow("UTF-16 dictionary key holding NUL") // libplist asserts on it
            << rawPlist({dictionary, QByteArray("\x61\0\0", 3), QByteArray("\x10\x01", 2)});
        QTest::newRow("XML arrays nested 200000 deep")
            << "<plist version=\"1.0\">" + QByteArray("<array>").repeated(200000) +
                   QByteArray("</array>").repeated(200000) + "</plist>";
        QByteArray entities = "<!DOCTYPE plist [<!ENTITY a0 \"ha\">";
        for (char i = '1'; i <= '9'; ++i) // a9 expands to 10^9 copies of a0
            entities += "<!ENTITY a" + QByteArray(1, i) + " \"" +
                        ("&a" + QByteArray(1, char(i - 1)) + ";").repeated(10) + "\">";
        QTest::newRow("XML entities expanding a billion times")
            << entities + "]><plist><string>&a9;</string></plist>";
    }
    void malformedGivesNone() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(KeyedArchive::unarchiveObjectWithData(bytes), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestKeyedArchive)
#include "tst_keyedarchive.moc"
