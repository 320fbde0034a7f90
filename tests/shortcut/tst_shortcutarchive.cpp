// SPDX-License-Identifier: GPL-3.0-or-later
// The stored form of a shortcut: a keyed archive in Apple's structure, checked from outside by
// Python's plistlib, and archives written the way macOS writes them read back.
#include "ModifierNames.h"
#include "Shortcut.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {
// Prints what an archive holds: the archiver, the root's class and its two integers.
const char *const readArchive = R"py(
import json, plistlib, sys
data = sys.stdin.buffer.read()
archive = plistlib.loads(data)
objects = archive['$objects']
root = objects[archive['$top']['root'].data]
cls = objects[root['$class'].data]
print(json.dumps({
    'binary': data.startswith(b'bplist00'),
    'archiver': archive['$archiver'], 'version': archive['$version'], 'null': objects[0],
    'classname': cls['$classname'], 'classes': cls['$classes'],
    'keys': sorted(k for k in root if k != '$class'),
    'KeyCode': root.get('KeyCode'), 'ModifierFlags': root.get('ModifierFlags')}))
)py";

// Writes an archive as NSKeyedArchiver lays it out: $null first, the root object, its class.
// argv[1]: JSON null for a null root, or {"classname": ..., "fields": {...}}.
const char *const writeArchive = R"py(
import json, plistlib, sys
shape = json.loads(sys.argv[1])
objects = ['$null']
root = plistlib.UID(0)
if shape is not None:
    fields = dict(shape['fields'])
    fields['$class'] = plistlib.UID(2)
    objects += [fields, {'$classname': shape['classname'],
                         '$classes': [shape['classname'], 'NSObject']}]
    root = plistlib.UID(1)
sys.stdout.buffer.write(plistlib.dumps({'$version': 100000, '$archiver': 'NSKeyedArchiver',
    '$top': {'root': root}, '$objects': objects}, fmt=plistlib.FMT_BINARY))
)py";

QByteArray python(const char *script, const QStringList &arguments, const QByteArray &input = {}) {
    QProcess process;
    process.start(QStringLiteral("python3"),
                  QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning() << "python3 failed:" << process.readAllStandardError();
    return process.readAllStandardOutput();
}

std::optional<Shortcut> decodeAppleArchive(const QByteArray &shape) {
    const QByteArray bytes = python(writeArchive, {QString::fromUtf8(shape)});
    if (bytes.isEmpty())
        qWarning() << "no archive written for" << shape;
    return Shortcut::shortcutWithData(bytes);
}
} // namespace

class TestShortcutArchive : public QObject {
    Q_OBJECT
private slots:
    void readByPlistlib_data() {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<qint64>("storedKeyCode");
        QTest::newRow("Command-F2") << quint64(120) << Command << qint64(120);
        QTest::newRow("no key") << NotFound << (Command | Shift) << qint64(-1);
        QTest::newRow("large key code") << (quint64(1) << 40) << quint64(0) << (qint64(1) << 40);
    }
    void readByPlistlib() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(qint64, storedKeyCode);
        const QByteArray data = Shortcut(keyCode, flags).data();
        const QJsonObject read = QJsonDocument::fromJson(python(readArchive, {}, data)).object();
        QVERIFY2(!read.isEmpty(), "plistlib could not read the archive");
        QCOMPARE(read.value("binary").toBool(), true);
        QCOMPARE(read.value("archiver").toString(), QStringLiteral("NSKeyedArchiver"));
        QCOMPARE(read.value("version").toInteger(), 100000);
        QCOMPARE(read.value("null").toString(), QStringLiteral("$null"));
        QCOMPARE(read.value("classname").toString(), QStringLiteral("Shortcut"));
        QCOMPARE(read.value("classes").toVariant().toStringList(),
                 QStringList({QStringLiteral("Shortcut"), QStringLiteral("NSObject")}));
        QCOMPARE(read.value("keys").toVariant().toStringList(),
                 QStringList({QStringLiteral("KeyCode"), QStringLiteral("ModifierFlags")}));
        QCOMPARE(read.value("KeyCode").toInteger(), storedKeyCode);
        QCOMPARE(read.value("ModifierFlags").toInteger(), qint64(flags));

        const std::optional<Shortcut> back = Shortcut::shortcutWithData(data);
        QVERIFY(back);
        QCOMPARE(back->keyCode(), keyCode);
        QCOMPARE(back->modifierFlags(), flags);
    }

    void appleArchives_data() {
        QTest::addColumn<QByteArray>("shape");
        QTest::addColumn<bool>("decodes");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        const auto row = [](const char *name, const char *className, const char *fields,
                            bool decodes, quint64 keyCode, quint64 flags) {
            const QByteArray shape = className
                                         ? QByteArray("{\"classname\": \"%1\", \"fields\": %2}")
                                               .replace("%1", className)
                                               .replace("%2", fields)
                                         : QByteArray("null");
            QTest::newRow(name) << shape << decodes << keyCode << flags;
        };
        row("Command-F2", "Shortcut", R"({"KeyCode": 120, "ModifierFlags": 1048576})", true, 120,
            Command);
        row("any negative is no key", "Shortcut", R"({"KeyCode": -5, "ModifierFlags": 0})", true,
            NotFound, 0);
        row("foreign flag bits dropped", "Shortcut", R"({"KeyCode": 0, "ModifierFlags": 16777215})",
            true, 0, 0x1E0000);
        row("missing flags read 0", "Shortcut", R"({"KeyCode": 7})", true, 7, 0);
        row("missing key code reads 0", "Shortcut", R"({"ModifierFlags": 262144})", true, 0,
            Control);
        row("archive of nothing", nullptr, nullptr, false, 0, 0);
        row("another class", "NSColor", R"({"KeyCode": 1})", false, 0, 0);
    }
    void appleArchives() {
        QFETCH(QByteArray, shape);
        QFETCH(bool, decodes);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        const std::optional<Shortcut> shortcut = decodeAppleArchive(shape);
        QCOMPARE(shortcut.has_value(), decodes);
        if (shortcut) {
            QCOMPARE(shortcut->keyCode(), keyCode);
            QCOMPARE(shortcut->modifierFlags(), flags);
        }
    }

    void notAnArchive_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray archive = Shortcut(120, Command).data();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("Command-F2");
        QTest::newRow("half an archive") << archive.left(archive.size() / 2);
        QTest::newRow("plain property list")
            << python("import plistlib, sys; sys.stdout.buffer.write(plistlib.dumps("
                      "{'KeyCode': 120}, fmt=plistlib.FMT_BINARY))",
                      {});
        QTest::newRow("archive of a string")
            << python("import plistlib, sys; sys.stdout.buffer.write(plistlib.dumps({"
                      "'$archiver': 'NSKeyedArchiver', '$version': 100000, '$top': {'root': "
                      "plistlib.UID(1)}, '$objects': ['$null', 'Shortcut']}, "
                      "fmt=plistlib.FMT_BINARY))",
                      {});
    }
    void notAnArchive() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!Shortcut::shortcutWithData(bytes));
    }
};

QTEST_MAIN(TestShortcutArchive)
#include "tst_shortcutarchive.moc"
