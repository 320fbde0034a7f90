// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <optional>

// The kinds of tray a Linux desktop may offer.
enum class TrayKind {
    None,           // no tray at all: an icon would never be seen
    XEmbed,         // an X11 system tray (tint2, many panels): it tells where the icon is
    StatusNotifier, // a StatusNotifierItem host (KDE, GNOME's AppIndicator): it does not
    Wayland,        // a host under Wayland, where no window can place itself
};

struct TrayAvailability {
    TrayKind kind = TrayKind::None;
    QString reason; // with None: why there is no tray, for the user
};

// The desktop's tray as Qt will use it: a StatusNotifierWatcher with a registered host on the
// session bus first, else the owner of the X11 manager selection _NET_SYSTEM_TRAY_S<screen>.
TrayAvailability detectTray();

// One icon in the tray for as long as it lives. It draws nothing itself: it shows the image it
// is given, reports presses, and says where the icon is when the tray lets it know.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(TrayKind kind, QObject *parent = nullptr);
    ~TrayIcon() override;

    TrayKind kind() const { return kind_; }
    void setImage(const QImage &image);
    // The height of the tray's bar: the icon's own where the tray tells it, else 22.
    int thickness() const;
    // Where the icon is on screen (Qt coordinates): the tray's own geometry (XEmbed); a square
    // of the bar's thickness under the pointer at the last press, at the screen edge nearer to
    // it (StatusNotifier); none under Wayland, or before the tray told anything.
    std::optional<QRect> hostFrame() const;

signals:
    void pressed();

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    TrayKind kind_;
    QSystemTrayIcon icon_;
    std::optional<QRect> lastPress_;
};
