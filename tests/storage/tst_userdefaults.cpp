// SPDX-License-Identifier: GPL-3.0-or-later
#include "Log.h"
#include "PropertyList.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QUrl>
#include <QtTest>
#include <csignal>

namespace {
QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray xmlPlist(const QByteArray &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body +
           "</plist>\n";
}

QStringList corruptCopies(const QString &settingsFile) {
    const QFileInfo info(settingsFile);
    return info.dir().entryList({info.fileName() + ".corrupt-*"}, QDir::Files, QDir::Name);
}

// Child process of crashDuringSaveKeepsWholeFile: a counter and a payload derived from it, so a
// file mixing two saves would show.
int saveUntilKilled(const QString &path) {
    UserDefaults store(path);
    for (qint64 n = 0;; ++n) {
        store.setObject(n, "counter");
        store.setObject(QByteArray(200000, char('a' + n % 26)), "payload");
        store.synchronize();
        if (n == 0) {
            std::fputs("saved\n", stdout);
            std::fflush(stdout);
        }
    }
}
} // namespace

class TestUserDefaults : public QObject {
    Q_OBJECT
    QStringList log_;

private slots:
    void init() {
        log_.clear();
        setLogSink([this](const QString &line) { log_.append(line); });
    }
    void cleanup() { setLogSink(nullptr); }

