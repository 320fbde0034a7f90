// SPDX-License-Identifier: GPL-3.0-or-later
// The exceptions list over the real settings and exceptions files in a temporary HOME.
#include "Description.h"
#include "ExceptedNames.h"
#include "ExceptionsList.h"
#include "ExceptionsTestSupport.h"
#include "ItemFilter.h"
#include "KeyedArchive.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <QTableView>
#include <memory>

using Rows = QList<int>;

class TestExceptions : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<UserDefaults> defaults;
    FakeOpenPanel panel;
    QTableView table;
    std::unique_ptr<ExceptionsList> list;

    void restart() { // a new run of the program over the same files
        list.reset();
        defaults = std::make_unique<UserDefaults>(UserDefaults::standardFilePath());
        list = std::make_unique<ExceptionsList>(*defaults, panel);
        list->setTableView(&table);
        list->load();
    }
    // The "+" segment, then the chooser ended with `result`.
    void add(const QString &path, int result = OpenPanel::OKButton) {
        list->ExceptionsSegmentAction(0);
        QTRY_VERIFY(panel.isOpen());
        panel.end(result, path);
    }
    QString item(const QString &name) {
        const QString path = home->documents() + "/" + name;
        TestHome::writeFile(path);
        return path;
    }
    void remove(const Rows &rows) { // the "−" segment with `rows` selected
        table.clearSelection();
        for (const int row : rows)
            table.selectionModel()->select(list->model().index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->ExceptionsSegmentAction(1);
    }
    static QStringList names(const QList<ExceptionEntry> &entries) {
        QStringList names;
        for (const ExceptionEntry &entry : entries)
            names << entry.name;
        return names;
    }
    QStringList shown() const { return names(list->model().exceptionsTableData()); }
    QStringList saved() { return names(ExceptionsFile::load(ExceptionsFile::standardPath())); }
    QStringList cleanable(const QStringList &putOnDesktop) {
        for (const QString &name : putOnDesktop)
            TestHome::writeFile(home->desktop() + "/" + name);
        QStringList names;
        for (const QByteArray &name : ItemFilter(*defaults).cleanableItemsInFolder(home->desktop()))
            names.append(QString::fromUtf8(name));
        names.sort();
        return names;
    }
    void storeNames(const QVariant &value) {
        defaults->setObject(value, SettingsKeys::ExceptionsObjects);
        defaults->synchronize();
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY(QDir().mkpath(home->applicationSupport()));
        restart();
    }
    void cleanup() {
        list.reset();
        defaults.reset();
        home.reset();
    }

    void addShowsNameAndExceptsFileName_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("shownName");
        QTest::newRow("file") << "notes.txt" << false << "notes";
        QTest::newRow("folder with a dot") << "Archive.2014" << true << "Archive";
    }
    void addShowsNameAndExceptsFileName() {
        QFETCH(QString, fileName);
        QFETCH(bool, folder);
        QFETCH(QString, shownName);
        const QString path = home->documents() + "/" + fileName;
        folder ? void(QDir().mkpath(path)) : TestHome::writeFile(path);
        LogLines log;
        add(path);
        add(item("cancelled.txt"), OpenPanel::CancelButton);

        QVERIFY(panel.options.canChooseFiles && panel.options.canChooseDirectories);
        QCOMPARE(shown(), QStringList{shownName});
        QVERIFY(!list->model().index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(exceptedNames(*defaults), QStringList{fileName});
        QCOMPARE(log.lines(),
                 (QStringList{"Source is file://" + path, fileName,
                              "ExceptionsObjects Are: " + description(QStringList{fileName})}));
        list->waitForSaves();
        QCOMPARE(saved(), QStringList{shownName});
    }

    void removeTakesRowsFromBothStores_data() {
        QTest::addColumn<QVariantList>("storedApart"); // names stored apart from the rows
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<QStringList>("rowsLeft");
        QTest::addColumn<QVariantList>("namesLeft"); // the stored array
        QTest::newRow("rows 0 and 2") << QVariantList{} << Rows{0, 2} << QStringList{"b", "d", "e"}
                                      << QVariantList{"b.txt", "d.txt", "e.txt"};
        QTest::newRow("nothing selected")
            << QVariantList{} << Rows{} << QStringList{"a", "b", "c", "d", "e"}
            << QVariantList{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"};
        QTest::newRow("fewer names than rows")
            << QVariantList{"a.txt", "b.txt"} << Rows{0, 3} << QStringList{"b", "c", "e"}
            << QVariantList{"b.txt"};
        // Row 2 is the array's element 2, counted with the non-name before it, which stays, and
        // the same name at row 0 stays excepted.
        QTest::newRow("a non-name and a name twice")
            << QVariantList{"a.txt", 7, "a.txt", "d.txt", "e.txt"} << Rows{2}
            << QStringList{"a", "b", "d", "e"} << QVariantList{"a.txt", 7, "d.txt", "e.txt"};
    }
    void removeTakesRowsFromBothStores() {
        QFETCH(QVariantList, storedApart);
        QFETCH(Rows, selected);
        QFETCH(QStringList, rowsLeft);
        QFETCH(QVariantList, namesLeft);
        for (const QString name : {"a", "b", "c", "d", "e"})
            add(item(name + ".txt"));
        if (!storedApart.isEmpty())
            storeNames(KeyedArchive::archivedDataWithRootObject(storedApart));
        // Both files must be written again by the remove itself.
        list->waitForSaves();
        QVERIFY(QFile::remove(ExceptionsFile::standardPath()));
        QFile::remove(home->settingsFile());
        LogLines log;
        remove(selected);

        QCOMPARE(shown(), rowsLeft);
        QCOMPARE(saved(), rowsLeft);
        QCOMPARE(ExceptedNames::stored(UserDefaults(home->settingsFile())),
                 std::optional(namesLeft));
        QVERIFY(log.contains("array TESTING:: " + description(namesLeft)));
        QCOMPARE(log.contains("Exception row 3 has no file name in ExceptionsObjects; no name "
                              "removed for it"),
                 storedApart.size() == 2);
    }

    void damagedFileLoadsWhatIsSound_data() {
        QTest::addColumn<QVariant>("root");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("not an archive") << QVariant() << QStringList{};
        QTest::newRow("root is a list")
            << QVariant(QVariantList{QVariantMap{{"name", "a"}}}) << QStringList{};
        QTest::newRow("no list under the key")
            << QVariant(QVariantMap{{"ExceptionsKey", "a"}}) << QStringList{};
        const QVariantList entries{"a string", QVariantMap{{"name", "kept"}, {"image", "\x89PNG"}},
                                   QVariantMap{{"image", QByteArray()}}, QVariantMap{{"name", 5}},
                                   QVariantMap{{"name", "no icon"}, {"image", "text"}}};
        QTest::newRow("entries of the wrong shape")
            << QVariant(QVariantMap{{"ExceptionsKey", entries}}) << QStringList{"kept", "no icon"};
    }
    void damagedFileLoadsWhatIsSound() {
        QFETCH(QVariant, root);
        QFETCH(QStringList, rows);
        TestHome::writeFile(ExceptionsFile::standardPath(),
                            root.isValid() ? KeyedArchive::archivedDataWithRootObject(root)
                                           : "bplist00 and then nothing");
        LogLines log;
        restart();
        QCOMPARE(shown(), rows);
        QVERIFY(!log.lines().filter("Exceptions file " + ExceptionsFile::standardPath()).isEmpty());
        // It keeps running, and the next save replaces the damaged file.
        add(item("new.txt"));
        list->waitForSaves();
        QCOMPARE(saved(), rows + QStringList{"new"});
    }

    void damagedNamesCountAsNoNames_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("not an archive") << QVariant(QByteArray("keep.txt")) << QStringList{};
        QTest::newRow("a string") << QVariant(QString("keep.txt")) << QStringList{};
        QTest::newRow("archive with a number")
            << QVariant(KeyedArchive::archivedDataWithRootObject(QVariantList{"keep.txt", 7}))
            << QStringList{"keep.txt"};
    }
    void damagedNamesCountAsNoNames() {
        QFETCH(QVariant, stored);
        QFETCH(QStringList, names);
        storeNames(stored);
        LogLines log;
        restart();
        QVERIFY(
            log.lines().first().startsWith("ExceptionsObjects is not an archive of file names"));
        const QStringList desktop{"keep.txt", "other"};
        QCOMPARE(cleanable(desktop), desktop.mid(names.size())); // "keep.txt" kept when excepted
        add(item("new.txt"));
        QCOMPARE(exceptedNames(*defaults), names + QStringList{"new.txt"});
    }

    void restartShowsStoredRowsAndFiltersStoredNames() {
        for (const QString name : {"a.txt", "b.txt", "c.txt"})
            add(item(name));
        remove({1});
        restart();
        QCOMPARE(shown(), (QStringList{"a", "c"}));
        QCOMPARE(cleanable({"a.txt", "b.txt", "c.txt", "d"}), (QStringList{"b.txt", "d"}));

        // The names changed apart from the rows: the table shows the file, the filter the names.
        storeNames(KeyedArchive::archivedDataWithRootObject(QVariantList{"d"}));
        restart();
        QCOMPARE(shown(), (QStringList{"a", "c"}));
        QCOMPARE(cleanable({}), (QStringList{"a.txt", "b.txt", "c.txt"}));
    }
};

QTEST_MAIN(TestExceptions)
#include "tst_exceptions.moc"
