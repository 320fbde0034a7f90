// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a shortcut is already in use by the desktop or by the application's menus.
#include "Shortcut.h"

#include "Strings.h"

namespace {

ShortcutError conflictError(const QString &message) {
    return ShortcutError{QStringLiteral("NSCocoaErrorDomain"), 0, message};
}

} // namespace

bool Shortcut::isTakenError(ShortcutError *error, const QList<SymbolicHotKey> &systemHotKeys,
                            const MenuModel &mainMenu, const KeyboardLayout &layout) const {
    // A desktop shortcut counts whether or not it is switched on, but only with exactly the same
    // modifiers.
    const quint32 flags = carbonFlags();
    for (const SymbolicHotKey &hotKey : systemHotKeys) {
        if (hotKey.keyCode == keyCode_ && hotKey.modifiers == flags) {
            if (error)
                *error = conflictError(localizedString(QT_TRANSLATE_NOOP(
                    "Quillmere",
                    "This combination cannot be used because it is already used by a system-wide "
                    "keyboard shortcut.\nIf you really want to use this key combination, most "
                    "shortcuts can be changed in the Keyboard & Mouse panel in System "
                    "Preferences.")));
            return true;
        }
    }
    return isKeyEquivalent(keyCodeStringForKeyEquivalent(layout), modifierFlags_, mainMenu, error);
}

bool Shortcut::isKeyEquivalent(const QString &keyEquivalent, quint64 flags, const MenuModel &menu,
                               ShortcutError *error) {
    for (const MenuItemModel &item : menu.itemArray) {
        if (item.hasSubmenu() && isKeyEquivalent(keyEquivalent, flags, *item.submenu, error))
            return true;
        if (item.keyEquivalent.toLower() != keyEquivalent)
            continue;
        // The same case compares the four modifiers; an upper-case key equivalent holds Shift
        // without its bit, so Shift is added and the whole mask compared.
        const bool taken = item.keyEquivalent == keyEquivalent
                               ? (item.keyEquivalentModifierMask & modifierMask) == flags
                               : (item.keyEquivalentModifierMask | NSShiftKeyMask) == flags;
        if (taken) {
            if (error)
                *error = conflictError(
                    localizedString(
                        QT_TRANSLATE_NOOP("Quillmere",
                                          "This shortcut cannot be used because it is "
                                          "already used by the menu item \u2018%@\u2019."))
                        .replace(QLatin1String("%@"), item.title));
            return true;
        }
    }
    return false;
}
