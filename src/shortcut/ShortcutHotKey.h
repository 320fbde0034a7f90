// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HotKeyService.h"
#include "Shortcut.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

// One registration of a shortcut as a global hot key, and the handler its presses run. It is
// registered for exactly as long as it exists. Created and held by the monitor registry below.
class ShortcutHotKey {
public:
    static constexpr quint32 signature = 0x5155494C; // 'QUIL'

    // The registered hot key, or null when the combination cannot be registered (nothing is
    // reported: another program may hold it, or the session offers no global keys).
    static std::unique_ptr<ShortcutHotKey> create(const Shortcut &shortcut,
                                                  std::function<void()> handler);
    ~ShortcutHotKey(); // uninstallExisitingHotKey

    const Shortcut &shortcut() const { return shortcut_; }
    const std::function<void()> &handler() const { return handler_; }
    quint32 carbonHotKeyID() const { return carbonHotKeyID_; }
    void uninstallExisitingHotKey();

private:
    ShortcutHotKey(const Shortcut &shortcut, std::function<void()> handler);

    Shortcut shortcut_;
    std::function<void()> handler_;
    quint32 carbonHotKeyID_ = 0;
    quint64 carbonHotKey_ = 0; // the service's reference; 0: none
};

// The process's global hot keys, keyed by the shortcut's description (what the user sees, ⌘F2).
// A combination is registered once: a second monitor for it is refused and the first keeps it.
// Main thread only.
namespace ShortcutMonitor {
// The monitor key, or nullopt when nothing was registered.
std::optional<QString> addGlobalHotkeyMonitorWithShortcut(const Shortcut &shortcut,
                                                          std::function<void()> handler);
// Nothing for nullopt or an unknown key. The last monitor takes the event handler with it.
void removeGlobalHotkeyMonitor(const std::optional<QString> &monitor);
bool hasMonitor(const QString &monitor);

// What a press delivers: runs the handler of the hot key with this id when the signature is
// 'QUIL'; anything else runs nothing.
void hotKeyHandler(EventHotKeyID id);
// Tests: the id counter starts again from 0.
void resetIdCounterForTesting();
} // namespace ShortcutMonitor
