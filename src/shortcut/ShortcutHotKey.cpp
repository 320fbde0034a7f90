// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortcutHotKey.h"

#include "KeyboardLayout.h"

#include <map>

namespace {
// Process-wide, without locks: everything here runs on the main thread.
quint32 hotKeyIdCounter = 0;

std::map<QString, std::unique_ptr<ShortcutHotKey>> &monitors() {
    static auto *registry = new std::map<QString, std::unique_ptr<ShortcutHotKey>>;
    return *registry;
}

bool installHotKeyHandler() {
    HotKeyService &service = HotKeyService::shared();
    return service.isEventHandlerInstalled() ||
           service.installEventHandler(&ShortcutMonitor::hotKeyHandler);
}
} // namespace

ShortcutHotKey::ShortcutHotKey(const Shortcut &shortcut, std::function<void()> handler)
    : shortcut_(shortcut)
    , handler_(std::move(handler)) {}

std::unique_ptr<ShortcutHotKey> ShortcutHotKey::create(const Shortcut &shortcut,
                                                       std::function<void()> handler) {
    std::unique_ptr<ShortcutHotKey> hotKey(new ShortcutHotKey(shortcut, std::move(handler)));
    if (!installHotKeyHandler())
        return nullptr;
    // Every attempt that gets this far takes an id, a refused one too.
    const quint32 id = ++hotKeyIdCounter;
    const quint64 ref = HotKeyService::shared().registerEventHotKey(
        shortcut.carbonKeyCode(), shortcut.carbonFlags(), {signature, id});
    if (ref == 0)
        return nullptr;
    hotKey->carbonHotKeyID_ = id;
    hotKey->carbonHotKey_ = ref;
    return hotKey;
}

ShortcutHotKey::~ShortcutHotKey() {
    uninstallExisitingHotKey();
}

void ShortcutHotKey::uninstallExisitingHotKey() {
    if (carbonHotKey_ != 0)
        HotKeyService::shared().unregisterEventHotKey(std::exchange(carbonHotKey_, 0));
}

std::optional<QString>
ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(const Shortcut &shortcut,
                                                    std::function<void()> handler) {
    const QString monitor = shortcut.description(KeyboardLayout::current());
    if (monitors().contains(monitor))
        return std::nullopt;
    auto hotKey = ShortcutHotKey::create(shortcut, std::move(handler));
    if (!hotKey)
        return std::nullopt;
    monitors()[monitor] = std::move(hotKey);
    return monitor;
}

void ShortcutMonitor::removeGlobalHotkeyMonitor(const std::optional<QString> &monitor) {
    if (!monitor)
        return;
    monitors().erase(*monitor);
    if (monitors().empty())
        HotKeyService::shared().removeEventHandler();
}

bool ShortcutMonitor::hasMonitor(const QString &monitor) {
    return monitors().contains(monitor);
}

void ShortcutMonitor::hotKeyHandler(EventHotKeyID id) {
    if (id.signature != ShortcutHotKey::signature)
        return;
    for (const auto &[key, hotKey] : monitors()) {
        if (hotKey->carbonHotKeyID() == id.id) {
            // A copy: the handler may remove its own monitor.
            if (const auto handler = hotKey->handler())
                handler();
            return;
        }
    }
}

void ShortcutMonitor::resetIdCounterForTesting() {
    hotKeyIdCounter = 0;
}
