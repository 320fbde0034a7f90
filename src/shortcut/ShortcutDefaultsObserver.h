// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Shortcut.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class ShortcutView;
class UserDefaults;

// Ties a ShortcutView to a settings key both ways: it shows the stored shortcut at once and again
// after any change of the settings, and stores every change the control makes at once (a cleared
// shortcut as the archive of nothing, not as a removed key). Ending it puts back the value the
// control had before, without storing it. Owned by the control.
class ShortcutDefaultsObserver : public QObject {
public:
    ShortcutDefaultsObserver(ShortcutView &view, UserDefaults &defaults, const QString &key);
    ~ShortcutDefaultsObserver() override; // stopObservingShortcutView

    QString userDefaultsKey() const { return userDefaultsKey_; }
    void stopObservingShortcutView();

private:
    void userDefaultsDidChange();
    void shortcutValueChanged();
    std::optional<Shortcut> storedShortcut() const;

    QPointer<ShortcutView> shortcutView_;
    QPointer<UserDefaults> defaults_;
    QString userDefaultsKey_;
    std::optional<Shortcut> originalShortcut_;
    bool internalPreferenceChange_ = false;
    bool internalShortcutChange_ = false;
    bool observing_ = false;
};
