// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModifierNames.h"
#include "PropertyList.h"
#include "Shortcut.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// An archive laid out as NSKeyedArchiver writes it: $null first, the root object, its class.
QByteArray appleArchive(const QVariantList &objects, quint64 root = 1) {
    return *PropertyList::binaryData(
        QVariantMap{{"$archiver", "NSKeyedArchiver"},
                    {"$version", qint64(100000)},
                    {"$top", QVariantMap{{"root", QVariant::fromValue(PlistUid{root})}}},
                    {"$objects", QVariantList{"$null"} + objects}});
}

QByteArray appleShortcut(const QString &className, QVariantMap fields) {
    fields.insert("$class", QVariant::fromValue(PlistUid{2}));
    return appleArchive({fields, QVariantMap{{"$classname", className},
                                             {"$classes", QVariantList{className, "NSObject"}}}});
}
} // namespace

class TestShortcutArchive : public QObject {
    Q_OBJECT
private slots:
    // What Python's plistlib finds in the stored form (dumped as JSON, UIDs as {"$uid": n}).
    void readByPlistlib_data() {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QByteArray>("root");
        QTest::newRow("Command-F2")
            << quint64(120) << Command << QByteArray(R"("KeyCode": 120, "ModifierFlags": 1048576)");
        QTest::newRow("no key") << NotFound << (Command | Shift)
                                << QByteArray(R"("KeyCode": -1, "ModifierFlags": 1179648)");
    }
    void readByPlistlib() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QByteArray, root);
        QTemporaryDir dir;
        const QString path = dir.filePath("shortcut.plist");
        const QByteArray data = Shortcut(keyCode, flags).data();
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
        file.close();
        QProcess python;
        python.start("python3", {QStringLiteral(QUILLMERE_ARCHIVE_FIXTURES), "dump", path});
        QVERIFY(python.waitForFinished(30000) && python.exitCode() == 0);
        const QJsonObject read = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        QVERIFY(data.startsWith("bplist00"));
        QCOMPARE(read.value("$archiver").toString(), QString("NSKeyedArchiver"));
        QCOMPARE(read.value("$top").toObject().value("root").toObject().value("$uid").toInt(), 1);
        const QByteArray expected = R"(["$null", {"$class": {"$uid": 2}, )" + root +
                                    R"(}, {"$classes": ["Shortcut", "NSObject"],
                                         "$classname": "Shortcut"}])";
        QCOMPARE(QJsonDocument(read.value("$objects").toArray()).toJson(QJsonDocument::Compact),
                 QJsonDocument::fromJson(expected).toJson(QJsonDocument::Compact));
        const std::optional<Shortcut> back = Shortcut::shortcutWithData(data);
        QVERIFY(back && back->keyCode() == keyCode && back->modifierFlags() == flags);
    }

    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("decodes");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        const auto row = [](const char *name, const QByteArray &bytes, bool decodes,
                            quint64 keyCode = 0, quint64 flags = 0) {
            QTest::newRow(name) << bytes << decodes << keyCode << flags;
        };
        const auto fields = [](qint64 keyCode, qint64 flags) {
            return QVariantMap{{"KeyCode", keyCode}, {"ModifierFlags", flags}};
        };
        row("Command-F2", appleShortcut("Shortcut", fields(120, 1048576)), true, 120, Command);
        row("any negative is no key", appleShortcut("Shortcut", fields(-5, 0)), true, NotFound);
        row("foreign flag bits dropped", appleShortcut("Shortcut", fields(0, 16777215)), true, 0,
            0x1E0000);
        row("missing flags read 0", appleShortcut("Shortcut", {{"KeyCode", qint64(7)}}), true, 7);
        row("another class", appleShortcut("NSColor", fields(1, 0)), false);
        row("null root", appleArchive({}, 0), false);
        row("archive of a string", appleArchive({"Shortcut"}), false);
        row("plain property list", *PropertyList::binaryData(fields(120, 0)), false);
        row("empty", QByteArray(), false);
        const QByteArray archive = Shortcut(120, Command).data();
        row("half an archive", archive.left(archive.size() / 2), false);
    }
    void decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, decodes);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        const std::optional<Shortcut> shortcut = Shortcut::shortcutWithData(bytes);
        QCOMPARE(shortcut.has_value(), decodes);
        if (shortcut)
            QVERIFY(shortcut->keyCode() == keyCode && shortcut->modifierFlags() == flags);
    }
};

QTEST_MAIN(TestShortcutArchive)
#include "tst_shortcutarchive.moc"
