// SPDX-License-Identifier: GPL-3.0-or-later
#include "SymbolicHotKeys.h"

#include "KeyCodes.h"

#include <QFile>
#include <QKeySequence>
#include <QStandardPaths>
// GLib names struct members "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")
#include <xkbcommon/xkbcommon.h>

namespace {

// A key of the layout, as the desktop names it, and the modifiers pressed with it.
std::optional<SymbolicHotKey> hotKey(std::optional<quint32> xkbKeyCode, quint32 modifiers) {
    const std::optional<quint64> keyCode =
        xkbKeyCode ? KeyCodes::virtualKeyCode(*xkbKeyCode) : std::nullopt;
    if (!keyCode)
        return std::nullopt;
    return SymbolicHotKey{*keyCode, modifiers};
}

// GTK accelerator syntax: "<Super>l", "<Primary><Alt>t", "<Shift><Super>Page_Down".
std::optional<SymbolicHotKey> parseGtkAccelerator(QString text, const KeyboardLayout &layout) {
    quint32 modifiers = 0;
    while (text.startsWith(QLatin1Char('<'))) {
        const qsizetype end = text.indexOf(QLatin1Char('>'));
        if (end < 0)
            return std::nullopt;
        const QString name = text.mid(1, end - 1).toLower();
        text = text.mid(end + 1);
        if (name == QLatin1String("shift"))
            modifiers |= CarbonModifiers::shiftKey;
        else if (name == QLatin1String("control") || name == QLatin1String("ctrl") ||
                 name == QLatin1String("ctl") || name == QLatin1String("primary"))
            modifiers |= CarbonModifiers::controlKey;
        // X11 puts Meta beside Alt (Mod1) and Hyper beside Super (Mod4).
        else if (name == QLatin1String("alt") || name == QLatin1String("mod1") ||
                 name == QLatin1String("meta"))
            modifiers |= CarbonModifiers::optionKey;
        else if (name == QLatin1String("super") || name == QLatin1String("mod4") ||
                 name == QLatin1String("hyper"))
            modifiers |= CarbonModifiers::cmdKey;
        else if (name != QLatin1String("release"))
            return std::nullopt; // Num Lock, AltGr and the like: no shortcut of ours has them
    }
    if (text.isEmpty())
        return std::nullopt;
    // Mutter's name for the key above Tab (the grave accent key), whatever it types.
    if (text == QLatin1String("Above_Tab"))
        return SymbolicHotKey{50, modifiers};
    const QByteArray name = text.toUtf8();
    xkb_keysym_t keysym = xkb_keysym_from_name(name.constData(), XKB_KEYSYM_NO_FLAGS);
    if (keysym == XKB_KEY_NoSymbol)
        keysym = xkb_keysym_from_name(name.constData(), XKB_KEYSYM_CASE_INSENSITIVE);
    if (keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    return hotKey(layout.xkbKeyCode(keysym), modifiers);
}

// Qt's portable key-sequence text, as KDE writes it: "Meta+E", "Ctrl+Alt+T", "Alt+Space".
std::optional<SymbolicHotKey> parseQtShortcut(const QString &text, const KeyboardLayout &layout) {
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (sequence.count() != 1) // empty, or several chords that no hot key can equal
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    const Qt::KeyboardModifiers qtModifiers = combination.keyboardModifiers();
    if (combination.key() == Qt::Key_unknown || qtModifiers.testFlag(Qt::GroupSwitchModifier))
        return std::nullopt;
    quint32 modifiers = 0;
    if (qtModifiers.testFlag(Qt::ShiftModifier))
        modifiers |= CarbonModifiers::shiftKey;
    if (qtModifiers.testFlag(Qt::ControlModifier))
        modifiers |= CarbonModifiers::controlKey;
    if (qtModifiers.testFlag(Qt::AltModifier))
        modifiers |= CarbonModifiers::optionKey;
    if (qtModifiers.testFlag(Qt::MetaModifier))
        modifiers |= CarbonModifiers::cmdKey;
    const std::optional<quint32> keysym =
        KeyboardLayout::keysymForQtKey(combination.key(), qtModifiers.testFlag(Qt::KeypadModifier));
    if (!keysym)
        return std::nullopt;
    return hotKey(layout.xkbKeyCode(*keysym), modifiers);
}

// KDE's configuration files escape backslashes, tabs and line breaks ("\\", "\t", "\n"), and a
// list entry escapes its separating commas once more ("\,"). Returns the list's elements.
QStringList kconfigList(const QString &value) {
    QStringList elements(QString{});
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar c = value[i];
        if (c == QLatin1Char(',')) {
            elements.append(QString{});
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            c = value[++i];
            if (c == QLatin1Char('\\') && i + 1 < value.size() && value[i + 1] == QLatin1Char(','))
                c = value[++i]; // "\\," : the list's escape, itself escaped
            else if (c == QLatin1Char('t'))
                c = QLatin1Char('\t');
            else if (c == QLatin1Char('n'))
                c = QLatin1Char('\n');
            else if (c == QLatin1Char('s'))
                c = QLatin1Char(' ');
        }
        elements.last().append(c);
    }
    return elements;
}

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct SchemaUnref {
    void operator()(GSettingsSchema *schema) const { g_settings_schema_unref(schema); }
};
struct VariantUnref {
    void operator()(GVariant *variant) const { g_variant_unref(variant); }
};
struct StrvFree {
    void operator()(gchar **strings) const { g_strfreev(strings); }
};

// The accelerators of every key of one schema: an "as" key holds a list, an "s" key one.
void appendGnomeSchema(const char *schemaId, const KeyboardLayout &layout,
                       QList<SymbolicHotKey> &hotKeys) {
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source)
        return;
    // A GSettings of a schema that is not installed, or of a relocatable one without a path,
    // aborts the process: look the schema up first.
    const std::unique_ptr<GSettingsSchema, SchemaUnref> schema(
        g_settings_schema_source_lookup(source, schemaId, TRUE));
    if (!schema || !g_settings_schema_get_path(schema.get()))
        return;
    const std::unique_ptr<GSettings, ObjectUnref> settings(
        g_settings_new_full(schema.get(), nullptr, nullptr));
    const std::unique_ptr<gchar *, StrvFree> keys(g_settings_schema_list_keys(schema.get()));
    for (gchar **key = keys.get(); *key; ++key) {
        const std::unique_ptr<GVariant, VariantUnref> value(
            g_settings_get_value(settings.get(), *key));
        QStringList accelerators;
        if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) {
            accelerators.append(QString::fromUtf8(g_variant_get_string(value.get(), nullptr)));
        } else if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING_ARRAY)) {
            gsize count = 0;
            const gchar **strings = g_variant_get_strv(value.get(), &count);
            for (gsize i = 0; i < count; ++i)
                accelerators.append(QString::fromUtf8(strings[i]));
            g_free(strings);
        }
        for (const QString &accelerator : accelerators)
            if (const auto hotKey = parseGtkAccelerator(accelerator, layout))
                hotKeys.append(*hotKey);
    }
}

} // namespace

