// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QHash>
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

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString actionKey = QStringLiteral("quillmere-action");

// The service's "actions" capability and the notices whose button is awaited, by notice id.
class ActionListener : public QObject {
    Q_OBJECT
public:
    static ActionListener &instance() {
        static auto *listener = new ActionListener(QCoreApplication::instance());
        return *listener;
    }
    bool showsActions = false;
    QHash<uint, std::function<void()>> waiting;

private:
    explicit ActionListener(QObject *parent)
        : QObject(parent) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                    SLOT(invoked(uint, QString)));
        bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                    SLOT(closed(uint, uint)));
        auto *watcher = new QDBusPendingCallWatcher(
            bus.asyncCall(QDBusMessage::createMethodCall(service, path, service,
                                                         QStringLiteral("GetCapabilities"))),
            this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
            const QDBusPendingReply<QStringList> reply = *watcher;
            showsActions = reply.isValid() && reply.value().contains(QStringLiteral("actions"));
            watcher->deleteLater();
        });
    }
private slots:
    // Only the notice's own button: a click on the notice itself ("default") must not undo.
    void invoked(uint id, const QString &key) {
        if (key != actionKey)
            return;
        if (const auto action = waiting.take(id))
            action();
    }
    void closed(uint id, uint) { waiting.remove(id); }
};

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
    ActionListener &listener = ActionListener::instance();
    const bool withAction = notification.actionInvoked && listener.showsActions;
    const QStringList actions =
        withAction ? QStringList{actionKey, notification.actionLabel} : QStringList();
    call << QStringLiteral("Quillmere") << 0u << QString() << notification.title
         << notification.informativeText << actions << hints << notification.expireTimeout;
    if (!withAction) {
        // No reply is awaited: a missing service only makes the bus answer with an error
        // nobody reads.
        bus.send(call);
        return;
    }
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), &listener);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &listener,
                     [watcher, action = notification.actionInvoked] {
                         const QDBusPendingReply<uint> reply = *watcher;
                         if (reply.isValid())
                             ActionListener::instance().waiting.insert(reply.value(), action);
                         watcher->deleteLater();
                     });
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

bool UserNotifications::serviceShowsActions() {
    return !sink() && ActionListener::instance().showsActions;
}

void UserNotifications::setDelegate(ShouldPresent shouldPresent) {
    delegate() = std::move(shouldPresent);
}

void UserNotifications::setSinkForTesting(std::function<void(const UserNotification &)> s) {
    sink() = std::move(s);
}

#include "UserNotifications.moc"
