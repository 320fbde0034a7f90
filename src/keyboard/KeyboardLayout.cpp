// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyboardLayout.h"

#include <QChar>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <array>
#include <utility>
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace {

struct ContextDeleter {
    void operator()(xkb_context *context) const { xkb_context_unref(context); }
};
using Context = std::unique_ptr<xkb_context, ContextDeleter>;

struct StateDeleter {
    void operator()(xkb_state *state) const { xkb_state_unref(state); }
};

Context newContext(xkb_context_flags flags) {
    return Context(xkb_context_new(flags));
}

// xkbcommon gives no character for dead keys; a dead key typed on its own (as the key's name
// shows it) is its spacing accent.
struct DeadKey {
    xkb_keysym_t keysym;
    char32_t character;
};
constexpr auto deadKeys = std::to_array<DeadKey>({
    {XKB_KEY_dead_grave, U'`'},
    {XKB_KEY_dead_acute, U'\u00B4'},
    {XKB_KEY_dead_circumflex, U'^'},
    {XKB_KEY_dead_tilde, U'~'},
    {XKB_KEY_dead_macron, U'\u00AF'},
    {XKB_KEY_dead_breve, U'\u02D8'},
    {XKB_KEY_dead_abovedot, U'\u02D9'},
    {XKB_KEY_dead_diaeresis, U'\u00A8'},
    {XKB_KEY_dead_abovering, U'\u02DA'},
    {XKB_KEY_dead_doubleacute, U'\u02DD'},
    {XKB_KEY_dead_caron, U'\u02C7'},
    {XKB_KEY_dead_cedilla, U'\u00B8'},
    {XKB_KEY_dead_ogonek, U'\u02DB'},
});

char32_t characterOfKeysym(xkb_keysym_t keysym) {
    const auto dead = std::ranges::find(deadKeys, keysym, &DeadKey::keysym);
    if (dead != deadKeys.end())
        return dead->character;
    return xkb_keysym_to_utf32(keysym);
}

struct QtKeysym {
    int qtKey;
    xkb_keysym_t keysym;
};
constexpr auto qtKeysyms = std::to_array<QtKeysym>({
    {Qt::Key_Escape, XKB_KEY_Escape},
    {Qt::Key_Tab, XKB_KEY_Tab},
    {Qt::Key_Backtab, XKB_KEY_ISO_Left_Tab},
    {Qt::Key_Backspace, XKB_KEY_BackSpace},
    {Qt::Key_Return, XKB_KEY_Return},
    {Qt::Key_Enter, XKB_KEY_KP_Enter},
    {Qt::Key_Insert, XKB_KEY_Insert},
    {Qt::Key_Delete, XKB_KEY_Delete},
    {Qt::Key_Pause, XKB_KEY_Pause},
    {Qt::Key_Print, XKB_KEY_Print},
    {Qt::Key_SysReq, XKB_KEY_Sys_Req},
    {Qt::Key_Clear, XKB_KEY_Clear},
    {Qt::Key_Home, XKB_KEY_Home},
    {Qt::Key_End, XKB_KEY_End},
    {Qt::Key_Left, XKB_KEY_Left},
    {Qt::Key_Up, XKB_KEY_Up},
    {Qt::Key_Right, XKB_KEY_Right},
    {Qt::Key_Down, XKB_KEY_Down},
    {Qt::Key_PageUp, XKB_KEY_Prior},
    {Qt::Key_PageDown, XKB_KEY_Next},
    {Qt::Key_Shift, XKB_KEY_Shift_L},
    {Qt::Key_Control, XKB_KEY_Control_L},
    {Qt::Key_Meta, XKB_KEY_Meta_L},
    {Qt::Key_Alt, XKB_KEY_Alt_L},
    {Qt::Key_Super_L, XKB_KEY_Super_L},
    {Qt::Key_Super_R, XKB_KEY_Super_R},
    {Qt::Key_CapsLock, XKB_KEY_Caps_Lock},
    {Qt::Key_NumLock, XKB_KEY_Num_Lock},
    {Qt::Key_ScrollLock, XKB_KEY_Scroll_Lock},
    {Qt::Key_Menu, XKB_KEY_Menu},
    {Qt::Key_Help, XKB_KEY_Help},
    {Qt::Key_VolumeDown, XKB_KEY_XF86AudioLowerVolume},
    {Qt::Key_VolumeMute, XKB_KEY_XF86AudioMute},
    {Qt::Key_VolumeUp, XKB_KEY_XF86AudioRaiseVolume},
});

struct KeypadKeysym {
    char16_t character;
    xkb_keysym_t keysym;
};
constexpr auto keypadKeysyms = std::to_array<KeypadKeysym>({
    {u'+', XKB_KEY_KP_Add},
    {u'-', XKB_KEY_KP_Subtract},
    {u'*', XKB_KEY_KP_Multiply},
    {u'/', XKB_KEY_KP_Divide},
    {u'.', XKB_KEY_KP_Decimal},
    {u',', XKB_KEY_KP_Separator},
    {u'=', XKB_KEY_KP_Equal},
});

} // namespace

void KeyboardLayout::KeymapDeleter::operator()(xkb_keymap *keymap) const {
    xkb_keymap_unref(keymap);
}

