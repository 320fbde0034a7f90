// SPDX-License-Identifier: GPL-3.0-or-later
// The names of shortcuts: special keys by fixed glyphs and texts, other keys by the character
// the keyboard layout types, the modifier glyphs, and the key as menus write it.
#include "ModifierNames.h"
#include "Shortcut.h"
#include "TestHome.h"

#include <QtTest>

namespace {
// A layout of the user's own, found where xkbcommon looks for them ($XDG_CONFIG_HOME/xkb):
// the slash key types a non-breaking space, the equals key a zero-width space, the period key
// two letters at once.
const QByteArray userLayout = R"xkb(default partial alphanumeric_keys
xkb_symbols "basic" {
    include "us(basic)"
    name[Group1] = "Quillmere test";
    key <AB10> { [ nobreakspace, question ] };
    key <AE12> { [ U200B, plus ] };
    key <AB09> { [ {a, b}, greater ] };
};
)xkb";
} // namespace

// xkbcommon 1.5 leaks a few path strings on every keymap it compiles while a user folder
// ($XDG_CONFIG_HOME/xkb) exists, as it does here. LeakSanitizer reads this beside its other
// lists; the slow unwinder finds the library's frames, which have no frame pointers.
extern "C" __attribute__((used)) const char *__lsan_default_suppressions() {
    return "leak:libxkbcommon.so\n";
}
extern "C" __attribute__((used)) const char *__asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

class TestShortcutNames : public QObject {
    Q_OBJECT
    TestHome home;

private slots:
    void initTestCase() {
        TestHome::writeFile(home.path() + QStringLiteral("/.config/xkb/symbols/quilltest"),
                            userLayout);
    }

