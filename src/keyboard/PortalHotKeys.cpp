// SPDX-License-Identifier: GPL-3.0-or-later
// Global keys where no X server grabs them: the desktop portal's global shortcuts. The portal
// binds a whole set of shortcuts to a session, so every change binds the current set in a new
// session; the recorded combination goes with each as its preferred trigger, and the desktop
// may let the user change it.
#include "HotKeyService.h"
#include "KeyCodes.h"
#include "KeyboardLayout.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QObject>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>
#include <map>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

struct PortalShortcut {
    QString id;
    QVariantMap options;
};

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.options;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace {

// "CTRL+ALT+k": the portal's form of a combination; empty for a key without a keysym.
QString triggerFor(quint32 keyCode, quint32 carbonFlags) {
    const auto xkb = KeyCodes::xkbKeyCode(keyCode);
    const QString key = xkb ? KeyboardLayout::current().keysymName(*xkb) : QString();
    if (key.isEmpty())
        return {};
    QStringList parts;
    if (carbonFlags & CarbonModifiers::controlKey)
        parts << QStringLiteral("CTRL");
    if (carbonFlags & CarbonModifiers::optionKey)
        parts << QStringLiteral("ALT");
    if (carbonFlags & CarbonModifiers::shiftKey)
        parts << QStringLiteral("SHIFT");
    if (carbonFlags & CarbonModifiers::cmdKey)
        parts << QStringLiteral("LOGO");
    parts << key;
    return parts.join(QLatin1Char('+'));
}

class PortalHotKeys : public QObject, public HotKeyBackend {
    Q_OBJECT
public:
    explicit PortalHotKeys(QDBusConnection bus)
        : bus_(std::move(bus)) {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        bus_.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"),
                     this, SLOT(activated(QDBusMessage)));
    }

    ~PortalHotKeys() override { closeSession(); }

    bool grab(quint64 ref, quint32 keyCode, quint32 carbonFlags) override {
        const QString trigger = triggerFor(keyCode, carbonFlags);
        if (trigger.isEmpty())
            return false;
        shortcuts_[ref] = {QStringLiteral("quillmere-%1").arg(ref), trigger};
        scheduleBind();
        return true;
    }

    void ungrab(quint64 ref) override {
        if (shortcuts_.erase(ref))
            scheduleBind();
    }

private slots:
    // Activated(o session_handle, s shortcut_id, t timestamp, a{sv} options)
    void activated(const QDBusMessage &message) {
        const QVariantList args = message.arguments();
        if (args.size() < 2 || args[0].value<QDBusObjectPath>().path() != session_)
            return;
        const QString id = args[1].toString();
        for (const auto &[ref, shortcut] : shortcuts_)
            if (shortcut.first == id && pressed)
                pressed(ref);
    }

    void sessionCreated(uint response, const QVariantMap &results) {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        session_ = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                        : handle.toString();
        if (response != 0 || session_.isEmpty()) {
            qWarning("The desktop portal refused a global shortcuts session (%u)", response);
            session_.clear();
            return;
        }
        QList<PortalShortcut> list;
        for (const auto &[ref, shortcut] : shortcuts_)
            list.append({shortcut.first,
                         {{QStringLiteral("description"), QStringLiteral("Quillmere")},
                          {QStringLiteral("preferred_trigger"), shortcut.second}}});
        QDBusMessage bind = QDBusMessage::createMethodCall(
            portalService, portalPath, shortcutsInterface, QStringLiteral("BindShortcuts"));
        bind << QVariant::fromValue(QDBusObjectPath(session_)) << QVariant::fromValue(list)
             << QString() << QVariantMap{{QStringLiteral("handle_token"), newToken()}};
        bus_.asyncCall(bind);
    }

private:
    QString newToken() {
        return QStringLiteral("quillmere%1").arg(QRandomGenerator::global()->generate());
    }

    // Where the portal answers a request made with `token`.
    QString requestPath(const QString &token) const {
        QString sender = bus_.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        return portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    }

    void scheduleBind() {
        if (std::exchange(bindScheduled_, true))
            return;
        QTimer::singleShot(0, this, [this] {
            bindScheduled_ = false;
            bind();
        });
    }

    void bind() {
        closeSession();
        if (shortcuts_.empty())
            return;
        const QString token = newToken();
        // Listening before asking, so that the answer cannot come first.
        bus_.disconnect(portalService, pendingRequest_, requestInterface,
                        QStringLiteral("Response"), this, SLOT(sessionCreated(uint, QVariantMap)));
        pendingRequest_ = requestPath(token);
        bus_.connect(portalService, pendingRequest_, requestInterface, QStringLiteral("Response"),
                     this, SLOT(sessionCreated(uint, QVariantMap)));
        QDBusMessage create = QDBusMessage::createMethodCall(
            portalService, portalPath, shortcutsInterface, QStringLiteral("CreateSession"));
        create << QVariantMap{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), newToken()}};
        bus_.asyncCall(create);
    }

    void closeSession() {
        if (session_.isEmpty())
            return;
        bus_.asyncCall(QDBusMessage::createMethodCall(
            portalService, session_, QStringLiteral("org.freedesktop.portal.Session"),
            QStringLiteral("Close")));
        session_.clear();
    }

    QDBusConnection bus_;
    std::map<quint64, std::pair<QString, QString>> shortcuts_; // ref → (id, trigger)
    QString session_;
    QString pendingRequest_;
    bool bindScheduled_ = false;
};

} // namespace

std::unique_ptr<HotKeyBackend> makePortalHotKeys() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    QDBusMessage version = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    version << shortcutsInterface << QStringLiteral("version");
    if (bus.call(version, QDBus::Block, 3000).type() != QDBusMessage::ReplyMessage)
        return nullptr;
    return std::make_unique<PortalHotKeys>(bus);
}

#include "PortalHotKeys.moc"
