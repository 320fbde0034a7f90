// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <optional>

// Shortcuts keep virtual key codes (kVK_*), which name a key by its place on the
// keyboard whatever the layout, so stored shortcuts read the same everywhere. X11 and xkbcommon
// number the same keys by XKB key code (evdev code + 8). This table maps between the two.
// It knows nothing of layouts or characters: that is KeyboardLayout.
namespace KeyCodes {
// The XKB key code of a virtual key code; nullopt for codes that name no key.
std::optional<quint32> xkbKeyCode(quint64 virtualKeyCode);
// The virtual key code of an XKB key code; nullopt for keys that have none (Print, media keys).
std::optional<quint64> virtualKeyCode(quint32 xkbKeyCode);
} // namespace KeyCodes

// The modifier bits of Carbon hot keys, the form in which hot keys and the desktop's own
// shortcuts carry their modifiers. Command is the Super key, Option is Alt.
namespace CarbonModifiers {
constexpr quint32 cmdKey = 0x100;
constexpr quint32 shiftKey = 0x200;
constexpr quint32 optionKey = 0x800;
constexpr quint32 controlKey = 0x1000;
} // namespace CarbonModifiers
