// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QAction;
struct MenuModel;

// One item of a menu as the shortcut conflict check sees it: the key equivalent written the way
// menus write it (a lower-case letter, or the upper-case letter when Shift is part of it; the
// private-use characters U+F700… for arrows and function keys) and the modifier flags of
// Shortcut (Shift, Control, Option, Command, plus the numeric-keypad bit 0x200000).
struct MenuItemModel {
    QString title;
    QString keyEquivalent;
    quint64 keyEquivalentModifierMask = 0;
    std::shared_ptr<const MenuModel> submenu;

    bool hasSubmenu() const { return submenu != nullptr; }
};

// A snapshot of a menu and its submenus, taken from Qt menus. It holds no pointer to them and
// does not follow later changes; take a new one for each check.
struct MenuModel {
    std::vector<MenuItemModel> itemArray;

    // Separators are left out; every other action counts, hidden or disabled alike.
    static MenuModel fromActions(const QList<QAction *> &actions);
    // The key equivalent and modifier mask of a Qt shortcut (its first key combination).
    static std::pair<QString, quint64> keyEquivalent(const QKeySequence &shortcut);
};
