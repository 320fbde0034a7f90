// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

struct UserNotification;

// The one routine that posts Quillmere's notices. By system generation it takes the
// notification-centre route (title, text, default sound) or, on the oldest generation, the
// Growl route; it logs which. Titles are looked up in the string table, texts used as given.
namespace Notices {
// A button the notice offers where the notification service shows buttons.
struct Action {
    QString label;
    std::function<void()> invoked;
};
void postNoticeWithTitle(const QString &title, const QString &text, const Action &action = {});

// Always the notification-centre route, without the generation test or its log line: the
// automatic clean's report of a missing destination.
void postNotificationCenterNotice(const QString &title, const QString &text,
                                  const Action &action = {});

// The notification centre's question whether to show a notice while Quillmere is the active
// application: always yes.
bool userNotificationCenterShouldPresentNotification(const UserNotification &notification);
} // namespace Notices
