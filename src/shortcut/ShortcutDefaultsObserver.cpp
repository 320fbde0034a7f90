// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShortcutDefaultsObserver.h"

#include "KeyedArchive.h"
#include "ShortcutView.h"
#include "UserDefaults.h"

ShortcutDefaultsObserver::ShortcutDefaultsObserver(ShortcutView &view, UserDefaults &defaults,
                                                   const QString &key)
    : shortcutView_(&view)
    , defaults_(&defaults)
    , userDefaultsKey_(key)
    , originalShortcut_(view.shortcutValue()) {
    view.setShortcutValue(storedShortcut());
    connect(&defaults, &UserDefaults::didChange, this,
            &ShortcutDefaultsObserver::userDefaultsDidChange);
    // After loading the stored value, so that loading it does not write it back.
    connect(&view, &ShortcutView::shortcutValueChanged, this,
            &ShortcutDefaultsObserver::shortcutValueChanged);
    observing_ = true;
}

ShortcutDefaultsObserver::~ShortcutDefaultsObserver() {
    stopObservingShortcutView();
}

void ShortcutDefaultsObserver::stopObservingShortcutView() {
    if (!std::exchange(observing_, false))
        return;
    disconnect(shortcutView_, nullptr, this, nullptr);
    disconnect(defaults_, nullptr, this, nullptr);
    if (shortcutView_)
        shortcutView_->setShortcutValue(originalShortcut_);
}

std::optional<Shortcut> ShortcutDefaultsObserver::storedShortcut() const {
    if (!defaults_)
        return std::nullopt;
    return Shortcut::shortcutWithData(
        defaults_->dataForKey(userDefaultsKey_).value_or(QByteArray()));
}

void ShortcutDefaultsObserver::userDefaultsDidChange() {
    if (internalPreferenceChange_ || !shortcutView_)
        return;
    internalShortcutChange_ = true;
    shortcutView_->setShortcutValue(storedShortcut());
    internalShortcutChange_ = false;
}

void ShortcutDefaultsObserver::shortcutValueChanged() {
    if (internalShortcutChange_ || !shortcutView_ || !defaults_)
        return;
    const auto &value = shortcutView_->shortcutValue();
    internalPreferenceChange_ = true;
    // A cleared shortcut is stored as the archive of nothing: the key stays, saying "none".
    defaults_->setObject(value ? value->data() : KeyedArchive::archivedDataWithRootObject({}),
                         userDefaultsKey_);
    defaults_->synchronize();
    internalPreferenceChange_ = false;
}
