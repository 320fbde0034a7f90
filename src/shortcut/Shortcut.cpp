// SPDX-License-Identifier: GPL-3.0-or-later
#include "Shortcut.h"

#include "KeyCodes.h"
#include "KeyedArchive.h"

#include <QKeyEvent>
#include <algorithm>
#include <array>

namespace {

bool allowsOptionHotkeys = false;

const QString shortcutClassName = QStringLiteral("Shortcut");
const QString keyCodeKey = QStringLiteral("KeyCode");
const QString modifierFlagsKey = QStringLiteral("ModifierFlags");

// The function keys F1–F20 (virtual key codes 64…122), one bit per code from 64 up.
constexpr quint64 functionKeyBits = 0x0542AEBF04018001;

bool isFunctionKey(quint64 keyCode) {
    return keyCode >= 64 && keyCode <= 122 && ((functionKeyBits >> (keyCode - 64)) & 1) != 0;
}

struct ModifierKey {
    int qtKey;
    quint64 flag;
};
constexpr auto modifierKeys = std::to_array<ModifierKey>({
    {Qt::Key_Shift, Shortcut::NSShiftKeyMask},
    {Qt::Key_Control, Shortcut::NSControlKeyMask},
    {Qt::Key_Alt, Shortcut::NSAlternateKeyMask},
    {Qt::Key_Meta, Shortcut::NSCommandKeyMask},
    {Qt::Key_Super_L, Shortcut::NSCommandKeyMask},
    {Qt::Key_Super_R, Shortcut::NSCommandKeyMask},
});

} // namespace

Shortcut::Shortcut(quint64 keyCode, quint64 modifierFlags)
    : keyCode_(keyCode)
    , modifierFlags_(modifierFlags & modifierMask) {}

Shortcut Shortcut::shortcutWithKeyCode(quint64 keyCode, quint64 modifierFlags) {
    return Shortcut(keyCode, modifierFlags);
}

quint64 Shortcut::modifierFlags(Qt::KeyboardModifiers modifiers) {
    quint64 flags = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        flags |= NSShiftKeyMask;
    if (modifiers.testFlag(Qt::ControlModifier))
        flags |= NSControlKeyMask;
    if (modifiers.testFlag(Qt::AltModifier))
        flags |= NSAlternateKeyMask;
    if (modifiers.testFlag(Qt::MetaModifier))
        flags |= NSCommandKeyMask;
    if (modifiers.testFlag(Qt::KeypadModifier))
        flags |= NSNumericPadKeyMask;
    return flags;
}

Shortcut Shortcut::shortcutWithEvent(const QKeyEvent &event, const KeyboardLayout &layout) {
    std::optional<quint64> keyCode;
    if (event.nativeScanCode() != 0) {
        keyCode = KeyCodes::virtualKeyCode(event.nativeScanCode());
    } else if (const auto keysym = KeyboardLayout::keysymForQtKey(
                   event.key(), event.modifiers().testFlag(Qt::KeypadModifier))) {
        const auto xkbKeyCode = layout.xkbKeyCode(*keysym);
        keyCode = xkbKeyCode ? KeyCodes::virtualKeyCode(*xkbKeyCode) : std::nullopt;
    }
    quint64 flags = modifierFlags(event.modifiers());
    // X11 reports a modifier key's event with the modifiers from before it; the recorder shows
    // the modifiers held after it.
    const auto modifierKey = std::ranges::find(modifierKeys, event.key(), &ModifierKey::qtKey);
    if (modifierKey != modifierKeys.end()) {
        if (event.type() == QEvent::KeyPress)
            flags |= modifierKey->flag;
        else
            flags &= ~modifierKey->flag;
    }
    return Shortcut(keyCode.value_or(NSNotFound), flags);
}

std::optional<Shortcut> Shortcut::shortcutWithData(const QByteArray &data) {
    if (data.isEmpty())
        return std::nullopt;
    const std::optional<QVariant> root = KeyedArchive::unarchiveObjectWithData(data);
    if (!root || root->metaType() != QMetaType::fromType<ArchivedObject>())
        return std::nullopt;
    const auto object = root->value<ArchivedObject>();
    if (object.className != shortcutClassName)
        return std::nullopt;
    // Absent fields read as 0; a negative key code (-1 is written for none) means no key.
    Shortcut shortcut(0, 0);
    const qint64 keyCode = object.field(keyCodeKey).value_or(0);
    shortcut.setKeyCode(keyCode < 0 ? NSNotFound : quint64(keyCode));
    shortcut.setModifierFlags(quint64(object.field(modifierFlagsKey).value_or(0)));
    return shortcut;
}

QByteArray Shortcut::data() const {
    const qint64 keyCode = keyCode_ == NSNotFound ? -1 : qint64(keyCode_);
    const ArchivedObject object{
        shortcutClassName,
        {shortcutClassName, QStringLiteral("NSObject")},
        {{keyCodeKey, keyCode}, {modifierFlagsKey, qint64(modifierFlags_)}}};
    return KeyedArchive::archivedDataWithRootObject(QVariant::fromValue(object));
}

quint32 Shortcut::carbonKeyCode() const {
    return keyCode_ == NSNotFound ? 0 : quint32(keyCode_);
}

quint32 Shortcut::carbonFlags() const {
    quint32 flags = 0;
    if (modifierFlags_ & NSCommandKeyMask)
        flags |= CarbonModifiers::cmdKey;
    if (modifierFlags_ & NSShiftKeyMask)
        flags |= CarbonModifiers::shiftKey;
    if (modifierFlags_ & NSAlternateKeyMask)
        flags |= CarbonModifiers::optionKey;
    if (modifierFlags_ & NSControlKeyMask)
        flags |= CarbonModifiers::controlKey;
    return flags;
}

bool Shortcut::shouldBypass(const KeyboardLayout &layout) const {
    if (modifierFlags_ != NSCommandKeyMask)
        return false;
    const QString name = keyCodeString(layout);
    return name == QLatin1String("W") || name == QLatin1String("Q");
}

bool Shortcut::isValid() const {
    if (isFunctionKey(keyCode_))
        return true;
    if (modifierFlags_ == 0)
        return false;
    if (modifierFlags_ & (NSCommandKeyMask | NSControlKeyMask))
        return true;
    if (!(modifierFlags_ & NSAlternateKeyMask))
        return false;                     // Shift alone
    if (keyCode_ == 49 || keyCode_ == 53) // Space, Escape
        return true;
    return allowsOptionHotkeys;
}

bool Shortcut::allowsAnyHotkeyWithOptionModifier() {
    return allowsOptionHotkeys;
}

void Shortcut::setAllowsAnyHotkeyWithOptionModifier(bool allows) {
    allowsOptionHotkeys = allows;
}
