// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QMainWindow>

// Quillmere's main window. It can own a tray icon and hang attached below it, or stand free as
// an ordinary window; the program drives it through four properties only, always set in the
// order menuBarIcon, hasMenuBarIcon, attachedToMenuBar, isDetachable. Setting a property to
// the value it has already changes nothing.
// It knows nothing of tidying: what it shows is the content widget it is given.
class MenuBarWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MenuBarWindow(QWidget *parent = nullptr);

    QIcon menuBarIcon() const { return menuBarIcon_; }
    void setMenuBarIcon(const QIcon &icon);
    bool hasMenuBarIcon() const { return hasMenuBarIcon_; }
    void setHasMenuBarIcon(bool value);
    bool attachedToMenuBar() const { return attachedToMenuBar_; }
    void setAttachedToMenuBar(bool value);
    bool isDetachable() const { return detachable_; }
    void setDetachable(bool value);

signals:
    void hasMenuBarIconChanged(bool);
    void attachedToMenuBarChanged(bool);

private:
    QIcon menuBarIcon_;
    bool hasMenuBarIcon_ = false;
    bool attachedToMenuBar_ = false;
    bool detachable_ = true;
};
