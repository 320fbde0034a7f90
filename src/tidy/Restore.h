// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ItemFilter.h"
#include "PendingNotice.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class MoveJournal;
class MoveWorker;
class OpenPanel;
class UserDefaults;

// Brings cleaned items back: the user picks a folder (normally a month folder under
// destination / "Quillmere") and every cleanable item in it moves back onto the Desktop,
// never replacing a Desktop item. One "Restore Complete" notice per run; an alert when the
// folder holds nothing to restore, or when the Desktop is the home folder or above it
// (DesktopSafety). The listing and the moves run on a MoveWorker, after any run in hand. Main
// thread only.
class Restore : public QObject {
    Q_OBJECT
public:
    // `today`: the date whose month folder the restore names in the log. `worker`: shared with
    // the clean (not owned); null: a worker of its own.
    // `journal`: where each run's moves are recorded; none: nowhere.
    Restore(const UserDefaults &defaults, OpenPanel &panel,
            std::function<QDate()> today = &QDate::currentDate, MoveWorker *worker = nullptr,
            std::shared_ptr<MoveJournal> journal = {}, QObject *parent = nullptr);
    ~Restore() override;

    // Opens the folder chooser in destination / "Quillmere" (`destination` is the destination
    // field's text) and returns; the restore runs when the chooser completes.
    void restoreFiles(const QString &destination);

    // How a restore asked for by a command ended: the items found and moved back, or, when it
    // did not run, why (one line).
    struct Result {
        qsizetype found = 0;
        qsizetype moved = 0;
        QString refusal;
    };
    // The command line's restore of `folder`, without the chooser: told by notices, never by
    // alerts (it may run where no window can be shown); `ended` gets the result on this thread.
    void restoreFolder(const QString &folder, std::function<void(const Result &)> ended);
    // The command line's notice without the half-second wait (its process ends with its run).
    void postNoticeAtOnce() { notice_.setDelay(0); }

    int pendingNoticeCount() const { return notice_.pendingNoticeCount(); }
    // Tests: runs the event loop until the restore asked for has ended.
    void waitForIdle();

signals:
    void runEnded(); // a run that moved (or tried to move) items has ended

private:
    // `ended` null: the chooser's restore, told by alerts.
    void restoreFromFolder(const QString &folder, std::function<void(const Result &)> ended);
    void report(const QString &reason, const std::function<void(const Result &)> &ended) const;

    static constexpr int workerKey = 100; // apart from the clean's triggers
    OpenPanel &panel_;
    std::function<QDate()> today_;
    ItemFilter filter_;
    PendingNotice notice_;
    std::unique_ptr<MoveWorker> ownWorker_;
    MoveWorker *worker_;
    std::shared_ptr<MoveJournal> journal_;
};
