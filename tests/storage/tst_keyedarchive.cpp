// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyedArchive.h"
#include "PropertyList.h"
#include "TestHome.h"

#include <QJsonDocument>
#include <QJsonObject>
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
QByteArray archiveOf(const QVariantList &objects, const QVariant &root = uid(1)) {
    QVariantList all{"$null"};
    all.append(objects);
    return *PropertyList::binaryData(QVariantMap{{"$archiver", "NSKeyedArchiver"},
                                                 {"$version", qint64(100000)},
                                                 {"$top", QVariantMap{{"root", root}}},
                                                 {"$objects", all}});
}

QByteArray bigEndian(quint64 value, int size) {
    QByteArray out;
    for (int i = size - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xff);
    return out;
}

// A binary property list written byte by byte, so that it can hold what no writer produces.
QByteArray rawPlist(const QList<QByteArray> &objects, quint64 top = 0) {
    QByteArray out("bplist00");
    QByteArray table;
    for (const QByteArray &object : objects) {
        table += bigEndian(quint64(out.size()), 4);
        out += object;
    }
    const quint64 tableOffset = quint64(out.size());
    out += table + QByteArray(6, '\0') + char(4) + char(4);
    return out + bigEndian(quint64(objects.size()), 8) + bigEndian(top, 8) +
           bigEndian(tableOffset, 8);
}

QByteArray rawArray(const QList<quint32> &references) {
    QByteArray out = QByteArray("\xaf\x12", 2) + bigEndian(quint64(references.size()), 4);
    for (const quint32 reference : references)
        out += bigEndian(reference, 4);
    return out;
}

ArchivedObject shortcut(qint64 keyCode, qint64 flags) {
    return {"Shortcut", {"Shortcut", "NSObject"}, {{"KeyCode", keyCode}, {"ModifierFlags", flags}}};
}

QVariantMap exceptionsRoot(const QVariant &image) {
    return {{"ExceptionsKey", QVariantList{QVariantMap{{"name", "report"}, {"image", image}}}}};
}

} // namespace

