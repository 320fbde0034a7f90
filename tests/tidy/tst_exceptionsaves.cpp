// SPDX-License-Identifier: GPL-3.0-or-later
// Saves of the exceptions file on worker threads: the file ends with the list as it last stood.
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
    void earlierSaveNeverOverwritesLaterOne() {
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
        saves.saveAsync(ExceptionsFile::archivedData(later));
        QTRY_COMPARE(ExceptionsFile::load(path), later);
        release.release();
        saves.waitForAll();
        QCOMPARE(ExceptionsFile::load(path), later);
    }

    // Many adds, a remove and more adds, then the program ends: it waits for the last save.
    void fileEndsWithTheLastList() {
        TestHome home;
        QVERIFY(QDir().mkpath(home.applicationSupport()));
        UserDefaults defaults(UserDefaults::standardFilePath());
        FakeOpenPanel panel;
        QTableView table;
        QList<ExceptionEntry> lastRows;
        {
            ExceptionsList list(defaults, panel);
            table.setModel(&list.model());
            list.setSelectionModel(table.selectionModel());
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
            add(30);
            table.selectionModel()->select(
                QItemSelection(list.model().index(0, 0), list.model().index(9, 0)),
                QItemSelectionModel::Select);
            list.ExceptionsSegmentAction(1);
            add(5);
            lastRows = list.model().exceptionsTableData();
            list.applicationWillTerminate();
        }
        QCOMPARE(lastRows.size(), 25);
        QCOMPARE(ExceptionsFile::load(ExceptionsFile::standardPath()), lastRows);
    }
};

QTEST_MAIN(TestExceptionSaves)
#include "tst_exceptionsaves.moc"
