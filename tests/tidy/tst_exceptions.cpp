// SPDX-License-Identifier: GPL-3.0-or-later
// The exceptions list over the real settings file and the real exceptions file in a temporary
// HOME: what an add shows and excepts, what a remove takes from both stores, what a restart
// brings back, and how damaged stores are met.
#include "Description.h"
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

class TestExceptions : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<FakeOpenPanel> panel;
    std::unique_ptr<QTableView> table;
    std::unique_ptr<ExceptionsList> list;

    // A new run of the program over the same files.
    void restart() {
        list.reset();
        defaults = std::make_unique<UserDefaults>(UserDefaults::standardFilePath());
        list = std::make_unique<ExceptionsList>(*defaults, *panel);
        list->setTableView(table.get());
        list->load();
    }
    // Adds the item at `path` the way the user does: the "+" segment, then the chooser.
    void add(const QString &path) {
        list->ExceptionsSegmentAction(0);
        QTRY_VERIFY(panel->isOpen());
        panel->end(OpenPanel::OKButton, path);
    }
    QString item(const QString &name) {
        const QString path = home->documents() + "/" + name;
        TestHome::writeFile(path, name.toUtf8());
        return path;
    }
    void select(const QList<int> &rows) {
        table->clearSelection();
        for (const int row : rows)
            table->selectionModel()->select(list->model().index(row, 0),
                                            QItemSelectionModel::Select |
                                                QItemSelectionModel::Rows);
    }
    QStringList rowNames(const QList<ExceptionEntry> &entries) const {
        QStringList names;
        for (const ExceptionEntry &entry : entries)
            names.append(entry.name);
        return names;
    }
    QStringList shownRows() const { return rowNames(list->model().exceptionsTableData()); }
    QStringList savedRows() {
        return rowNames(ExceptionsFile::load(ExceptionsFile::standardPath()));
    }
    QStringList cleanable(const QStringList &desktopNames) {
        for (const QString &name : desktopNames)
            TestHome::writeFile(home->desktop() + "/" + name);
        QStringList names;
        for (const QByteArray &name : ItemFilter(*defaults).cleanableItemsInFolder(home->desktop()))
            names.append(QString::fromUtf8(name));
        names.sort();
        return names;
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY(QDir().mkpath(home->applicationSupport()));
        panel = std::make_unique<FakeOpenPanel>();
        table = std::make_unique<QTableView>();
        restart();
    }
    void cleanup() {
        list.reset();
        table.reset();
        defaults.reset();
        home.reset();
    }

    void addShowsNameAndExceptsFileName_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("shown");
        QTest::newRow("file") << "notes.txt" << false << "notes";
        QTest::newRow("folder with a dot") << "Archive.2014" << true << "Archive";
        QTest::newRow("folder") << "Projects" << true << "Projects";
        QTest::newRow("two extensions") << "backup.tar.gz" << false << "backup.tar";
        QTest::newRow("hidden file") << ".profile" << false << ".profile";
    }
    void addShowsNameAndExceptsFileName() {
        QFETCH(QString, fileName);
        QFETCH(bool, folder);
        QFETCH(QString, shown);
        const QString path = home->documents() + "/" + fileName;
        if (folder)
            QVERIFY(QDir().mkpath(path));
        else
            TestHome::writeFile(path);
        LogLines log;

        add(path);
        QVERIFY(panel->options.canChooseFiles && panel->options.canChooseDirectories);
        QCOMPARE(shownRows(), QStringList{shown});
        QCOMPARE(list->model().data(list->model().index(0, 0)).toString(), shown);
        QVERIFY(!list->model()
                     .data(list->model().index(0, 0), Qt::DecorationRole)
                     .value<QIcon>()
                     .isNull());
        QCOMPARE(exceptedNames(*defaults), QStringList{fileName});
        QCOMPARE(log.lines().mid(0, 3),
                 (QStringList{"Source is file://" + path, fileName,
                              "ExceptionsObjects Are: " + description(QStringList{fileName})}));

        list->waitForSaves();
        QCOMPARE(savedRows(), QStringList{shown});
        QVERIFY(!ExceptionsFile::load(ExceptionsFile::standardPath()).first().icon().isNull());
    }

    void cancelledAddChangesNothing() {
        add(item("notes.txt"));
        list->ExceptionsSegmentAction(0);
        QTRY_VERIFY(panel->isOpen());
        panel->end(OpenPanel::CancelButton, QString());
        QCOMPARE(shownRows(), QStringList{"notes"});
        QCOMPARE(exceptedNames(*defaults), QStringList{"notes.txt"});
    }

    // The filter drops exactly the excepted file names, wherever the chosen item lay.
    void filterSkipsExactNames_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("desktop");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case and extension count")
            << QStringList{"report.pdf"} << QStringList{"report.pdf", "Report.pdf", "report"}
            << QStringList{"Report.pdf", "report"};
        QTest::newRow("notes") << QStringList{"notes.txt"}
                               << QStringList{"notes.txt", "notes.TXT", "notes"}
                               << QStringList{"notes", "notes.TXT"};
        QTest::newRow("name found nowhere")
            << QStringList{"absent.doc"} << QStringList{"a", "b"} << QStringList{"a", "b"};
        QTest::newRow("no exceptions") << QStringList{} << QStringList{"a"} << QStringList{"a"};
    }
    void filterSkipsExactNames() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, desktop);
        QFETCH(QStringList, expected);
        for (const QString &name : added)
            add(item(name));
        QCOMPARE(cleanable(desktop), expected);
    }

    void sameItemTwiceStaysExceptedAfterOneRemove() {
        const QString path = item("notes.txt");
        add(path);
        add(path);
        QCOMPARE(shownRows(), (QStringList{"notes", "notes"}));
        select({1});
        list->ExceptionsSegmentAction(1);
        QCOMPARE(shownRows(), QStringList{"notes"});
        QCOMPARE(cleanable({"notes.txt", "other"}), QStringList{"other"});
    }

    void removeTakesRowsFromBothStores_data() {
        QTest::addColumn<QStringList>("storedNames"); // set apart from the rows; empty: as added
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("rows 0 and 2")
            << QStringList{} << QList<int>{0, 2} << QStringList{"b", "d", "e"}
            << QStringList{"b.txt", "d.txt", "e.txt"};
        QTest::newRow("nothing selected")
            << QStringList{} << QList<int>{} << QStringList{"a", "b", "c", "d", "e"}
            << QStringList{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"};
        QTest::newRow("every row")
            << QStringList{} << QList<int>{0, 1, 2, 3, 4} << QStringList{} << QStringList{};
        QTest::newRow("fewer names than rows")
            << QStringList{"a.txt", "b.txt"} << QList<int>{0, 3} << QStringList{"b", "c", "e"}
            << QStringList{"b.txt"};
    }
    void removeTakesRowsFromBothStores() {
        QFETCH(QStringList, storedNames);
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, names);
        for (const QString name : {"a", "b", "c", "d", "e"})
            add(item(name + ".txt"));
        if (!storedNames.isEmpty())
            defaults->setObject(KeyedArchive::archivedDataWithRootObject(storedNames),
                                SettingsKeys::ExceptionsObjects);
        // Both stores must be written again by the remove itself.
        list->waitForSaves();
        QVERIFY(QFile::remove(ExceptionsFile::standardPath()));
        QFile::remove(home->settingsFile());
        LogLines log;

        select(selected);
        list->ExceptionsSegmentAction(1);
        QCOMPARE(shownRows(), rows);
        QCOMPARE(savedRows(), rows);
        QCOMPARE(exceptedNames(UserDefaults(home->settingsFile())), names);
        QVERIFY(log.contains("array TESTING:: " + description(names)));
        QCOMPARE(log.containsText("Exception row 3 has no file name"), !storedNames.isEmpty());
    }

    void selectionIsLogged() {
        for (const QString name : {"a", "b", "c", "d"})
            add(item(name));
        LogLines log;
        table->selectionModel()->setCurrentIndex(list->model().index(2, 0),
                                                 QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
        QCOMPARE(log.lines().last(), "2");
        table->clearSelection();
        QCOMPARE(log.lines().last(), "-1");
    }

    void damagedFileLoadsWhatIsSound_data() {
        const QByteArray png("\x89PNG");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("logged");
        QTest::newRow("not an archive") << QByteArray("bplist00 and then nothing") << QStringList{}
                                        << "is not a readable archive";
        QTest::newRow("root is a list")
            << KeyedArchive::archivedDataWithRootObject(QVariantList{QVariantMap{{"name", "a"}}})
            << QStringList{} << "holds no list under ExceptionsKey";
        QTest::newRow("no list under the key")
            << KeyedArchive::archivedDataWithRootObject(QVariantMap{{"ExceptionsKey", "a"}})
            << QStringList{} << "holds no list under ExceptionsKey";
        const QVariantList entries{
            "a string",
            QVariantMap{{"name", "kept"}, {"image", png}},
            QVariantMap{{"image", png}},
            QVariantMap{{"name", qint64(5)}, {"image", png}},
            QVariantMap{{"name", "no icon"}, {"image", "text"}},
        };
        QTest::newRow("entries of the wrong shape")
            << KeyedArchive::archivedDataWithRootObject(QVariantMap{{"ExceptionsKey", entries}})
            << QStringList{"kept", "no icon"} << "entry 3 has no name";
    }
    void damagedFileLoadsWhatIsSound() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QFETCH(QString, logged);
        TestHome::writeFile(ExceptionsFile::standardPath(), bytes);
        LogLines log;
        restart();
        QCOMPARE(shownRows(), rows);
        QVERIFY2(log.containsText(logged), qPrintable(log.lines().join('\n')));

        // It keeps running, and the next save replaces the damaged file.
        add(item("new.txt"));
        list->waitForSaves();
        QCOMPARE(savedRows(), rows + QStringList{"new"});
    }

    void damagedNamesCountAsNoNames_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("not an archive") << QVariant(QByteArray("keep.txt")) << QStringList{};
        QTest::newRow("a string") << QVariant(QString("keep.txt")) << QStringList{};
        QTest::newRow("archive of a dictionary")
            << QVariant(KeyedArchive::archivedDataWithRootObject(QVariantMap{{"keep.txt", 1}}))
            << QStringList{};
        QTest::newRow("archive with a number") << QVariant(KeyedArchive::archivedDataWithRootObject(
                                                      QVariantList{"keep.txt", qint64(7)}))
                                               << QStringList{"keep.txt"};
    }
    void damagedNamesCountAsNoNames() {
        QFETCH(QVariant, stored);
        QFETCH(QStringList, names);
        defaults->setObject(stored, SettingsKeys::ExceptionsObjects);
        defaults->synchronize();
        LogLines log;
        restart();
        QVERIFY(log.containsText("ExceptionsObjects is not an archive of file names"));
        const QStringList left =
            names.isEmpty() ? QStringList{"keep.txt", "other"} : QStringList{"other"};
        QCOMPARE(cleanable({"keep.txt", "other"}), left);

        add(item("new.txt"));
        QCOMPARE(exceptedNames(*defaults), names + QStringList{"new.txt"});
    }

    void restartShowsStoredRowsAndFiltersStoredNames() {
        for (const QString name : {"a.txt", "b.txt", "c.txt"})
            add(item(name));
        select({1});
        list->ExceptionsSegmentAction(1);
        restart();
        QCOMPARE(shownRows(), (QStringList{"a", "c"}));
        QCOMPARE(table->model()->rowCount(), 2);
        QCOMPARE(cleanable({"a.txt", "b.txt", "c.txt", "d"}), (QStringList{"b.txt", "d"}));

        // The names changed apart from the rows: the table shows the file, the filter the names.
        defaults->setObject(KeyedArchive::archivedDataWithRootObject(QVariantList{"d"}),
                            SettingsKeys::ExceptionsObjects);
        defaults->synchronize();
        restart();
        QCOMPARE(shownRows(), (QStringList{"a", "c"}));
        QCOMPARE(cleanable({}), (QStringList{"a.txt", "b.txt", "c.txt"}));
    }
};

QTEST_MAIN(TestExceptions)
#include "tst_exceptions.moc"
