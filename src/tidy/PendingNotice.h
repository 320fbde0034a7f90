// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Notices.h"

#include <QObject>
#include <QString>

// Makes one run of an operation post one completion notice. A run's end with moved items
// schedules the notice half a second later with the run's count; every item adds to the pending
// count; the
// notice sets it back to 0 when it is posted. A run that starts while a notice is still pending
// is absorbed by it. One per operation (each clean trigger, the restore). Main thread only.
class PendingNotice {
public:
    static constexpr int delayMilliseconds = 500;

    // `textFormat` holds "%@" where the count goes: "Finished Cleaning:%@ items".
    PendingNotice(QString title, QString textFormat);

    // A run ended having moved (or tried to move) `count` items; none: nothing.
    void itemsMoved(qsizetype count);
    int pendingNoticeCount() const { return pendingNoticeCount_; }
    // The button every later notice offers (an empty label: none).
    void setAction(Notices::Action action) { action_ = std::move(action); }
    // A run of its own (the command line's, which ends the process) posts without waiting.
    void setDelay(int milliseconds) { delay_ = milliseconds; }

private:
    QString title_;
    QString textFormat_;
    int pendingNoticeCount_ = 0;
    Notices::Action action_;
    int delay_ = delayMilliseconds;
    QObject lifetime_; // a notice still scheduled when this ends is dropped
};
