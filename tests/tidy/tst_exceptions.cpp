// SPDX-License-Identifier: GPL-3.0-or-later
// The exceptions list over the real settings and exceptions files in a temporary HOME, and its
// saves on worker threads.
#include "ExceptedNames.h"
#include "ExceptionsList.h"
#include "ItemFilter.h"
#include "KeyedArchive.h"
#include "PropertyList.h"
#include "StandIns.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QTableView>
#include <memory>
#include <semaphore>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using Rows = QList<int>;

class TestExceptions : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<UserDefaults> defaults;
    TestPanel panel;
    QTableView table;
    std::unique_ptr<ExceptionsList> list;

    void restart() { // a new run of the program over the same files
        list.reset();
        defaults = std::make_unique<UserDefaults>(UserDefaults::standardFilePath());
        list = std::make_unique<ExceptionsList>(*defaults, panel);
        table.setModel(&list->model());
        list->setSelectionModel(table.selectionModel());
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
    static L names(const QList<ExceptionEntry> &entries) {
        L names;
        for (const ExceptionEntry &entry : entries)
            names << entry.name;
        return names;
    }
    L shown() const { return names(list->model().exceptionsTableData()); }
    L saved() { return names(ExceptionsFile::load(ExceptionsFile::standardPath())); }

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

    // The row shows the name without its extension; the stored names gain the file name, and an
    // element among them that is not a name keeps its place.
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
        ExceptedNames::write(*defaults, {"keep.txt", 7});
        add(path);
        add(item("cancelled.txt"), OpenPanel::CancelButton);

        QVERIFY(panel.options.canChooseFiles && panel.options.canChooseDirectories);
        QCOMPARE(shown(), L{shownName});
        QVERIFY(!list->model().index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(ExceptedNames::stored(*defaults),
                 std::optional(QVariantList{"keep.txt", 7, fileName}));
        list->waitForSaves();
        QCOMPARE(saved(), L{shownName});
    }

    // Row i is element i of the stored names, whatever the elements are.
    void removeTakesRowsFromBothStores_data() {
        QTest::addColumn<QVariantList>("storedApart"); // names stored apart from the rows
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<L>("rowsLeft");
        QTest::addColumn<QVariantList>("namesLeft"); // the stored array
        QTest::newRow("rows 0 and 2") << QVariantList{} << Rows{0, 2} << L{"b", "d", "e"}
                                      << QVariantList{"b.txt", "d.txt", "e.txt"};
        QTest::newRow("fewer names than rows") << QVariantList{"a.txt", "b.txt"} << Rows{0, 3}
                                               << L{"b", "c", "e"} << QVariantList{"b.txt"};
        // The non-name before row 2 stays, and the same name at row 0 stays excepted.
        QTest::newRow("a non-name and a name twice")
            << QVariantList{"a.txt", 7, "a.txt", "d.txt", "e.txt"} << Rows{2}
            << L{"a", "b", "d", "e"} << QVariantList{"a.txt", 7, "d.txt", "e.txt"};
    }
    void removeTakesRowsFromBothStores() {
        QFETCH(QVariantList, storedApart);
        QFETCH(Rows, selected);
        QFETCH(L, rowsLeft);
        QFETCH(QVariantList, namesLeft);
        for (const QString name : {"a", "b", "c", "d", "e"})
            add(item(name + ".txt"));
        if (!storedApart.isEmpty())
            ExceptedNames::write(*defaults, storedApart);
        // Both files must be written again by the remove itself.
        list->waitForSaves();
        QVERIFY(QFile::remove(ExceptionsFile::standardPath()));
        QFile::remove(home->settingsFile());
        remove(selected);

        QCOMPARE(shown(), rowsLeft);
        QCOMPARE(saved(), rowsLeft);
        QCOMPARE(ExceptedNames::stored(UserDefaults(home->settingsFile())),
                 std::optional(namesLeft));
    }

    // A file that cannot be written back as it was goes aside whole and stays so through the
    // saves and the quit (which waits for the last save); the rows that could be read show, and
    // the tab says where it went.
    void unreadableFileIsKeptAside_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<L>("rows");
        const QVariantMap kept{{"name", "kept"}, {"image", QByteArray()}};
        QVariantMap newer =
            PropertyList::fromData(KeyedArchive::archivedDataWithRootObject(
                                       QVariantMap{{"ExceptionsKey", QVariantList{kept}}}))
                ->toMap();
        newer["$version"] = 200000;
        QTest::newRow("newer $version") << *PropertyList::binaryData(newer) << L{};
        QTest::newRow("row with a name that is not text")
            << KeyedArchive::archivedDataWithRootObject(
                   QVariantMap{{"ExceptionsKey", QVariantList{kept, QVariantMap{{"name", 5}},
                                                              QVariantMap{{"name", "also kept"}}}}})
            << L{"kept", "also kept"};
    }
    void unreadableFileIsKeptAside() {
        QFETCH(QByteArray, bytes);
        QFETCH(L, rows);
        TestHome::writeFile(ExceptionsFile::standardPath(), bytes);
        restart();
        QCOMPARE(shown(), rows);
        const L aside =
            QDir(home->applicationSupport()).entryList({"ExceptionsTableViewData.corrupt-*"});
        QCOMPARE(aside.size(), 1);
        const QString keptAs = home->applicationSupport() + "/" + aside.first();
        QVERIFY2(list->fileMessage().contains(keptAs), qPrintable(list->fileMessage()));

        add(item("new.txt"));
        list->applicationWillTerminate();
        list.reset();
        QCOMPARE(saved(), rows + L{"new"});
        QCOMPARE(content(keptAs), bytes);
    }

    // Both files kept as links by a dotfile manager: written through their links, which stay.
    void linkedFilesAreWrittenThroughTheirLinks() {
        const QString dotfiles = home->path() + "/dotfiles";
        TestHome::writeFile(dotfiles + "/settings",
                            *PropertyList::binaryData(QVariantMap{{"CleanPath", "/kept"}}));
        QVERIFY(QDir().mkpath(QFileInfo(home->settingsFile()).path()));
        QVERIFY(QFile::link(dotfiles + "/settings", home->settingsFile()));
        // Relative, and to a file that the first save creates.
        QVERIFY(QFile::link(QDir(home->applicationSupport()).relativeFilePath(dotfiles + "/rows"),
                            ExceptionsFile::standardPath()));
        restart();
        add(item("new.txt"));
        list->waitForSaves();
        QVERIFY(defaults->synchronize());

        QVERIFY(QFileInfo(home->settingsFile()).isSymLink());
        QVERIFY(QFileInfo(ExceptionsFile::standardPath()).isSymLink());
        const UserDefaults linked(dotfiles + "/settings");
        QCOMPARE(linked.stringForKey("CleanPath"), std::optional<QString>("/kept"));
        QCOMPARE(exceptedNames(linked), L{"new.txt"});
        QCOMPARE(names(ExceptionsFile::load(dotfiles + "/rows")), L{"new"});
        QCOMPARE(QDir(dotfiles).entryList(QDir::Files), (L{"rows", "settings"}));
    }

    // Neither file is read, so the start does not hang or grow, and neither is written through.
    void pipesAndDevicesAreLeftAlone_data() {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("named pipe") << true;
        QTest::newRow("link to a zero device") << false;
    }
    void pipesAndDevicesAreLeftAlone() {
        QFETCH(bool, pipe);
        const QList<QByteArray> files{QFile::encodeName(home->settingsFile()),
                                      QFile::encodeName(ExceptionsFile::standardPath())};
        QVERIFY(QDir().mkpath(QFileInfo(home->settingsFile()).path()));
        // A node of our own with /dev/zero's numbers: a fault here cannot touch /dev/zero.
        const QByteArray zero = QFile::encodeName(home->path()) + "/zero";
        if (!pipe && mknod(zero, S_IFCHR | 0666, makedev(1, 5)) != 0)
            QSKIP("cannot make a device node here");
        for (const QByteArray &file : files)
            QVERIFY(pipe ? mkfifo(file, 0600) == 0 : symlink(zero, file) == 0);
        restart();
        QVERIFY(shown().isEmpty() && !defaults->objectForKey("CleanPath").isValid());
        QVERIFY(!list->fileMessage().isEmpty());

        add(item("new.txt"));
        list->applicationWillTerminate();
        list->waitForSaves();
        QVERIFY(!defaults->synchronize());
        struct stat st;
        for (const QByteArray &file : files)
            QVERIFY(lstat(file, &st) == 0 && (pipe ? S_ISFIFO(st.st_mode) : S_ISLNK(st.st_mode)));
        QVERIFY(pipe || (lstat(zero, &st) == 0 && S_ISCHR(st.st_mode)));
    }

    // A save queued earlier but held up until a later one is on disk writes nothing.
    void earlierSaveNeverOverwritesLaterOne() {
        const QString path = ExceptionsFile::standardPath();
        const QList<ExceptionEntry> later{{"later", {}}, {"rows", {}}};
        std::binary_semaphore release(0);
        SaveDataQueue saves(path);
        saves.setBeforeWriteHookForTesting([&release](quint64 number) {
            if (number == 1)
                release.acquire();
        });
        saves.saveAsync(ExceptionsFile::archivedData({{"earlier", {}}}));
        saves.saveAsync(ExceptionsFile::archivedData(later));
        QTRY_COMPARE(ExceptionsFile::load(path), later);
        release.release();
        saves.waitForAll();
        QCOMPARE(ExceptionsFile::load(path), later);
    }
};

QTEST_MAIN(TestExceptions)
#include "tst_exceptions.moc"
