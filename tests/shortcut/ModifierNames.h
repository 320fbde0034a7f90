// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Shortcut.h"

// Short names for the modifier bits and "no key", as the tests' tables write them.
namespace ModifierNames {
constexpr quint64 Shift = Shortcut::NSShiftKeyMask;
constexpr quint64 Control = Shortcut::NSControlKeyMask;
constexpr quint64 Option = Shortcut::NSAlternateKeyMask;
constexpr quint64 Command = Shortcut::NSCommandKeyMask;
constexpr quint64 NotFound = Shortcut::NSNotFound;
} // namespace ModifierNames
using namespace ModifierNames;
