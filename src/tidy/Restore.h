// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ItemFilter.h"
#include "PendingNotice.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <functional>

class OpenPanel;
class UserDefaults;

// Brings cleaned items back: the user picks a folder (normally a month folder under
// destination / "Quillmere") and every cleanable item in it moves back onto the Desktop,
// never replacing a Desktop item. One "Restore Complete" notice per run; an alert when the
// folder holds nothing to restore, or when the Desktop is the home folder or above it
// (DesktopSafety). Main thread only.
class Restore : public QObject {
    Q_OBJECT
public:
    // `today`: the date whose month folder the restore names in the log.
    Restore(const UserDefaults &defaults, OpenPanel &panel,
            std::function<QDate()> today = &QDate::currentDate, QObject *parent = nullptr);

    // Opens the folder chooser in destination / "Quillmere" (`destination` is the destination
    // field's text) and returns; the restore runs when the chooser completes.
    void restoreFiles(const QString &destination);

    int pendingNoticeCount() const { return notice_.pendingNoticeCount(); }

private:
    void restoreFromFolder(const QString &folder);

    OpenPanel &panel_;
    std::function<QDate()> today_;
    ItemFilter filter_;
    PendingNotice notice_;
};
