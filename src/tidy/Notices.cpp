// SPDX-License-Identifier: GPL-3.0-or-later
#include "Notices.h"

#include "Log.h"
#include "Strings.h"
#include "SystemVersion.h"
#include "UserNotifications.h"

#include <cmath>

namespace {
// The last generation without a notification centre.
constexpr double lastGenerationWithoutNotificationCenter = 1138;
} // namespace

void Notices::postNoticeWithTitle(const QString &title, const QString &text, const Action &action) {
    if (std::floor(SystemVersion::appKitVersionNumber()) >
        lastGenerationWithoutNotificationCenter) {
        NSLog(QStringLiteral("On a 10.8 - 10.9.x has notification center!"));
        postNotificationCenterNotice(title, text, action);
        return;
    }
    NSLog(QStringLiteral("On a 10.7 - 10.7.x system... which does not have notification center so "
                         "we will use growl."));
    UserNotifications::notifyWithTitle(localizedString(title), text,
                                       QStringLiteral("testGrowlNotification"), 0, false,
                                       QStringLiteral("launchNotifyClick"));
}

void Notices::postNotificationCenterNotice(const QString &title, const QString &text,
                                           const Action &action) {
    UserNotification notification;
    notification.title = localizedString(title);
    notification.informativeText = text;
    notification.defaultSound = true;
    notification.actionLabel = action.label;
    notification.actionInvoked = action.invoked;
    UserNotifications::scheduleNotification(notification);
    UserNotifications::setDelegate(&userNotificationCenterShouldPresentNotification);
}

bool Notices::userNotificationCenterShouldPresentNotification(const UserNotification &) {
    return true;
}
