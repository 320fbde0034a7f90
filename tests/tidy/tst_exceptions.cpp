// SPDX-License-Identifier: GPL-3.0-or-later
// The exceptions list over the real settings and exceptions files in a temporary HOME.
#include "Description.h"
#include "ExceptedNames.h"
#include "ExceptionsList.h"
#include "ExceptionsTestSupport.h"
#include "ItemFilter.h"
#include "KeyedArchive.h"
#include "PropertyList.h"
#include "SettingsKeys.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <QTableView>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using Rows = QList<int>;

namespace {
// A keyed archive with its top-level dictionary and its objects changed by `edit`.
QByteArray edited(const QByteArray &archive,
                  const std::function<void(QVariantMap &top, QVariantList &objects)> &edit) {
    QVariantMap top = PropertyList::fromData(archive)->toMap();
    QVariantList objects = top["$objects"].toList();
    edit(top, objects);
    top["$objects"] = objects;
    return *PropertyList::binaryData(top);
}
} // namespace

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

    // A file that cannot be written back as it was goes aside whole and stays so through the
    // saves and the quit; the rows that could be read show, and the tab says where it went.
    void unreadableFileIsKeptAside_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        const QVariantMap kept{{"name", "kept"}, {"image", QByteArray()}};
        const QByteArray archive = KeyedArchive::archivedDataWithRootObject(
            QVariantMap{{"ExceptionsKey", QVariantList{kept}}});
        QTest::newRow("truncated") << archive.left(archive.size() / 2) << QStringList{};
        QTest::newRow("newer $version")
            << edited(archive, [](QVariantMap &top, QVariantList &) { top["$version"] = 200000; })
            << QStringList{};
        QTest::newRow("reference cycle") << edited(archive, [](QVariantMap &,
                                                               QVariantList &objects) {
            for (qsizetype i = 0; i < objects.size(); ++i) {
                QVariantMap object = objects[i].toMap();
                if (object.contains("NS.objects") && !object.contains("NS.keys")) {
                    object["NS.objects"] = QVariantList{QVariant::fromValue(PlistUid{quint64(i)})};
                    objects[i] = object; // the list of rows holds itself
                }
            }
        }) << QStringList{};
        QTest::newRow("row with a name that is not text")
            << KeyedArchive::archivedDataWithRootObject(
                   QVariantMap{{"ExceptionsKey", QVariantList{kept, QVariantMap{{"name", 5}},
                                                              QVariantMap{{"name", "also kept"}}}}})
            << QStringList{"kept", "also kept"};
    }
    void unreadableFileIsKeptAside() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        TestHome::writeFile(ExceptionsFile::standardPath(), bytes);
        LogLines log;
        restart();
        QCOMPARE(shown(), rows);
        const QStringList aside =
            QDir(home->applicationSupport()).entryList({"ExceptionsTableViewData.corrupt-*"});
        QCOMPARE(aside.size(), 1);
        const QString keptAs = home->applicationSupport() + "/" + aside.first();
        QCOMPARE(log.lines().filter(keptAs).size(), 1);
        QVERIFY2(list->fileMessage().contains(keptAs), qPrintable(list->fileMessage()));

        add(item("new.txt"));
        list->applicationWillTerminate();
        list->waitForSaves();
        QCOMPARE(saved(), rows + QStringList{"new"});
        QFile file(keptAs);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
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
        QCOMPARE(exceptedNames(linked), QStringList{"new.txt"});
        QCOMPARE(names(ExceptionsFile::load(dotfiles + "/rows")), QStringList{"new"});
        QCOMPARE(QDir(dotfiles).entryList(QDir::Files), (QStringList{"rows", "settings"}));
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
        LogLines log;
        restart();
        QVERIFY(shown().isEmpty() && !defaults->objectForKey("CleanPath").isValid());
        QCOMPARE(log.lines().filter(pipe ? "it is a named pipe" : "it is a device").size(), 2);
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
