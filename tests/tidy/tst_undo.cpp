// SPDX-License-Identifier: GPL-3.0-or-later
// The undo of a clean over real folders: exactly the items of that run that are still where the
// clean put them go back, a name taken on the Desktop meanwhile is never replaced, the journal
// carries the undo across a restart, and a second undo does nothing.
#include "Cleaner.h"
#include "MonthFolder.h"
#include "MoveJournal.h"
#include "MoveWorker.h"
#include "StandIns.h"
#include "Undo.h"

#include <QFile>
#include <unistd.h>

class tst_Undo : public QObject {
    Q_OBJECT

private slots:
    void undoesTheLastClean_data() {
        QTest::addColumn<bool>("nameTaken");
        QTest::addColumn<bool>("restart");
        QTest::newRow("as it was") << false << false;
        QTest::newRow("a name taken on the Desktop meanwhile") << true << false;
        QTest::newRow("after a restart") << false << true;
    }
    void undoesTheLastClean() {
        QFETCH(bool, nameTaken);
        QFETCH(bool, restart);
        Sandbox s;
        const QString desktop = s.home.desktop();
        const QString month =
            s.home.documents() + "/Quillmere/" + monthFolderName(QDate::currentDate());
        // Files, a folder with its contents, a link, and names that are not plain text.
        const QByteArray odd = QByteArray("caf\xe9 \n.txt"); // Latin-1, with a line break
        TestHome::writeFile(desktop + "/notes.txt", "notes");
        TestHome::writeFile(desktop + "/project/src/main.c", "int main;");
        QVERIFY(symlink("notes.txt", QFile::encodeName(desktop + "/link")) == 0);
        TestHome::writeFile(QFile::decodeName(QFile::encodeName(desktop) + '/' + odd), "odd");
        TestHome::writeFile(desktop + "/moved away later", "x");

        MoveWorker worker;
        auto journal = std::make_shared<MoveJournal>(MoveJournal::standardPath());
        journal->open();
        Cleaner cleaner(s.defaults,
                        {.destinationText = [&] { return s.home.documents(); },
                         .thresholdText = [] { return QString(); },
                         .journal = journal},
                        &worker);
        cleaner.cleanDesktopItems(CleanTrigger::Button);
        cleaner.waitForIdle();
        QCOMPARE(entries(desktop), L());
        // After the clean: one item left the month folder, and maybe a name came back.
        QVERIFY(QFile::rename(month + "/moved away later", s.home.path() + "/elsewhere"));
        if (nameTaken)
            TestHome::writeFile(desktop + "/notes.txt", "new notes");
        if (restart) {
            journal = std::make_shared<MoveJournal>(MoveJournal::standardPath());
            journal->open();
        }

        Undo undo(journal, worker);
        const auto offer = undo.offer();
        QVERIFY(offer);
        QCOMPARE(offer->items, 5);
        QCOMPARE(Undo::offerText(*offer, offer->time),
                 "Undo the clean of " +
                     QLocale().toString(offer->time.time(), QLocale::ShortFormat) + ", 5 items");
        QSignalSpy undone(&undo, &Undo::undone);
        QVERIFY(undo.undoLastClean());
        undo.waitForIdle();
        QCOMPARE(undone.size(), 1);
        QCOMPARE(undone[0], QVariantList({nameTaken ? 3 : 4, nameTaken ? 1 : 0, 0}));

        QCOMPARE(content(desktop + "/notes.txt"), nameTaken ? "new notes" : "notes");
        QCOMPARE(content(month + "/notes.txt"), nameTaken ? "notes" : "missing");
        QCOMPARE(content(desktop + "/project/src/main.c"), "int main;");
        QCOMPARE(QFile::symLinkTarget(desktop + "/link"), desktop + "/notes.txt");
        QCOMPARE(content(QFile::decodeName(QFile::encodeName(desktop) + '/' + odd)), "odd");
        QVERIFY(!QFile::exists(desktop + "/moved away later"));
        QCOMPARE(s.reports.notices.last(),
                 nameTaken ? "Undo Complete: Moved back 3 items. 1 stayed in the month folder: "
                             "the Desktop already has an item of that name."
                           : "Undo Complete: Moved back 4 items.");

        // Undone once: nothing more, now or after another restart.
        QVERIFY(!undo.offer());
        QVERIFY(!undo.undoLastClean());
        auto reopened = std::make_shared<MoveJournal>(MoveJournal::standardPath());
        reopened->open();
        QVERIFY(!Undo(reopened, worker).offer());
    }

    // A journal cut off anywhere, or damaged in a record, still gives every whole run before it.
    void damagedJournalKeepsWholeRuns() {
        TestHome home;
        MoveJournal journal(MoveJournal::standardPath());
        const quint64 first =
            journal.beginRun(JournalRun::Kind::Clean, 0, 0, "/d/", "/m/", {"a", "b"});
        journal.failed(first, 1);
        journal.endRun(first, 2);
        journal.beginRun(JournalRun::Kind::Restore, 0, 0, "/m/", "/d/", {"c"});
        QFile file(MoveJournal::standardPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const qsizetype secondRun = bytes.lastIndexOf("QJB");
        for (qsizetype cut = secondRun; cut < bytes.size(); ++cut) {
            const auto runs = MoveJournal::decode(bytes.left(cut));
            QCOMPARE(runs.size(), size_t(1));
            QCOMPARE(runs[0].names, QList<QByteArray>({"a", "b"}));
            QCOMPARE(runs[0].failed, QSet<qsizetype>({1}));
        }
        QByteArray flipped = bytes;
        flipped[secondRun - 3] = char(flipped[secondRun - 3] ^ 1); // the end record's checksum
        const auto runs = MoveJournal::decode(flipped);
        QCOMPARE(runs.size(), size_t(2));
        QVERIFY(!runs[0].ended);
    }
};

QTEST_GUILESS_MAIN(tst_Undo)
#include "tst_undo.moc"
