// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "KeyboardLayout.h"
#include "MenuModel.h"
#include "SymbolicHotKeys.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class QKeyEvent;

// Why a shortcut cannot be used, as the recorder shows it.
struct ShortcutError {
    QString domain;
    qint64 code = 0;
    QString localizedDescription;
};

// A keyboard shortcut: one key, by its layout-independent virtual key code (KeyCodes), and the
// modifiers Shift, Control, Option (Alt) and Command (Super) in the bits below. Only those four
// bits are ever kept. A plain value: it registers nothing and reads no settings. It has no
// equality of its own; the same shortcut is recognised by its description().
//
// Names follow the keyboard layout the caller passes (KeyboardLayout::current() for the user's):
// the value reads nothing itself.
class Shortcut {
public:
    static constexpr quint64 NSNotFound = 0x7FFFFFFFFFFFFFFF; // no key
    static constexpr quint64 NSShiftKeyMask = 0x20000;
    static constexpr quint64 NSControlKeyMask = 0x40000;
    static constexpr quint64 NSAlternateKeyMask = 0x80000; // Option
    static constexpr quint64 NSCommandKeyMask = 0x100000;
    static constexpr quint64 NSNumericPadKeyMask = 0x200000; // menus only, never kept here
    static constexpr quint64 modifierMask = 0x1E0000;

    Shortcut(quint64 keyCode, quint64 modifierFlags);
    static Shortcut shortcutWithKeyCode(quint64 keyCode, quint64 modifierFlags);
    // A key press or release. The key is the event's native scan code (the XKB key code);
    // events without one (synthesised ones) are looked up by their Qt key in `layout`.
    // A key without virtual key code (Print, media keys) gives NSNotFound. A modifier key's own
    // event carries the modifiers as they are after it.
    static Shortcut shortcutWithEvent(const QKeyEvent &event, const KeyboardLayout &layout);
    // The Shift / Control / Option / Command bits of Qt modifiers; Keypad gives
    // NSNumericPadKeyMask.
    static quint64 modifierFlags(Qt::KeyboardModifiers modifiers);

    // The stored form: a keyed archive of the class "Shortcut" with the integers "KeyCode" (-1
    // for no key) and "ModifierFlags". nullopt for empty bytes, bytes that are not a keyed
    // archive, an archive of nothing ($null root, which records a cleared shortcut) and an
    // archive of anything but a Shortcut.
    static std::optional<Shortcut> shortcutWithData(const QByteArray &data);
    QByteArray data() const;

    quint64 keyCode() const { return keyCode_; }
    void setKeyCode(quint64 keyCode) { keyCode_ = keyCode; }
    quint64 modifierFlags() const { return modifierFlags_; }
    void setModifierFlags(quint64 modifierFlags) { modifierFlags_ = modifierFlags & modifierMask; }

    // What hot-key registration takes: the key code (0 for no key) and CarbonModifiers bits.
    quint32 carbonKeyCode() const;
    quint32 carbonFlags() const;

    // Command-W and Command-Q (by the letter the layout types): the recorder lets them through.
    bool shouldBypass(const KeyboardLayout &layout) const;
    // Whether the combination may serve as a global shortcut: a function key alone, anything with
    // Command or Control, Option(-Shift) with Space or Escape.
    bool isValid() const;
    // Makes isValid() accept Option with any key. Off unless set; one switch per process.
    static bool allowsAnyHotkeyWithOptionModifier();
    static void setAllowsAnyHotkeyWithOptionModifier(bool allows);

    // The key's name: a glyph or fixed text for special keys, else the upper-cased character the
    // layout types without modifiers; empty for no key or a key that types nothing printable.
    QString keyCodeString(const KeyboardLayout &layout) const;
    // ⌃⌥⇧⌘, those present, in that order.
    QString modifierFlagsString() const;
    // The modifiers and the key name, e.g. ⌘F2: what the user sees.
    QString description(const KeyboardLayout &layout) const;
    // The key as a menu writes it: the lower-cased name when it is one character, else " " for
    // Space, a private-use character for F1–F19, or empty.
    QString keyCodeStringForKeyEquivalent(const KeyboardLayout &layout) const;

    // Whether the desktop's own shortcuts (SymbolicHotKeys) or the application's main menu already
    // use the combination. When one does and `error` is given, `error` says which. The caller
    // gathers both sources: the value reads nothing itself.
    bool isTakenError(ShortcutError *error, const QList<SymbolicHotKey> &systemHotKeys,
                      const MenuModel &mainMenu, const KeyboardLayout &layout) const;
    // Whether an item of `menu` or of its submenus, depth first, has the key equivalent with the
    // flags; an upper-case key equivalent stands for Shift.
    static bool isKeyEquivalent(const QString &keyEquivalent, quint64 flags, const MenuModel &menu,
                                ShortcutError *error = nullptr);

private:
    quint64 keyCode_ = NSNotFound;
    quint64 modifierFlags_ = 0;
};
