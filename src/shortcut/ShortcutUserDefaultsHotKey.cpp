// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortcutUserDefaultsHotKey.h"

#include "Log.h"
#include "ShortcutHotKey.h"
#include "UserDefaults.h"

#include <QCoreApplication>

namespace {
std::map<QString, std::unique_ptr<ShortcutUserDefaultsHotKey>> &registry() {
    static auto *hotKeys = new std::map<QString, std::unique_ptr<ShortcutUserDefaultsHotKey>>;
    return *hotKeys;
}
} // namespace

ShortcutUserDefaultsHotKey::ShortcutUserDefaultsHotKey(UserDefaults &defaults,
                                                       const QString &userDefaultsKey,
                                                       std::function<void()> handler,
                                                       Outcome registered)
    : defaults_(&defaults)
    , userDefaultsKey_(userDefaultsKey)
    , handler_(std::move(handler))
    , registered_(std::move(registered)) {
    // Fires once at once: that registers the stored shortcut.
    defaults.observe(
        userDefaultsKey_, this,
        [this](const QVariant &) {
            ShortcutMonitor::removeGlobalHotkeyMonitor(monitor_);
            monitor_.reset();
            installHotKeyFromUserDefaults();
        },
        true);
}

ShortcutUserDefaultsHotKey::~ShortcutUserDefaultsHotKey() {
    // The observation ends with this object (its context).
    ShortcutMonitor::removeGlobalHotkeyMonitor(monitor_);
}

std::optional<QString> ShortcutUserDefaultsHotKey::monitor() const {
    return monitor_ && ShortcutMonitor::hasMonitor(*monitor_) ? monitor_ : std::nullopt;
}

void ShortcutUserDefaultsHotKey::installHotKeyFromUserDefaults() {
    if (!defaults_)
        return;
    const auto shortcut =
        Shortcut::shortcutWithData(defaults_->dataForKey(userDefaultsKey_).value_or(QByteArray()));
    QString failure;
    if (shortcut) {
        monitor_ = ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(*shortcut, handler_);
        if (!monitor_) {
            const QString name = shortcut->description(KeyboardLayout::current());
            NSLog(QStringLiteral("The shortcut %1 stored under %2 is not a global hot key: it is "
                                 "in use, or this session has no global keys")
                      .arg(name, userDefaultsKey_));
            failure = QCoreApplication::translate(
                          "ShortcutUserDefaultsHotKey",
                          "%1 is held by another program or by the desktop: record another "
                          "shortcut.")
                          .arg(name);
        }
    }
    if (registered_)
        registered_(failure);
}

void ShortcutSettings::registerGlobalShortcutWithUserDefaultsKey(
    UserDefaults &defaults, const QString &key, std::function<void()> handler,
    ShortcutUserDefaultsHotKey::Outcome registered) {
    // The one it replaces goes first: it holds the combination the new one registers.
    registry().erase(key);
    registry()[key] = std::make_unique<ShortcutUserDefaultsHotKey>(
        defaults, key, std::move(handler), std::move(registered));
}

void ShortcutSettings::unregisterGlobalShortcutWithUserDefaultsKey(const QString &key) {
    registry().erase(key);
}

void ShortcutSettings::setGlobalShortcut(UserDefaults &defaults,
                                         const std::optional<Shortcut> &shortcut,
                                         const QString &key) {
    if (shortcut)
        defaults.setObject(shortcut->data(), key);
    else
        defaults.removeObject(key);
}

const std::map<QString, std::unique_ptr<ShortcutUserDefaultsHotKey>> &
ShortcutSettings::registeredUserDefaultsHotKeys() {
    return registry();
}
