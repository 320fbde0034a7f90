// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ItemFilter.h"
#include "PendingNotice.h"

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class MoveJournal;
class MoveWorker;
class UserDefaults;

// What started a clean. They share one algorithm and differ in their gate, their reports and
// when they move. The command line's clean is the shortcut's, told by notices only: it may run
// where no window can be shown.
enum class CleanTrigger { Button, Shortcut, Automatic, CommandLine };

// A number read the way a text field gives its integerValue: leading white space, an optional
// sign, then decimal digits as far as they go; 0 when there are none ("12abc" → 12, "abc" → 0,
// "-3" → -3). Saturates at the limits of a 64-bit integer.
qint64 integerValue(const QString &text);

// The clean: moves every cleanable Desktop item into destination / "Quillmere" / month folder,
// creating the two folders when missing, and reports per trigger: alerts for the button and the
// shortcut, notices for the shortcut's empty Desktop and the automatic clean's missing
// destination, one "Clean Complete" notice per run and trigger. Reads the settings and the
// window's fields afresh on every run; knows nothing of the window itself. The listing and the
// moves run on a MoveWorker; a run asked for while another is in hand waits for it (at most one
// waiting per trigger). Moves nothing on a Desktop that DesktopSafety refuses, nor while the
// excepted names cannot be decoded. Main thread only.
class Cleaner {
public:
    struct Inputs {
        std::function<QString()> destinationText = {}; // the destination field's text
        std::function<QString()> thresholdText = {};   // the automatic clean's threshold field
        // The exceptions table's rows, logged by the automatic clean; none: a null QVariant.
        std::function<QVariant()> exceptionsTableData = {};
        std::function<QDate()> today = &QDate::currentDate;
        // Called as a run ends, with the number of items it left on the Desktop when it listed
        // the Desktop (none when it ended before).
        std::function<void(CleanTrigger, std::optional<quint64> itemsLeft)> runEnded = {};
        // Where each run's moves are recorded, so that they can be undone; none: nowhere.
        std::shared_ptr<MoveJournal> journal = {};
        // Called before runEnded when a run ends without cleaning, with the reason in one line:
        // no destination, a Desktop that must not be cleaned.
        std::function<void(CleanTrigger, const QString &reason)> refused = {};
    };
    // The last run that moved items: when it ended, the items it found and those it moved.
    struct LastClean {
        QDateTime ended;
        qsizetype found = 0;
        qsizetype moved = 0;
    };

    // `worker`: shared with the restore (not owned); null: a worker of its own.
    Cleaner(const UserDefaults &defaults, Inputs inputs, MoveWorker *worker = nullptr);
    ~Cleaner();

    // The button's and the shortcut handler's clean, and the automatic clean on a change of the
    // Desktop (which does nothing while AutoClean is off). Starts at once when no run is in
    // hand, else when it has ended.
    void cleanDesktopItems(CleanTrigger trigger);
    // Whether a run of this trigger is in hand or waiting.
    bool hasRun(CleanTrigger trigger) const { return waiting_[int(trigger)] || inHand_ == trigger; }

    int pendingNoticeCount(CleanTrigger trigger) const;
    // The button the "Clean Complete" notices offer from now on.
    void setNoticeAction(const Notices::Action &action);
    // The command line's notice without the half-second wait (its process ends with its run).
    void postCommandLineNoticeAtOnce() { commandLineNotice_.setDelay(0); }
    std::optional<LastClean> lastClean() const { return lastClean_; }
    // Tests and benchmarks: runs the event loop until every run asked for has ended.
    void waitForIdle();

private:
    void run(CleanTrigger trigger);
    void ended(CleanTrigger trigger, std::optional<quint64> itemsLeft);
    // A run that could move what must stay: a Desktop that DesktopSafety refuses, or excepted
    // names that cannot be decoded (the files they protect are unknown). Says why (the
    // automatic clean once per start, not on every change) and returns true.
    bool refuses(CleanTrigger trigger);
    void reportMissingDestination(CleanTrigger trigger) const;
    void reportNothingToMove(CleanTrigger trigger, quint64 count, quint64 threshold) const;
    static PendingNotice Cleaner::*pendingNoticeOf(CleanTrigger trigger);

    const UserDefaults &defaults_;
    Inputs inputs_;
    ItemFilter filter_;
    PendingNotice buttonNotice_;
    PendingNotice shortcutNotice_;
    PendingNotice automaticNotice_;
    PendingNotice commandLineNotice_;
    std::unique_ptr<MoveWorker> ownWorker_;
    MoveWorker *worker_;
    bool waiting_[4] = {}; // per trigger
    std::optional<CleanTrigger> inHand_;
    QSet<QString> noticedRefusals_; // the shortcut's and the automatic clean's, told once
    std::optional<LastClean> lastClean_;
};
