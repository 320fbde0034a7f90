// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QStringList>

namespace {
UserNotifications::ShouldPresent &delegate() {
    static UserNotifications::ShouldPresent d;
    return d;
}

std::function<void(const UserNotification &)> &sink() {
    static std::function<void(const UserNotification &)> s;
    return s;
}

// The freedesktop urgency levels: 0 low, 1 normal, 2 critical.
uchar urgencyForPriority(int priority) {
    return priority < 0 ? 0 : priority < 2 ? 1 : 2;
}

void send(const UserNotification &notification) {
    if (QGuiApplication::applicationState() == Qt::ApplicationActive && delegate() &&
        !delegate()(notification))
        return;
    if (sink()) {
        sink()(notification);
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QVariantMap hints = notification.hints;
    if (notification.defaultSound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Quillmere") << 0u << QString() << notification.title
         << notification.informativeText << QStringList() << hints << notification.expireTimeout;
    // No reply is awaited: a missing service only makes the bus answer with an error nobody reads.
    bus.send(call);
}
} // namespace

void UserNotifications::scheduleNotification(const UserNotification &notification) {
    send(notification);
}

void UserNotifications::notifyWithTitle(const QString &title, const QString &description,
                                        const QString &notificationName, int priority,
                                        bool isSticky, const QString &clickContext) {
    UserNotification notification;
    notification.title = title;
    notification.informativeText = description;
    notification.expireTimeout = isSticky ? 0 : -1;
    notification.hints = {
        {QStringLiteral("urgency"), QVariant::fromValue(urgencyForPriority(priority))},
        {QStringLiteral("x-quillmere-notification-name"), notificationName},
        {QStringLiteral("x-quillmere-priority"), priority},
        {QStringLiteral("x-quillmere-sticky"), isSticky},
        {QStringLiteral("x-quillmere-click-context"), clickContext},
    };
    send(notification);
}

void UserNotifications::setDelegate(ShouldPresent shouldPresent) {
    delegate() = std::move(shouldPresent);
}

void UserNotifications::setSinkForTesting(std::function<void(const UserNotification &)> s) {
    sink() = std::move(s);
}
