// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class MoveJournal;
class MoveWorker;

// Puts back exactly what the last clean moved: each of its items that is still where the clean
// put it goes back to the Desktop it came from. An item whose name the Desktop has taken
// meanwhile stays (nothing is ever replaced); one "Undo Complete" notice says how many went back
// and how many stayed, and why. The undo is journalled too, so that undoing again does nothing.
// The moves run on the MoveWorker, after any run in hand. Main thread only.
class Undo : public QObject {
    Q_OBJECT
public:
    struct Offer {
        QDateTime time; // when the clean ran, local time
        qsizetype items = 0;
    };

    // `worker`: shared with the clean and the restore (not owned).
    Undo(std::shared_ptr<MoveJournal> journal, MoveWorker &worker, QObject *parent = nullptr);

    // The clean that undoLastClean would undo: none when nothing ran since the last undo, or
    // when the last run was not a clean.
    std::optional<Offer> offer() const;
    // "Undo the clean of 14:02, 7 items" (the date too when it was not today).
    static QString offerText(const Offer &offer,
                             const QDateTime &now = QDateTime::currentDateTime());

    // Starts the undo of the last clean, when there is one; returns whether one was started.
    bool undoLastClean();
    // Tests and the command line: runs the event loop until the undo asked for has ended.
    void waitForIdle();

signals:
    // An undo has ended: `movedBack` items went back, `nameTaken` stayed because the Desktop
    // holds their names, `failed` could not be moved (logged).
    void undone(qsizetype movedBack, qsizetype nameTaken, qsizetype failed);

private:
    static constexpr int workerKey = 200; // apart from the clean's and the restore's
    std::shared_ptr<MoveJournal> journal_;
    MoveWorker &worker_;
};