    // Saved, read again after a restart, and refused by the typed reads of other types.
    void roundTripThroughFile_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        const auto same = [](const char *name, const QVariant &value) {
            QTest::newRow(name) << value << value;
        };
        same("true", true);
        same("largest integer", std::numeric_limits<qint64>::max());
        same("real", 0.25);
        same("string", QString("/home/zoë/Documents"));
        same("data", QByteArray("\0\x01\xfe", 3));
        same("date before 2001", QDateTime(QDate(1932, 12, 13), QTime(20, 45, 51, 500), Qt::UTC));
        QTest::newRow("string list")
            << QVariant(QStringList{"1.0", "1.1"}) << QVariant(QVariantList{"1.0", "1.1"});
    }
    void roundTripThroughFile() {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        TestHome home;
        {
            UserDefaults store(home.settingsFile());
            store.setObject(value, "key");
            QCOMPARE(store.objectForKey("key"), expected); // reads as it will after a restart
            QVERIFY(store.synchronize());
        }
        QVERIFY(readAll(home.settingsFile()).startsWith("bplist00"));
        const UserDefaults again(home.settingsFile());
        QCOMPARE(again.objectForKey("key"), expected);
        QCOMPARE(again.objectForKey("key").metaType(), expected.metaType());
        const int type = expected.typeId();
        QCOMPARE(again.boolForKey("key"), type == QMetaType::Bool);
        QCOMPARE(again.stringForKey("key").has_value(), type == QMetaType::QString);
        QCOMPARE(again.arrayForKey("key").has_value(), type == QMetaType::QVariantList);
        QCOMPARE(again.dataForKey("key").has_value(), type == QMetaType::QByteArray);
        QVERIFY(log_.isEmpty());
    }

    // The XML form's values as the reader builds them; an invalid QVariant: the file is refused.
    void readsXmlValues_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char *name, const char *body, const QVariant &expected = {}) {
            QTest::newRow(name) << QByteArray(body) << expected;
        };
        const double inf = std::numeric_limits<double>::infinity();
        row("hexadecimal", "<integer>0x1F</integer>", qint64(31));
        row("above the signed range, wrapped", "<integer>18446744073709551615</integer>",
            qint64(-1));
        row("beyond 64 bits", "<integer>18446744073709551616</integer>");
        row("true and reals",
            "<array><true/><real>1.</real><real>+.5</real><real>-inf</real></array>",
            QVariantList{true, 1.0, 0.5, -inf});
        row("string with an entity", "<dict><key>a</key><string>a &amp; b</string></dict>",
            QVariantMap{{"a", "a & b"}});
        row("data over lines, unpadded", "<data>\n  AAH+\n  AA\n</data>",
            QByteArray("\0\x01\xfe\0", 4));
        row("date in UTC", "<date>2014-03-09T10:30:05Z</date>",
            QDateTime(QDate(2014, 3, 9), QTime(10, 30, 5), Qt::UTC));
        row("date with an offset", "<date>2014-03-09T10:30:05+01:00</date>");
        row("key without a value", "<dict><key>a</key></dict>");
        row("text between values", "<array>x<true/></array>");
    }
    void readsXmlValues() {
        QFETCH(QByteArray, body);
        QFETCH(QVariant, expected);
        QCOMPARE(PropertyList::fromData(xmlPlist(body)).value_or(QVariant()), expected);
    }

    void corruptFileIsKeptAside_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray valid =
            *PropertyList::binaryData(QVariantMap{{"CleanPath", "/home/a/Documents"}});
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << valid.left(valid.size() / 2);
        QTest::newRow("XML unknown type") << xmlPlist("<dict><key>AutoClean</key><yes/></dict>");
        QTest::newRow("binary array") << *PropertyList::binaryData(QVariantList{"a", "b"});
    }
    void corruptFileIsKeptAside() {
        QFETCH(QByteArray, bytes);
        TestHome home;
        const QString path = home.settingsFile();
        TestHome::writeFile(path, bytes);
        {
            UserDefaults store(path);
            QVERIFY(!store.objectForKey("CleanPath").isValid());
            QVERIFY(!QFile::exists(path));
            const QStringList aside = corruptCopies(path);
            QCOMPARE(aside.size(), 1);
            QCOMPARE(readAll(QFileInfo(path).dir().filePath(aside.first())), bytes);
            QCOMPARE(log_.size(), 1);
            QVERIFY2(log_.first().contains(aside.first()), qPrintable(log_.first()));
            store.setObject("/new", "CleanPath");
            QVERIFY(store.synchronize());
        }
        QCOMPARE(UserDefaults(path).stringForKey("CleanPath"), std::optional<QString>("/new"));
        // A second damaged file in the same second keeps the first copy too.
        TestHome::writeFile(path, bytes);
        UserDefaults(path).objectForKey("CleanPath");
        QCOMPARE(corruptCopies(path).size(), 2);
    }

    void crashDuringSaveKeepsWholeFile() {
        TestHome home;
        const QString path = home.settingsFile();
        for (int trial = 0; trial < 8; ++trial) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), {"--save-until-killed", path});
            QVERIFY(writer.waitForReadyRead(30000));
            QTest::qWait(int(QRandomGenerator::global()->bounded(5, 60)));
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(30000));
            QString error;
            const auto values = UserDefaults::valuesFromData(readAll(path), &error);
            QVERIFY2(values, qPrintable(QStringLiteral("trial %1: %2").arg(trial).arg(error)));
            const qint64 n = values->value("counter").toLongLong();
            QCOMPARE(values->value("payload").toByteArray(),
                     QByteArray(200000, char('a' + n % 26)));
        }
    }

    void unwritableFolderKeepsValuesInMemory() {
        TestHome home;
        // A file where the settings folder belongs: no save can succeed, even as root.
        TestHome::writeFile(QFileInfo(home.settingsFile()).absolutePath(), "in the way");
        {
            UserDefaults store(home.settingsFile());
            store.setObject("/x", "CleanPath");
            QVERIFY(!store.synchronize());
            QCOMPARE(store.stringForKey("CleanPath"), std::optional<QString>("/x"));
            QCOMPARE(log_.size(), 1);
            QVERIFY2(log_.first().contains(home.settingsFile()), qPrintable(log_.first()));
        } // and the save on destruction fails quietly
        QCOMPARE(log_.size(), 1);
    }

    // An observer sees each write of its key until its context ends; a value without a
    // property-list form is refused; a removal is saved too.
    void observationAndRemoval() {
        TestHome home;
        UserDefaults store(home.settingsFile());
        store.setObject("first", "CleanPath");
        QVariantList seen;
        auto context = std::make_unique<QObject>();
        store.observe(
            "CleanPath", context.get(), [&](const QVariant &v) { seen.append(v); }, true);
        store.setObject("second", "CleanPath");
        store.setObject(QUrl("https://example.org"), "CleanPath");
        store.setBool(true, "AutoClean");
        store.setObject(QVariant(), "CleanPath");
        QCOMPARE(seen, (QVariantList{"first", "second", QVariant()}));
        QCOMPARE(log_.size(), 1);
        context.reset();
        store.setObject("third", "CleanPath");
        QCOMPARE(seen.size(), 3);
        store.removeObject("CleanPath");
        QVERIFY(store.synchronize());
        QVERIFY(!UserDefaults(home.settingsFile()).objectForKey("CleanPath").isValid());
    }
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--save-until-killed") == 0)
        return saveUntilKilled(QString::fromLocal8Bit(argv[2]));
    TestUserDefaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_userdefaults.moc"
