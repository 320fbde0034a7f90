// SPDX-License-Identifier: GPL-3.0-or-later
// The shortcut value: which combinations are valid, the modifier bits it keeps and hands to hot
// keys, values made from key events, and the Command-W / Command-Q pass-through.
#include "ModifierNames.h"
#include "Shortcut.h"
#include "TestHome.h"

#include <QKeyEvent>
#include <QtTest>

class TestShortcutValue : public QObject {
    Q_OBJECT
    TestHome home; // layouts of the user's own ($XDG_CONFIG_HOME/xkb) stay out
private slots:
    void initTestCase() { qunsetenv("XKB_DEFAULT_LAYOUT"); }

    void validity_data() {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<bool>("valid");
        QTest::newRow("F5 alone") << quint64(96) << quint64(0) << true;
        QTest::newRow("Shift-F5") << quint64(96) << Shift << true;
        QTest::newRow("F17 alone (lowest function key code)") << quint64(64) << quint64(0) << true;
        QTest::newRow("F20 alone") << quint64(90) << quint64(0) << true;
        QTest::newRow("F1 alone (highest function key code)") << quint64(122) << quint64(0) << true;
        QTest::newRow("Control-A") << quint64(0) << Control << true;
        QTest::newRow("Command-A") << quint64(0) << Command << true;
        QTest::newRow("Option-Command-A") << quint64(0) << (Option | Command) << true;
        QTest::newRow("Option-Space") << quint64(49) << Option << true;
        QTest::newRow("Option-Shift-Escape") << quint64(53) << (Option | Shift) << true;
        QTest::newRow("no key with Command") << NotFound << Command << true;
        QTest::newRow("A alone") << quint64(0) << quint64(0) << false;
        QTest::newRow("Shift-A") << quint64(0) << Shift << false;
        QTest::newRow("Option-A") << quint64(0) << Option << false;
        QTest::newRow("Option-Shift-A") << quint64(0) << (Option | Shift) << false;
        QTest::newRow("Space alone") << quint64(49) << quint64(0) << false;
        QTest::newRow("Escape alone") << quint64(53) << quint64(0) << false;
        QTest::newRow("no key, no modifier") << NotFound << quint64(0) << false;
        // Codes inside 64…122 that are not function keys, and codes just outside the range.
        QTest::newRow("keypad 0 alone") << quint64(82) << quint64(0) << false;
        QTest::newRow("Home alone") << quint64(115) << quint64(0) << false;
        QTest::newRow("code 63 alone") << quint64(63) << quint64(0) << false;
        QTest::newRow("code 123 alone") << quint64(123) << quint64(0) << false;
        QTest::newRow("code 128 alone") << quint64(128) << quint64(0) << false;
    }
    void validity() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(bool, valid);
        QCOMPARE(Shortcut(keyCode, flags).isValid(), valid);
    }

    void optionHotkeysWhenAllowed() {
        QVERIFY(!Shortcut::allowsAnyHotkeyWithOptionModifier());
        Shortcut::setAllowsAnyHotkeyWithOptionModifier(true);
        const bool optionA = Shortcut(0, Option).isValid();
        const bool shiftA = Shortcut(0, Shift).isValid();
        Shortcut::setAllowsAnyHotkeyWithOptionModifier(false);
        QVERIFY(optionA);
        QVERIFY(!shiftA);
    }

    void flags_data() {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<quint64>("kept");
        QTest::addColumn<quint32>("carbonKeyCode");
        QTest::addColumn<quint32>("carbonFlags");
        QTest::newRow("no modifier") << quint64(0) << quint64(0) << quint64(0) << 0u << 0u;
        QTest::newRow("Command") << quint64(120) << Command << Command << 120u << 0x100u;
        QTest::newRow("Shift") << quint64(1) << Shift << Shift << 1u << 0x200u;
        QTest::newRow("Option") << quint64(1) << Option << Option << 1u << 0x800u;
        QTest::newRow("Control") << quint64(1) << Control << Control << 1u << 0x1000u;
        QTest::newRow("Command-Shift")
            << quint64(1) << (Command | Shift) << (Command | Shift) << 1u << 0x300u;
        QTest::newRow("Command-Option")
            << quint64(1) << (Command | Option) << (Command | Option) << 1u << 0x900u;
        QTest::newRow("all four") << quint64(1) << quint64(0x1E0000) << quint64(0x1E0000) << 1u
                                  << 0x1B00u;
        // Caps Lock, keypad, Help, Function and device bits never stay.
        QTest::newRow("Command with Caps Lock")
            << quint64(0) << (Command | 0x10000) << Command << 0u << 0x100u;
        QTest::newRow("every bit")
            << quint64(0) << ~quint64(0) << quint64(0x1E0000) << 0u << 0x1B00u;
        QTest::newRow("only foreign bits")
            << quint64(0) << quint64(0xE1FFFF) << quint64(0) << 0u << 0u;
        QTest::newRow("no key") << NotFound << Command << Command << 0u << 0x100u;
    }
    void flags() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(quint64, kept);
        QFETCH(quint32, carbonKeyCode);
        QFETCH(quint32, carbonFlags);
        const Shortcut made(keyCode, flags);
        QCOMPARE(made.keyCode(), keyCode);
        QCOMPARE(made.modifierFlags(), kept);
        QCOMPARE(made.carbonKeyCode(), carbonKeyCode);
        QCOMPARE(made.carbonFlags(), carbonFlags);
        Shortcut set(keyCode, 0);
        set.setModifierFlags(flags);
        QCOMPARE(set.modifierFlags(), kept);
    }

    void fromEvent_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        const int press = QEvent::KeyPress;
        const int release = QEvent::KeyRelease;
        QTest::newRow("Super-A") << press << int(Qt::Key_A)
                                 << Qt::KeyboardModifiers(Qt::MetaModifier) << 38u << quint64(0)
                                 << Command;
        QTest::newRow("all four with F2")
            << press << int(Qt::Key_F2)
            << (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) << 68u
            << quint64(120) << quint64(0x1E0000);
        QTest::newRow("keypad bit dropped")
            << press << int(Qt::Key_1) << (Qt::ControlModifier | Qt::KeypadModifier) << 87u
            << quint64(83) << Control;
        QTest::newRow("Insert key is Help")
            << press << int(Qt::Key_Insert) << Qt::KeyboardModifiers(Qt::ControlModifier) << 118u
            << quint64(114) << Control;
        QTest::newRow("Help key is Help")
            << press << int(Qt::Key_Help) << Qt::KeyboardModifiers(Qt::ControlModifier) << 146u
            << quint64(114) << Control;
        QTest::newRow("key without virtual code (Print)")
            << press << int(Qt::Key_Print) << Qt::KeyboardModifiers(Qt::ControlModifier) << 107u
            << NotFound << Control;
        // Modifier keys: X11 reports the modifiers from before the key's own event.
        QTest::newRow("Super pressed") << press << int(Qt::Key_Super_L) << Qt::KeyboardModifiers()
                                       << 133u << quint64(55) << Command;
        QTest::newRow("Super released")
            << release << int(Qt::Key_Super_L) << Qt::KeyboardModifiers(Qt::MetaModifier) << 133u
            << quint64(55) << quint64(0);
        QTest::newRow("Shift pressed, Super held")
            << press << int(Qt::Key_Shift) << Qt::KeyboardModifiers(Qt::MetaModifier) << 50u
            << quint64(56) << (Command | Shift);
        QTest::newRow("right Alt released, Control held")
            << release << int(Qt::Key_Alt) << (Qt::ControlModifier | Qt::AltModifier) << 108u
            << quint64(61) << Control;
        // Synthesised events carry no scan code: the key is found in the layout (us here).
        QTest::newRow("synthesised Control-A")
            << press << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ControlModifier) << 0u
            << quint64(0) << Control;
        QTest::newRow("synthesised F5") << press << int(Qt::Key_F5) << Qt::KeyboardModifiers() << 0u
                                        << quint64(96) << quint64(0);
        QTest::newRow("synthesised keypad 1")
            << press << int(Qt::Key_1) << Qt::KeyboardModifiers(Qt::KeypadModifier) << 0u
            << quint64(83) << quint64(0);
        QTest::newRow("synthesised key unknown to the layout")
            << press << int(Qt::Key_unknown) << Qt::KeyboardModifiers(Qt::MetaModifier) << 0u
            << NotFound << Command;
    }
    void fromEvent() {
        QFETCH(int, type);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(quint32, scanCode);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        const QKeyEvent event(QEvent::Type(type), key, modifiers, scanCode, 0, 0);
        const Shortcut shortcut = Shortcut::shortcutWithEvent(event);
        QCOMPARE(shortcut.keyCode(), keyCode);
        QCOMPARE(shortcut.modifierFlags(), flags);
    }

    void bypass_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<bool>("bypass");
        QTest::newRow("Command-W") << "us" << quint64(13) << Command << true;
        QTest::newRow("Command-Q") << "us" << quint64(12) << Command << true;
        QTest::newRow("Command-Shift-W") << "us" << quint64(13) << (Command | Shift) << false;
        QTest::newRow("Control-Q") << "us" << quint64(12) << Control << false;
        QTest::newRow("Command-E") << "us" << quint64(14) << Command << false;
        QTest::newRow("W alone") << "us" << quint64(13) << quint64(0) << false;
        // The letter the layout types decides, not the key's place: AZERTY swaps A and Q.
        QTest::newRow("Command-Q on AZERTY (A's place)") << "fr" << quint64(0) << Command << true;
        QTest::newRow("Command-A on AZERTY (Q's place)") << "fr" << quint64(12) << Command << false;
        QTest::newRow("Command-W on AZERTY (Z's place)") << "fr" << quint64(6) << Command << true;
    }
    void bypass() {
        QFETCH(QString, layout);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(bool, bypass);
        const KeyboardLayout keyboard = KeyboardLayout::named(layout);
        QVERIFY(keyboard.isValid());
        QCOMPARE(Shortcut(keyCode, flags).shouldBypass(keyboard), bypass);
    }
};

QTEST_MAIN(TestShortcutValue)
#include "tst_shortcutvalue.moc"
