// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuBarWindow.h"

MenuBarWindow::MenuBarWindow(QWidget *parent)
    : QMainWindow(parent) {}

void MenuBarWindow::setMenuBarIcon(const QIcon &icon) {
    menuBarIcon_ = icon;
}

void MenuBarWindow::setHasMenuBarIcon(bool value) {
    if (value == hasMenuBarIcon_)
        return;
    hasMenuBarIcon_ = value;
    // Without an icon there is nothing to hang below.
    if (!value)
        setAttachedToMenuBar(false);
    emit hasMenuBarIconChanged(value);
}

void MenuBarWindow::setAttachedToMenuBar(bool value) {
    if (value == attachedToMenuBar_ || (value && !hasMenuBarIcon_))
        return;
    attachedToMenuBar_ = value;
    emit attachedToMenuBarChanged(value);
}

void MenuBarWindow::setDetachable(bool value) {
    detachable_ = value;
}
