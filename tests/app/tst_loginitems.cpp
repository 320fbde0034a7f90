// SPDX-License-Identifier: GPL-3.0-or-later
// Starting at login: the session's autostart entries in a temporary HOME, and the settings box
// that shows and changes them.
#include "Bundle.h"
#include "LoginItems.h"
#include "ProgramFixture.h"
#include "StandardFolders.h"

#include <QtTest>

using Entries = QMap<QString, QByteArray>;

namespace {
QByteArray entryFor(const QByteArray &exec) {
    return "[Desktop Entry]\nType=Application\nExec=" + exec + "\n";
}
} // namespace

class TestLoginItems : public QObject {
    Q_OBJECT
private slots:
    void init() { s.emplace(); }
    void cleanup() { s.reset(); }

    // A path with a space and a quote, and a name already taken by another program.
    void insertAddsOneEntryAndNeverReplaces() {
        const QString program = s->home.path() + "/My Apps/quill\"mere";
        const QString folder = StandardFolders::autostartFolder();
        const QByteArray other = entryFor("/usr/bin/other");
        TestHome::writeFile(folder + "/quillmere.desktop", other);
        LoginItems items(folder, program);
        QVERIFY(!items.contains());
        QVERIFY(items.insertItem());
        QVERIFY(items.insertItem()); // already there: nothing more
        QCOMPARE(entries(folder), (QStringList{"quillmere-2.desktop", "quillmere.desktop"}));
        QCOMPARE(LoginItems::programOfEntry(content(folder + "/quillmere-2.desktop")), program);
        QVERIFY(items.contains());
        QCOMPARE(items.removeItems(), 1);
        QCOMPARE(content(folder + "/quillmere.desktop"), other);
    }

    void removeTakesEveryEntryOfThisProgramOnly_data() {
        QTest::addColumn<Entries>("before");
        QTest::addColumn<QStringList>("kept");
        const QByteArray self = "/opt/quillmere/bin/quillmere";
        QTest::newRow("ours twice, another program's kept")
            << Entries{{"a.desktop", entryFor(self)},
                       {"b.desktop", entryFor("\"" + self + "\" --hidden")},
                       {"c.desktop", entryFor("/usr/bin/other " + self)}}
            << QStringList{"c.desktop"};
        QTest::newRow("a copy elsewhere is kept")
            << Entries{{"a.desktop", entryFor("/home/me/quillmere/bin/quillmere")}}
            << QStringList{"a.desktop"};
        QTest::newRow("malformed entries are skipped")
            << Entries{{"nogroup.desktop", "Exec=" + self + "\n"},
                       {"action.desktop", "[Desktop Action x]\nExec=" + self + "\n"},
                       {"binary.desktop", QByteArray(300 * 1024, '\0') + entryFor(self)}}
            << QStringList{"action.desktop", "binary.desktop", "nogroup.desktop"};
        QTest::newRow("none of ours") << Entries{} << QStringList{};
    }
    void removeTakesEveryEntryOfThisProgramOnly() {
        QFETCH(Entries, before);
        QFETCH(QStringList, kept);
        const QString folder = StandardFolders::autostartFolder();
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            TestHome::writeFile(folder + "/" + it.key(), it.value());
        LoginItems(folder, "/opt/quillmere/bin/quillmere").removeItems();
        QCOMPARE(entries(folder), kept);
        for (const QString &name : kept)
            QCOMPARE(content(folder + "/" + name), before[name]);
    }

    void theBoxShowsAndChangesTheRealState() {
        const QString folder = StandardFolders::autostartFolder();
        {
            Program program(s->defaults);
            QVERIFY(!program.ui.LoginOutletCheckBox->isChecked());
            program.ui.LoginOutletCheckBox->click();
            QCOMPARE(entries(folder).size(), 1);
        }
        {
            Program program(s->defaults); // read back at the next start
            QVERIFY(program.ui.LoginOutletCheckBox->isChecked());
            program.ui.LoginOutletCheckBox->click();
            QCOMPARE(entries(folder), QStringList{});
        }
    }

private:
    std::optional<Sandbox> s;
};

QTEST_MAIN(TestLoginItems)
#include "tst_loginitems.moc"