class TestKeyedArchive : public QObject {
    Q_OBJECT
private:
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
        same("minus one", qint64(-1));
        same("smallest integer", std::numeric_limits<qint64>::min());
        same("data", QByteArray("\0\x01\xff", 3));
        same("nested dictionary", QVariantMap{{"a", QVariantList{"b", QVariantMap{{"c", false}}}},
                                              {"d", QVariantMap()}});
        same("exceptions", exceptionsRoot(QByteArray("icon")));
        same("shortcut without key", QVariant::fromValue(shortcut(-1, 0)));
        QTest::newRow("int") << QVariant(42) << QVariant(qint64(42));
        QTest::newRow("string list")
            << QVariant(QStringList{"a.txt", "a.txt"}) << QVariant(QVariantList{"a.txt", "a.txt"});
    }
    void roundTrip() {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        const QByteArray bytes = KeyedArchive::archivedDataWithRootObject(value);
        const auto decoded = KeyedArchive::unarchiveObjectWithData(bytes);
        QVERIFY(decoded);
        QCOMPARE(*decoded, expected);
        QCOMPARE(decoded->metaType(), expected.metaType());
    }

    void readsArchivesWrittenElsewhere_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QVariant>("expected");
        const QVariant array = QVariantList{"report.pdf", "Notes", QVariant()};
        const QVariant exceptions = exceptionsRoot(QVariant::fromValue(
            ArchivedObject{"NSImage", {"NSImage", "NSObject"}, {{"NSImageFlags", 12648448}}}));
        const QVariant cmdF1 = QVariant::fromValue(shortcut(122, 0x100000));
        QTest::newRow("negative integer") << "negative_integer" << QVariant(qint64(-1));
        QTest::newRow("large integer") << "large_integer" << QVariant(qint64(1) << 40);
        QTest::newRow("null root") << "null_root" << QVariant();
        QTest::newRow("mutable array") << "array" << array;
        QTest::newRow("exceptions file") << "exceptions" << exceptions;
        QTest::newRow("shortcut without key")
            << "shortcut_without_key" << QVariant::fromValue(shortcut(-1, 0));
        QTest::newRow("mutable string") << "mutable_string" << QVariant("Notes");
        QTest::newRow("mutable data") << "mutable_data" << QVariant(QByteArray("abc"));
        QTest::newRow("XML shortcut") << "xml_shortcut" << cmdF1;
    }
    void readsArchivesWrittenElsewhere() {
        QFETCH(QString, fixture);
        QFETCH(QVariant, expected);
        const auto decoded =
            KeyedArchive::unarchiveObjectWithFile(fixtures_.filePath(fixture + ".plist"));
        QVERIFY(decoded);
        QCOMPARE(*decoded, expected);
    }

    void plistlibReadsOurArchives_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QByteArray>("objects"); // JSON, as archive_fixtures.py dumps it
        QTest::addColumn<int>("root");
        const QByteArray arrayClass =
            R"({"$classes": ["NSArray", "NSObject"], "$classname": "NSArray"})";
        QTest::newRow("null") << QVariant() << QByteArray(R"(["$null"])") << 0;
        QTest::newRow("minus one") << QVariant(qint64(-1)) << QByteArray(R"(["$null", -1])") << 1;
        QTest::newRow("array, equal strings stored once")
            << QVariant(QStringList{"a.txt", "a.txt"})
            << R"(["$null", {"$class": {"$uid": 3}, "NS.objects": [{"$uid": 2}, {"$uid": 2}]},
                  "a.txt", )" +
                   arrayClass + "]"
            << 1;
    }
    void plistlibReadsOurArchives() {
        QFETCH(QVariant, value);
        QFETCH(QByteArray, objects);
        QFETCH(int, root);
        const QString path = fixtures_.filePath("ours.plist");
        QVERIFY(KeyedArchive::archiveRootObjectToFile(value, path));
        const QJsonObject dumped = QJsonDocument::fromJson(runPython({"dump", path})).object();
        QCOMPARE(dumped.value("$archiver").toString(), QString("NSKeyedArchiver"));
        QCOMPARE(dumped.value("$version").toInt(), 100000);
        QCOMPARE(dumped.value("$top").toObject().value("root").toObject().value("$uid").toInt(),
                 root);
        const QJsonDocument expected = QJsonDocument::fromJson(objects);
        QVERIFY2(expected.isArray(), objects.constData());
        QCOMPARE(QJsonDocument(dumped.value("$objects").toArray()).toJson(QJsonDocument::Compact),
                 expected.toJson(QJsonDocument::Compact));
    }

    void malformedGivesNone_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QVariantMap arrayClass = classOf("NSArray");
        const QByteArray valid = KeyedArchive::archivedDataWithRootObject(QStringList{"a", "b"});
        QTest::newRow("truncated") << valid.left(valid.size() - 10);
        QTest::newRow("plain property list") << *PropertyList::binaryData(QVariantList{"a"});
        QTest::newRow("element out of range") << archiveOf({arrayOf({uid(7)}, 2), arrayClass});
        QTest::newRow("array refers to itself") << archiveOf({arrayOf({uid(1)}, 2), arrayClass});
        QTest::newRow("class is a string") << archiveOf({arrayOf({}, 2), "NSArray"});
        QTest::newRow("NS.objects not an array")
            << archiveOf({QVariantMap{{"NS.objects", "x"}, {"$class", uid(2)}}, arrayClass});
        QTest::newRow("NS.string not a string")
            << archiveOf({QVariantMap{{"NS.string", qint64(1)}, {"$class", uid(2)}},
                          classOf("NSMutableString")});

        QVariantList deep;
        for (quint64 i = 1; i <= 1000; ++i)
            deep.append(arrayOf({uid(i + 1)}, 1002));
        deep.append("bottom");
        deep.append(arrayClass);
        QTest::newRow("nested a thousand deep") << archiveOf(deep);

        QVariantList shared; // 2^40 paths to the bottom
        for (quint64 i = 1; i <= 40; ++i)
            shared.append(arrayOf({uid(i + 1), uid(i + 1)}, 42));
        shared.append("bottom");
        shared.append(arrayClass);
        QTest::newRow("one object shared 2^40 times") << archiveOf(shared);

        // Damage below the archive, in the binary property list itself.
        QTest::newRow("array claims 2^40 elements")
            << rawPlist({QByteArray("\xaf\x13", 2) + bigEndian(quint64(1) << 40, 8)});
        QTest::newRow("binary array contains itself") << rawPlist({rawArray({0})});
        QList<QByteArray> doubling;
        for (quint32 i = 0; i < 40; ++i)
            doubling.append(rawArray({i + 1, i + 1}));
        doubling.append(QByteArray("\x10\x01", 2));
        QTest::newRow("binary object shared 2^40 times") << rawPlist(doubling);
        QList<QByteArray> nested;
        for (quint32 i = 0; i < 100000; ++i)
            nested.append(rawArray({i + 1}));
        nested.append(QByteArray("\x10\x01", 2));
        QTest::newRow("binary arrays nested 100000 deep") << rawPlist(nested);
        QTest::newRow("reference past the offset table") << rawPlist({rawArray({5})});
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

    void files() {
        TestHome home;
        const QString path = home.applicationSupport() + "/ExceptionsTableViewData";
        QCOMPARE(KeyedArchive::unarchiveObjectWithFile(path), std::nullopt);
        QVERIFY(!KeyedArchive::archiveRootObjectToFile("x", path)); // its folder is missing
        QVERIFY(QDir().mkpath(home.applicationSupport()));
        const QVariant root = exceptionsRoot(QByteArray("icon"));
        QVERIFY(KeyedArchive::archiveRootObjectToFile(root, path));
        QCOMPARE(KeyedArchive::unarchiveObjectWithFile(path), std::optional(root));
        QCOMPARE(QDir(home.applicationSupport()).entryList(QDir::Files),
                 QStringList{"ExceptionsTableViewData"});
    }
};

QTEST_GUILESS_MAIN(TestKeyedArchive)
#include "tst_keyedarchive.moc"
