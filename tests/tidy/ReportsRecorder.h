// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Alerts.h"
#include "UserNotifications.h"

#include <QStringList>

// Keeps the alerts (answered with their first button) and notices posted while it lives,
// instead of showing them.
class ReportsRecorder {
public:
    ReportsRecorder() {
        UserNotifications::setSinkForTesting([this](const UserNotification &n) { notices << n; });
        Alerts::setPresenterForTesting([this](const Alert &a) {
            alerts << a;
            return Alerts::FirstButtonReturn;
        });
    }
    ~ReportsRecorder() {
        Alerts::setPresenterForTesting(nullptr);
        UserNotifications::setSinkForTesting(nullptr);
    }
    QStringList noticeTexts() const // "title: text"
    {
        QStringList texts;
        for (const UserNotification &n : notices)
            texts << n.title + ": " + n.informativeText;
        return texts;
    }
    QStringList alertTexts() const // "title: message [buttons]"
    {
        QStringList texts;
        for (const Alert &a : alerts)
            texts << a.title + ": " + a.message + " [" + a.buttons.join(", ") + "]";
        return texts;
    }

    QList<UserNotification> notices;
    QList<Alert> alerts;
};
