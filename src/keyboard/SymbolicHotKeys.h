// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "KeyCodes.h"
#include "KeyboardLayout.h"

#include <QList>
#include <QString>

// One global shortcut of the desktop: a virtual key code (KeyCodes) and CarbonModifiers bits.
struct SymbolicHotKey {
    quint64 keyCode = 0;
    quint32 modifiers = 0;
    friend bool operator==(const SymbolicHotKey &, const SymbolicHotKey &) = default;
};

// The global shortcuts that the desktop has configured, so that a new shortcut can be refused
// when the desktop already uses it. A binding set to nothing ("none", "disabled", empty) is no
// shortcut. Shortcuts whose key has no virtual key code, or that need a modifier beyond Shift,
// Control, Alt and Super, are left out: no Shortcut can equal them. Reads only; grabs nothing.
namespace SymbolicHotKeys {
// The shortcuts of the desktops named by XDG_CURRENT_DESKTOP (GNOME, KDE); an empty list on any
// other desktop or when nothing can be read. Key names are resolved through `layout`.
QList<SymbolicHotKey> copySymbolicHotKeys(const KeyboardLayout &layout = KeyboardLayout::current());

// GNOME's key bindings from GSettings (window manager, shell, media keys), for whichever of their
// schemas are installed.
QList<SymbolicHotKey> gnomeHotKeys(const KeyboardLayout &layout);
// KDE's global shortcuts from $XDG_CONFIG_HOME/kglobalshortcutsrc.
QList<SymbolicHotKey> kdeHotKeys(const KeyboardLayout &layout);
} // namespace SymbolicHotKeys
