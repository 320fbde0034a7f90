// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Shortcut.h"

// Short names for the modifier bits and "no key", as the tests' tables write them.
constexpr quint64 Shift = Shortcut::NSShiftKeyMask, Control = Shortcut::NSControlKeyMask,
                  Option = Shortcut::NSAlternateKeyMask, Command = Shortcut::NSCommandKeyMask,
                  NotFound = Shortcut::NSNotFound;
