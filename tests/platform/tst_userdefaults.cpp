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
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">" +
           body + "</plist>\n";
}

QStringList corruptCopies(const QString &settingsFile) {
    const QFileInfo info(settingsFile);
    return info.dir().entryList({info.fileName() + ".corrupt-*"}, QDir::Files, QDir::Name);
}

// The child process of crashDuringSaveKeepsWholeFile: saves ever-changing settings until killed.
// Each save holds a counter and a payload derived from it, so a mixed file would show.
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

    void standardFilePath() {
        TestHome home;
        QCOMPARE(UserDefaults::standardFilePath(), home.settingsFile());
        qputenv("XDG_CONFIG_HOME", "/elsewhere/config");
        QCOMPARE(UserDefaults::standardFilePath(), "/elsewhere/config/Quillmere/Quillmere.plist");
        qputenv("XDG_CONFIG_HOME", "relative/config"); // not allowed: the default applies
        QCOMPARE(UserDefaults::standardFilePath(), home.settingsFile());
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(UserDefaults::standardFilePath(), home.settingsFile());
    }

    void roundTripThroughFile_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        const auto same = [](const char *name, const QVariant &value) {
            QTest::newRow(name) << value << value;
        };
        same("true", true);
        same("false", false);
        same("integer", qint64(-3));
        same("largest integer", std::numeric_limits<qint64>::max());
        same("real", 0.25);
        same("string", QString("/home/zoë/Documents"));
        same("empty string", QString());
        same("data", QByteArray("\0\x01\xfe", 3));
        same("date", QDateTime(QDate(2014, 3, 9), QTime(10, 30, 5), Qt::UTC));
        same("date before 2001", QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 250), Qt::UTC));
        same("earliest date", QDateTime(QDate(1932, 12, 13), QTime(20, 45, 51, 500), Qt::UTC));
        same("nested", QVariantMap{{"a", QVariantList{qint64(1), "b", QVariantMap{{"c", true}}}}});
        QTest::newRow("int") << QVariant(7) << QVariant(qint64(7));
        QTest::newRow("string list")
            << QVariant(QStringList{"1.0", "1.1"}) << QVariant(QVariantList{"1.0", "1.1"});
    }
    void roundTripThroughFile() {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        TestHome home;
        {
            UserDefaults store(UserDefaults::standardFilePath());
            store.setObject(value, "key");
            QCOMPARE(store.objectForKey("key"), expected); // reads as it will after a restart
            QVERIFY(store.synchronize());
        }
        QVERIFY(readAll(home.settingsFile()).startsWith("bplist00"));
        UserDefaults again(home.settingsFile());
        QCOMPARE(again.objectForKey("key"), expected);
        QCOMPARE(again.objectForKey("key").metaType(), expected.metaType());
        QVERIFY(log_.isEmpty());
    }

    void typedReadsOfWrongTypesReadAsAbsent() {
        TestHome home;
        UserDefaults store(home.settingsFile());
        store.setObject(qint64(1), "number");
        store.setObject("YES", "string");
        store.setBool(true, "bool");
        store.setObject(QByteArray("x"), "data");
        store.setObject(QVariantList{"x"}, "array");
        QVERIFY(store.boolForKey("bool"));
        for (const char *key : {"number", "string", "data", "array", "absent"})
            QVERIFY2(!store.boolForKey(key), key);
        QCOMPARE(store.stringForKey("string"), std::optional<QString>("YES"));
        QCOMPARE(store.stringForKey("data"), std::nullopt);
        QCOMPARE(store.arrayForKey("array"), std::optional(QVariantList{"x"}));
        QCOMPARE(store.arrayForKey("string"), std::nullopt);
        QCOMPARE(store.dataForKey("data"), std::optional(QByteArray("x")));
        QCOMPARE(store.dataForKey("string"), std::nullopt);
        QVERIFY(!store.objectForKey("absent").isValid());
    }

    void removesAndRefusesValues() {
        TestHome home;
        UserDefaults store(home.settingsFile());
        store.setObject("kept", "a");
        store.setObject(QUrl("https://example.org"), "a"); // no property-list form
        QCOMPARE(store.stringForKey("a"), std::optional<QString>("kept"));
        QCOMPARE(log_.size(), 1);
        store.setObject("x", "b");
        store.setObject(QVariant(), "b");
        store.removeObject("a");
        QVERIFY(store.synchronize());
        UserDefaults again(home.settingsFile());
        QVERIFY(!again.objectForKey("a").isValid());
        QVERIFY(!again.objectForKey("b").isValid());
    }

    void readsXml() {
        TestHome home;
        TestHome::writeFile(
            home.settingsFile(),
            xmlPlist("<dict>"
                     "<key>AutoClean</key><true/>"
                     "<key>CleanPath</key><string>/home/a &amp; b</string>"
                     "<key>threshold</key><integer>-12</integer>"
                     "<key>ratio</key><real>1.5</real>"
                     "<key>when</key><date>2014-03-09T10:30:05Z</date>"
                     "<key>blob</key><data>AAH+</data>"
                     "<key>prevStartupVersions</key><array><string>1.0</string></array>"
                     "</dict>"));
        UserDefaults store(home.settingsFile());
        QVERIFY(store.boolForKey("AutoClean"));
        QCOMPARE(store.stringForKey("CleanPath"), std::optional<QString>("/home/a & b"));
        QCOMPARE(store.objectForKey("threshold"), QVariant(qint64(-12)));
        QCOMPARE(store.objectForKey("ratio"), QVariant(1.5));
        QCOMPARE(store.objectForKey("when").toDateTime(),
                 QDateTime(QDate(2014, 3, 9), QTime(10, 30, 5), Qt::UTC));
        QCOMPARE(store.dataForKey("blob"), std::optional(QByteArray("\0\x01\xfe", 3)));
        QCOMPARE(store.arrayForKey("prevStartupVersions"), std::optional(QVariantList{"1.0"}));
        QVERIFY(log_.isEmpty());
        QVERIFY(corruptCopies(home.settingsFile()).isEmpty());
    }

    void corruptFileIsKeptAside_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray valid =
            *PropertyList::binaryData(QVariantMap{{"CleanPath", "/home/a/Documents"}});
        QByteArray noise(512, '\0');
        QRandomGenerator random(20141205);
        for (char &c : noise)
            c = char(random.bounded(256));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated") << valid.left(valid.size() / 2);
        QTest::newRow("random bytes") << noise;
        QTest::newRow("random bytes after a binary header") << "bplist00" + noise;
        QTest::newRow("XML truncated") << xmlPlist("<dict><key>a</key><true/></dict>").left(120);
        QTest::newRow("XML integer of letters")
            << xmlPlist("<dict><key>AutoClean</key><integer>yes</integer></dict>");
        QTest::newRow("XML date of words")
            << xmlPlist("<dict><key>when</key><date>yesterday</date></dict>");
        QTest::newRow("XML unknown type") << xmlPlist("<dict><key>AutoClean</key><yes/></dict>");
        QTest::newRow("XML value without key") << xmlPlist("<dict><string>orphan</string></dict>");
        QTest::newRow("binary array") << *PropertyList::binaryData(QVariantList{"a", "b"});
        QTest::newRow("XML string") << xmlPlist("<string>settings</string>");
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
        QCOMPARE(log_.size(), 2);
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
            QVERIFY(!store.synchronize());
            QCOMPARE(store.stringForKey("CleanPath"), std::optional<QString>("/x"));
            QCOMPARE(log_.size(), 1);
            QVERIFY2(log_.first().contains(home.settingsFile()), qPrintable(log_.first()));
        } // and the save on destruction fails quietly
        QCOMPARE(log_.size(), 1);
    }

    void savesByItself() {
        TestHome home;
        UserDefaults store(home.settingsFile());
        store.setBool(true, "AutoClean");
        QTRY_VERIFY(UserDefaults(home.settingsFile()).boolForKey("AutoClean"));
        {
            UserDefaults other(home.settingsFile());
            other.setBool(false, "AutoClean");
        } // destroyed before its own save was due
        QVERIFY(!UserDefaults(home.settingsFile()).boolForKey("AutoClean"));
    }

    void signalsAndObservation() {
        TestHome home;
        UserDefaults store(home.settingsFile());
        store.setObject("first", "CleanPath");
        QSignalSpy changed(&store, &UserDefaults::didChange);
        QSignalSpy valueChanged(&store, &UserDefaults::valueChanged);
        QVariantList seen;
        auto context = std::make_unique<QObject>();
        store.observe(
            "CleanPath", context.get(), [&](const QVariant &v) { seen.append(v); }, true);
        QCOMPARE(seen, QVariantList{"first"});
        store.setObject("second", "CleanPath");
        store.setBool(true, "AutoClean"); // another key: not observed
        store.removeObject("CleanPath");
        QCOMPARE(seen, (QVariantList{"first", "second", QVariant()}));
        QCOMPARE(changed.size(), 3);
        QCOMPARE(valueChanged.size(), 3);
        QCOMPARE(valueChanged.at(1).at(0).toString(), QString("AutoClean"));
        context.reset();
        store.setObject("third", "CleanPath");
        QCOMPARE(seen.size(), 3);

        QVariantList quiet;
        store.observe(
            "CleanPath", &store, [&](const QVariant &v) { quiet.append(v); }, false);
        QVERIFY(quiet.isEmpty());
        store.setObject("fourth", "CleanPath");
        QCOMPARE(quiet, QVariantList{"fourth"});
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
