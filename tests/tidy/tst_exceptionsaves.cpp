// SPDX-License-Identifier: GPL-3.0-or-later
// Saves of the exceptions file on worker threads: however the workers finish, the file ends
// with the list as it last stood, and the program's end waits for the last save.
#include "ExceptionsList.h"
#include "ExceptionsTestSupport.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <QTableView>
#include <semaphore>

class TestExceptionSaves : public QObject {
    Q_OBJECT

private slots:
    // A save queued earlier but held up until a later one is on disk writes nothing.
    void earlierSaveNeverOverwritesLaterOne_data() {
        QTest::addColumn<bool>("laterOnWorker");
        QTest::newRow("later save on the main thread") << false;
        QTest::newRow("later save on a worker") << true;
    }
    void earlierSaveNeverOverwritesLaterOne() {
        QFETCH(bool, laterOnWorker);
        TestHome home;
        QVERIFY(QDir().mkpath(home.applicationSupport()));
        const QString path = ExceptionsFile::standardPath();
        const QList<ExceptionEntry> later{{"later", {}}, {"rows", {}}};
        std::binary_semaphore release(0);
        SaveDataQueue saves(path);
        saves.setBeforeWriteHookForTesting([&release](quint64 number) {
            if (number == 1)
                release.acquire();
        });

        saves.saveAsync(ExceptionsFile::archivedData({{"earlier", {}}}));
        if (laterOnWorker)
            saves.saveAsync(ExceptionsFile::archivedData(later));
        else
            saves.saveNow(ExceptionsFile::archivedData(later));
        QTRY_COMPARE(ExceptionsFile::load(path), later);
        release.release();
        saves.waitForAll();
        QCOMPARE(ExceptionsFile::load(path), later);
    }

    void fileEndsWithTheLastList_data() {
        QTest::addColumn<int>("adds");
        QTest::addColumn<int>("removedRows"); // from the top, after the adds
        QTest::addColumn<int>("addsAfter");
        QTest::newRow("adds in quick succession") << 40 << 0 << 0;
        QTest::newRow("adds, a remove, adds") << 30 << 10 << 5;
        QTest::newRow("adds then remove all") << 20 << 20 << 0;
    }
    void fileEndsWithTheLastList() {
        QFETCH(int, adds);
        QFETCH(int, removedRows);
        QFETCH(int, addsAfter);
        TestHome home;
        QVERIFY(QDir().mkpath(home.applicationSupport()));
        UserDefaults defaults(UserDefaults::standardFilePath());
        FakeOpenPanel panel;
        QTableView table;
        QList<ExceptionEntry> lastRows;
        LogLines log;
        {
            ExceptionsList list(defaults, panel);
            list.setTableView(&table);
            list.load();
            const auto add = [&](int count) {
                for (int i = 0; i < count; ++i) {
                    const QString path = home.documents() + QString("/item %1").arg(i);
                    TestHome::writeFile(path);
                    list.ExceptionsSegmentAction(0);
                    QTRY_VERIFY(panel.isOpen());
                    panel.end(OpenPanel::OKButton, path);
                }
            };
            add(adds);
            table.selectionModel()->select(
                QItemSelection(list.model().index(0, 0), list.model().index(removedRows - 1, 0)),
                QItemSelectionModel::Select);
            list.ExceptionsSegmentAction(1);
            add(addsAfter);
            lastRows = list.model().exceptionsTableData();
            list.applicationWillTerminate();
        } // the list ends with the program: it waits for the saves

        QCOMPARE(lastRows.size(), adds - removedRows + addsAfter);
        QCOMPARE(ExceptionsFile::load(ExceptionsFile::standardPath()), lastRows);
        QCOMPARE(log.lines().filter(QRegularExpression("^ExceptionsKey \\{")).size(), 1);
    }
};

QTEST_MAIN(TestExceptionSaves)
#include "tst_exceptionsaves.moc"
