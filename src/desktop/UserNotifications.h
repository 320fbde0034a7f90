// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantMap>
#include <functional>

// One desktop notice as Quillmere hands it to the notification service.
struct UserNotification {
    QString title;
    QString informativeText;
    bool defaultSound = false; // the desktop's default sound for a new message
    int expireTimeout = -1;    // milliseconds; -1: the service decides, 0: stays until closed
    QVariantMap hints;         // further fields for the service, by the freedesktop hint names
    // A button on the notice, where the service shows buttons ("actions" capability); a service
    // without them shows the notice without it. `actionInvoked` runs on the main thread when
    // the user presses it.
    QString actionLabel;
    std::function<void()> actionInvoked = {};
};

// Notices through the desktop's notification service (org.freedesktop.Notifications on the
// session bus). Fire and forget: without a session bus or a service the notice is lost
// silently; nothing waits for the service. A notice's one action is heard while Quillmere runs.
// Main thread only.
namespace UserNotifications {
// Shown at once, with the default sound when asked for.
void scheduleNotification(const UserNotification &notification);

// The older route for systems without a notification centre, kept for its fields: they travel
// as hints of the same service ("x-quillmere-notification-name", "x-quillmere-priority",
// "x-quillmere-sticky", "x-quillmere-click-context"); priority also sets the urgency and a
// sticky notice does not expire.
void notifyWithTitle(const QString &title, const QString &description,
                     const QString &notificationName, int priority, bool isSticky,
                     const QString &clickContext);

// Asked before a notice is shown while Quillmere is the active application; answering false
// holds it back. Without a delegate every notice is shown.
using ShouldPresent = std::function<bool(const UserNotification &)>;
void setDelegate(ShouldPresent shouldPresent);

// Whether the service shows buttons on notices; false until its answer has arrived (the first
// call asks it).
bool serviceShowsActions();

// Tests: every notice goes to `sink` instead of the session bus. A null sink restores the bus.
void setSinkForTesting(std::function<void(const UserNotification &)> sink);
} // namespace UserNotifications