KeyboardLayout::KeyboardLayout(xkb_keymap *keymap, quint32 group)
    : keymap_(keymap)
    , group_(group) {}

KeyboardLayout::KeyboardLayout(KeyboardLayout &&) noexcept = default;
KeyboardLayout &KeyboardLayout::operator=(KeyboardLayout &&) noexcept = default;
KeyboardLayout::~KeyboardLayout() = default;

KeyboardLayout KeyboardLayout::current() {
    // Only the xcb platform has an X server behind it; offscreen and Wayland hand back a null
    // connection or none at all.
    if (qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb")) {
        const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
        const Context context = newContext(XKB_CONTEXT_NO_FLAGS);
        if (connection && context &&
            xkb_x11_setup_xkb_extension(
                connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
            const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
            xkb_keymap *keymap =
                device < 0 ? nullptr
                           : xkb_x11_keymap_new_from_device(context.get(), connection, device,
                                                            XKB_KEYMAP_COMPILE_NO_FLAGS);
            if (keymap) {
                const std::unique_ptr<xkb_state, StateDeleter> state(
                    xkb_x11_state_new_from_device(keymap, connection, device));
                const xkb_layout_index_t group =
                    state ? xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE) : 0;
                return KeyboardLayout(keymap, group);
            }
        }
    }
    // Null names: xkbcommon takes XKB_DEFAULT_RULES, _MODEL, _LAYOUT, _VARIANT and _OPTIONS from
    // the environment and falls back to evdev / pc105 / us.
    const Context context = newContext(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return KeyboardLayout(nullptr, 0);
    return KeyboardLayout(
        xkb_keymap_new_from_names(context.get(), nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS), 0);
}

KeyboardLayout KeyboardLayout::named(const QString &layout, const QString &variant) {
    const Context context = newContext(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!context)
        return KeyboardLayout(nullptr, 0);
    const QByteArray layoutName = layout.toUtf8();
    const QByteArray variantName = variant.toUtf8();
    const xkb_rule_names names{nullptr, nullptr, layoutName.constData(),
                               variant.isEmpty() ? nullptr : variantName.constData(), nullptr};
    return KeyboardLayout(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS), 0);
}

QString KeyboardLayout::unshiftedCharacter(quint32 xkbKeyCode) const {
    if (!keymap_)
        return {};
    const xkb_keysym_t *keysyms = nullptr;
    const int count =
        xkb_keymap_key_get_syms_by_level(keymap_.get(), xkbKeyCode, group_, 0, &keysyms);
    QString text;
    for (int i = 0; i < count; ++i) {
        const char32_t character = characterOfKeysym(keysyms[i]);
        if (character != 0)
            text += QString::fromUcs4(&character, 1);
    }
    return text;
}

QString KeyboardLayout::keysymName(quint32 xkbKeyCode) const {
    if (!keymap_)
        return {};
    const xkb_keysym_t *keysyms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap_.get(), xkbKeyCode, group_, 0, &keysyms) < 1)
        return {};
    std::array<char, 64> name{};
    if (xkb_keysym_get_name(keysyms[0], name.data(), name.size()) <= 0)
        return {};
    return QString::fromLatin1(name.data());
}

std::optional<quint32> KeyboardLayout::xkbKeyCode(quint32 keysym) const {
    if (!keymap_)
        return std::nullopt;
    xkb_keymap *keymap = keymap_.get();
    const xkb_layout_index_t groups = xkb_keymap_num_layouts(keymap);
    for (xkb_layout_index_t i = 0; i < groups; ++i) {
        // The active group first, then the others in order.
        const xkb_layout_index_t group = i == 0 ? group_ : (i <= group_ ? i - 1 : i);
        std::optional<std::pair<xkb_level_index_t, xkb_keycode_t>> best;
        for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap);
             key <= xkb_keymap_max_keycode(keymap); ++key) {
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, key, group);
            for (xkb_level_index_t level = 0; level < levels && (!best || level < best->first);
                 ++level) {
                const xkb_keysym_t *keysyms = nullptr;
                const int count =
                    xkb_keymap_key_get_syms_by_level(keymap, key, group, level, &keysyms);
                if (std::find(keysyms, keysyms + std::max(count, 0), keysym) !=
                    keysyms + std::max(count, 0))
                    best = std::pair(level, key);
            }
        }
        if (best)
            return best->second;
    }
    return std::nullopt;
}

std::optional<quint32> KeyboardLayout::keysymForQtKey(int qtKey, bool keypad) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35)
        return XKB_KEY_F1 + (qtKey - Qt::Key_F1);
    const auto special = std::ranges::find(qtKeysyms, qtKey, &QtKeysym::qtKey);
    if (special != qtKeysyms.end())
        return special->keysym;
    // Below the special keys a Qt key is the key's character, letters in upper case.
    if (qtKey <= 0 || qtKey >= Qt::Key_Escape)
        return std::nullopt;
    const char32_t character = QChar::toLower(char32_t(qtKey));
    if (keypad) {
        if (character >= U'0' && character <= U'9')
            return XKB_KEY_KP_0 + (character - U'0');
        const auto sign = std::ranges::find(keypadKeysyms, character, &KeypadKeysym::character);
        if (sign != keypadKeysyms.end())
            return sign->keysym;
    }
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(character);
    if (keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    return keysym;
}
