// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>
#include <optional>

struct xkb_keymap;

// A keyboard layout (an xkbcommon keymap and the group in use) that tells which character a key
// types and which key types a character. Keys are XKB key codes; KeyCodes maps them to virtual
// key codes. It caches nothing across calls to current(): each call reads the layout afresh, so a
// layout switch shows at the next call. It does not track key state or grab anything.
class KeyboardLayout {
public:
    // The X server's keymap and active group when the program runs on X11; otherwise the layout
    // named by the environment (XKB_DEFAULT_LAYOUT and its companions), "us" when none is named.
    static KeyboardLayout current();
    // A layout by its XKB names, e.g. ("de"), ("fr", "bepo"), ignoring the environment.
    static KeyboardLayout named(const QString &layout, const QString &variant = {});

    KeyboardLayout(KeyboardLayout &&) noexcept;
    KeyboardLayout &operator=(KeyboardLayout &&) noexcept;
    ~KeyboardLayout();

    // False when no keymap could be had; such a layout types nothing and knows no key.
    bool isValid() const { return keymap_ != nullptr; }

    // What the key types without modifiers, dead keys as their spacing character ("´" for
    // dead_acute); empty when it types nothing or only a keysym without a character.
    QString unshiftedCharacter(quint32 xkbKeyCode) const;

    // The name of the keysym the key gives without modifiers ("k", "F2", "space"), as the
    // desktop portal's shortcut triggers write keys; empty when the key gives none.
    QString keysymName(quint32 xkbKeyCode) const;

    // The key that produces `keysym`, preferring the active group and the lowest shift level.
    std::optional<quint32> xkbKeyCode(quint32 keysym) const;

    // The keysym of a Qt key (Qt::Key_A → "a", Qt::Key_F2 → "F2"; with `keypad` the keypad
    // keysyms of digits and operators); nullopt for keys without one.
    static std::optional<quint32> keysymForQtKey(int qtKey, bool keypad = false);

private:
    struct KeymapDeleter {
        void operator()(xkb_keymap *keymap) const;
    };
    KeyboardLayout(xkb_keymap *keymap, quint32 group);

    std::unique_ptr<xkb_keymap, KeymapDeleter> keymap_;
    quint32 group_ = 0;
};
