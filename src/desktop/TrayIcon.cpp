// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrayIcon.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace {
constexpr int defaultThickness = 22;

bool statusNotifierHostRegistered() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusInterface iface(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return iface.property("IsStatusNotifierHostRegistered").toBool();
}

bool xembedManagerPresent() {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t *c = x11->connection();
    // The screen number follows the display name's ".N"; most displays have only screen 0.
    int screen = 0;
    const QByteArray display = qgetenv("DISPLAY");
    if (const qsizetype dot = display.lastIndexOf('.'); dot > display.lastIndexOf(':'))
        screen = display.mid(dot + 1).toInt();
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData()),
                              nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}
} // namespace

TrayAvailability detectTray() {
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (statusNotifierHostRegistered())
        return {wayland ? TrayKind::Wayland : TrayKind::StatusNotifier, {}};
    if (wayland)
        return {TrayKind::None,
                QObject::tr("no StatusNotifier host is registered on the session bus, and a "
                            "Wayland desktop offers no other tray")};
    if (xembedManagerPresent())
        return {TrayKind::XEmbed, {}};
    return {TrayKind::None, QObject::tr("the desktop runs no system tray: no StatusNotifier host "
                                        "on the session bus and no tray on the X display")};
}

TrayIcon::TrayIcon(TrayKind kind, QObject *parent)
    : QObject(parent)
    , kind_(kind) {
    connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::activated);
    icon_.setToolTip(QGuiApplication::applicationDisplayName());
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::setImage(const QImage &image) {
    icon_.setIcon(QIcon(QPixmap::fromImage(image)));
    if (!icon_.isVisible())
        icon_.show();
}

int TrayIcon::thickness() const {
    const QRect g = icon_.geometry();
    return kind_ == TrayKind::XEmbed && g.height() > 0 ? g.height() : defaultThickness;
}

std::optional<QRect> TrayIcon::hostFrame() const {
    switch (kind_) {
    case TrayKind::XEmbed:
        if (const QRect g = icon_.geometry(); g.isValid())
            return g;
        return std::nullopt;
    case TrayKind::StatusNotifier:
        return lastPress_;
    case TrayKind::Wayland:
    case TrayKind::None:
        break;
    }
    return std::nullopt;
}

void TrayIcon::activated(QSystemTrayIcon::ActivationReason reason) {
    // A second click soon after the first arrives as a double click: it is a press all the same.
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick)
        return;
    if (kind_ == TrayKind::StatusNotifier) {
        const QPoint p = QCursor::pos();
        if (const QScreen *screen = QGuiApplication::screenAt(p)) {
            const QRect s = screen->geometry();
            const int t = defaultThickness;
            const bool top = p.y() - s.top() < s.bottom() - p.y();
            lastPress_ = QRect(p.x() - t / 2, top ? s.top() : s.bottom() + 1 - t, t, t);
        }
    }
    emit pressed();
}