    void keyName_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<QString>("name");
        // Through the layout: the unshifted character, upper-cased.
        QTest::newRow("us A") << "us" << quint64(0) << "A";
        QTest::newRow("us grave") << "us" << quint64(50) << "`";
        QTest::newRow("us minus") << "us" << quint64(27) << "-";
        QTest::newRow("us 1") << "us" << quint64(18) << "1";
        QTest::newRow("de Y's place types Z") << "de" << quint64(16) << "Z";
        QTest::newRow("de Z's place types Y") << "de" << quint64(6) << "Y";
        QTest::newRow("de umlaut") << "de" << quint64(41) << "\u00D6";
        QTest::newRow("de sharp s upper-cases to SS") << "de" << quint64(27) << "SS";
        QTest::newRow("de dead acute") << "de" << quint64(24) << "\u00B4";
        QTest::newRow("fr A's place types Q") << "fr" << quint64(0) << "Q";
        QTest::newRow("fr 1's place types &") << "fr" << quint64(18) << "&";
        QTest::newRow("fr dead circumflex") << "fr" << quint64(33) << "^";
        QTest::newRow("fr e acute") << "fr" << quint64(19) << "\u00C9";
        // Fixed names, whatever the layout.
        QTest::newRow("Space") << "fr" << quint64(49) << "Space";
        QTest::newRow("Return") << "us" << quint64(36) << "\u21A9";
        QTest::newRow("keypad minus is an en dash") << "us" << quint64(78) << "\u2013";
        QTest::newRow("keypad 0 on AZERTY") << "fr" << quint64(82) << "0";
        QTest::newRow("keypad 9") << "de" << quint64(92) << "9";
        QTest::newRow("Help") << "us" << quint64(114) << "?";
        QTest::newRow("F17") << "us" << quint64(64) << "F17";
        QTest::newRow("F1") << "us" << quint64(122) << "F1";
        QTest::newRow("Up Arrow") << "us" << quint64(126) << "\u2191";
        // F20 is no fixed name: the layout gives its key a keysym without character.
        QTest::newRow("F20 through the layout") << "us" << quint64(90) << "";
        QTest::newRow("modifier key") << "us" << quint64(55) << "";
        QTest::newRow("no key") << "us" << NotFound << "";
        QTest::newRow("code without key") << "us" << quint64(127) << "";
        QTest::newRow("huge code") << "us" << (quint64(1) << 40) << "";
        // Characters nobody could read as a key name.
        QTest::newRow("non-breaking space") << "quilltest" << quint64(44) << "";
        QTest::newRow("zero-width space") << "quilltest" << quint64(24) << "";
        QTest::newRow("two characters") << "quilltest" << quint64(47) << "AB";
        QTest::newRow("user layout's own A") << "quilltest" << quint64(0) << "A";
    }
    void keyName() {
        QFETCH(QString, layout);
        QFETCH(quint64, keyCode);
        QFETCH(QString, name);
        const KeyboardLayout keyboard = KeyboardLayout::named(layout);
        QVERIFY(keyboard.isValid());
        QCOMPARE(Shortcut(keyCode, 0).keyCodeString(keyboard), name);
    }

    void keyEquivalent_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<QString>("keyEquivalent");
        QTest::newRow("letter") << "us" << quint64(0) << "a";
        QTest::newRow("umlaut") << "de" << quint64(41) << "\u00F6";
        QTest::newRow("Return keeps its glyph") << "us" << quint64(36) << "\u21A9";
        QTest::newRow("Space") << "us" << quint64(49) << " ";
        QTest::newRow("F2") << "us" << quint64(120) << "\uF705";
        QTest::newRow("F17") << "us" << quint64(64) << "\uF714";
        QTest::newRow("F19") << "us" << quint64(80) << "\uF716";
        QTest::newRow("F20 has no name") << "us" << quint64(90) << "";
        QTest::newRow("no key") << "us" << NotFound << "";
        QTest::newRow("two characters") << "quilltest" << quint64(47) << "";
        QTest::newRow("sharp s upper-cased to two") << "de" << quint64(27) << "";
    }
    void keyEquivalent() {
        QFETCH(QString, layout);
        QFETCH(quint64, keyCode);
        QFETCH(QString, keyEquivalent);
        const KeyboardLayout keyboard = KeyboardLayout::named(layout);
        QCOMPARE(Shortcut(keyCode, Command).keyCodeStringForKeyEquivalent(keyboard), keyEquivalent);
    }

    void description_data() {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("modifiers");
        QTest::addColumn<QString>("description");
        QTest::newRow("Command-F2") << quint64(120) << Command << "\u2318"
                                    << "\u2318F2";
        QTest::newRow("Control-Option-Space") << quint64(49) << (Control | Option) << "\u2303\u2325"
                                              << "\u2303\u2325Space";
        QTest::newRow("Command-Shift-A") << quint64(0) << (Command | Shift) << "\u21E7\u2318"
                                         << "\u21E7\u2318A";
        QTest::newRow("all four") << quint64(0) << (Command | Shift | Option | Control)
                                  << "\u2303\u2325\u21E7\u2318"
                                  << "\u2303\u2325\u21E7\u2318A";
        QTest::newRow("no key, Command") << NotFound << Command << "\u2318"
                                         << "\u2318";
        QTest::newRow("no modifier") << quint64(96) << quint64(0) << ""
                                     << "F5";
    }
    void description() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, modifiers);
        QFETCH(QString, description);
        const Shortcut shortcut(keyCode, flags);
        QCOMPARE(shortcut.modifierFlagsString(), modifiers);
        QCOMPARE(shortcut.description(KeyboardLayout::named(QStringLiteral("us"))), description);
    }

    // Without an X server the layout comes from the environment, "us" when it names none.
    void currentLayoutFromEnvironment() {
        const Shortcut zKey(6, Command);
        qunsetenv("XKB_DEFAULT_LAYOUT");
        QCOMPARE(zKey.keyCodeString(), QStringLiteral("Z"));
        qputenv("XKB_DEFAULT_LAYOUT", "de");
        const QString german = zKey.keyCodeString();
        qunsetenv("XKB_DEFAULT_LAYOUT");
        QCOMPARE(german, QStringLiteral("Y"));
    }
};

QTEST_MAIN(TestShortcutNames)
#include "tst_shortcutnames.moc"
