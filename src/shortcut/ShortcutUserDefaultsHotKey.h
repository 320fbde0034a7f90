// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Shortcut.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class UserDefaults;

// A global hot key that follows the shortcut stored under a settings key: registered from the
// value stored when it is made, and registered again (the old combination first released) after
// every write of that key. Nothing stored, or the archive of nothing, registers nothing.
// `registered`, when given, hears the outcome of every registration: an empty text when it
// worked (or nothing is stored), else one line saying which combination could not be registered.
class ShortcutUserDefaultsHotKey : public QObject {
public:
    using Outcome = std::function<void(const QString &failure)>;
    ShortcutUserDefaultsHotKey(UserDefaults &defaults, const QString &userDefaultsKey,
                               std::function<void()> handler, Outcome registered = {});
    ~ShortcutUserDefaultsHotKey() override;

    QString userDefaultsKey() const { return userDefaultsKey_; }
    // The monitor key of the hot key now registered; nullopt once the registry no longer has it.
    std::optional<QString> monitor() const;
    void installHotKeyFromUserDefaults();

private:
    QPointer<UserDefaults> defaults_;
    QString userDefaultsKey_;
    std::function<void()> handler_;
    Outcome registered_;
    std::optional<QString> monitor_;
};

// Hot keys kept under settings keys, one per key. Main thread only.
namespace ShortcutSettings {
// Replaces whatever was registered under the key.
void registerGlobalShortcutWithUserDefaultsKey(UserDefaults &defaults, const QString &key,
                                               std::function<void()> handler,
                                               ShortcutUserDefaultsHotKey::Outcome registered = {});
void unregisterGlobalShortcutWithUserDefaultsKey(const QString &key);
// Stores the shortcut under the key, or removes the key for nullopt.
void setGlobalShortcut(UserDefaults &defaults, const std::optional<Shortcut> &shortcut,
                       const QString &key);
const std::map<QString, std::unique_ptr<ShortcutUserDefaultsHotKey>> &
registeredUserDefaultsHotKeys();
} // namespace ShortcutSettings