QList<SymbolicHotKey> SymbolicHotKeys::gnomeHotKeys(const KeyboardLayout &layout) {
    QList<SymbolicHotKey> hotKeys;
    for (const char *schemaId :
         {"org.gnome.desktop.wm.keybindings", "org.gnome.mutter.keybindings",
          "org.gnome.mutter.wayland.keybindings", "org.gnome.shell.keybindings",
          "org.gnome.settings-daemon.plugins.media-keys"})
        appendGnomeSchema(schemaId, layout, hotKeys);
    return hotKeys;
}

QList<SymbolicHotKey> SymbolicHotKeys::kdeHotKeys(const KeyboardLayout &layout) {
    QFile file(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/kglobalshortcutsrc"));
    QList<SymbolicHotKey> hotKeys;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return hotKeys;
    // Lines "action=active shortcuts,default shortcuts,description" in one group per component;
    // the active field holds tab-separated shortcuts or "none".
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('[')) || line.startsWith(QLatin1Char('#')) || equals < 0 ||
            line.startsWith(QLatin1String("_k_")))
            continue;
        const QString active = kconfigList(line.mid(equals + 1)).constFirst();
        for (const QString &text : active.split(QLatin1Char('\t'), Qt::SkipEmptyParts))
            if (text != QLatin1String("none"))
                if (const auto hotKey = parseQtShortcut(text, layout))
                    hotKeys.append(*hotKey);
    }
    return hotKeys;
}

QList<SymbolicHotKey> SymbolicHotKeys::copySymbolicHotKeys(const KeyboardLayout &layout) {
    QList<SymbolicHotKey> hotKeys;
    const QStringList desktops =
        QString::fromLocal8Bit(qgetenv("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'));
    if (desktops.contains(QLatin1String("GNOME"), Qt::CaseInsensitive))
        hotKeys += gnomeHotKeys(layout);
    if (desktops.contains(QLatin1String("KDE"), Qt::CaseInsensitive))
        hotKeys += kdeHotKeys(layout);
    return hotKeys;
}
