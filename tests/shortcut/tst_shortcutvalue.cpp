// SPDX-License-Identifier: GPL-3.0-or-later
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
        const auto row = [](const char *name, quint64 keyCode, quint64 flags, bool valid) {
            QTest::newRow(name) << keyCode << flags << valid;
        };
        row("F5 alone", 96, 0, true);
        row("Shift-F5", 96, Shift, true);
        row("F20 alone", 90, 0, true);
        row("keypad 0 alone (inside the range, no function key)", 82, 0, false);
        row("Control-A", 0, Control, true);
        row("Command-A", 0, Command, true);
        row("Option-Space", 49, Option, true);
        row("Option-Shift-Escape", 53, Option | Shift, true);
        row("no key with Command", NotFound, Command, true);
        row("A alone", 0, 0, false);
        row("Shift-A", 0, Shift, false);
        row("Option-A", 0, Option, false);
        row("Option-Shift-A", 0, Option | Shift, false);
        row("Space alone", 49, 0, false);
        row("Escape alone", 53, 0, false);
    }
    void validity() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(bool, valid);
        QCOMPARE(Shortcut(keyCode, flags).isValid(), valid);
    }

    void flags_data() {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<quint64>("kept");
        QTest::addColumn<quint32>("carbonKeyCode");
        QTest::addColumn<quint32>("carbonFlags");
        const auto row = [](const char *name, quint64 keyCode, quint64 flags, quint64 kept,
                            quint32 carbonKeyCode, quint32 carbonFlags) {
            QTest::newRow(name) << keyCode << flags << kept << carbonKeyCode << carbonFlags;
        };
        row("Command-F2", 120, Command, Command, 120, 0x100);
        row("Command-Option", 1, Command | Option, Command | Option, 1, 0x900);
        row("all four", 1, 0x1E0000, 0x1E0000, 1, 0x1B00);
        // Caps Lock, keypad, Help, Function and device bits never stay.
        row("Command with Caps Lock", 0, Command | 0x10000, Command, 0, 0x100);
        row("every bit", 0, ~quint64(0), 0x1E0000, 0, 0x1B00);
        row("no key", NotFound, Command, Command, 0, 0x100);
    }
    void flags() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(quint64, kept);
        QFETCH(quint32, carbonKeyCode);
        QFETCH(quint32, carbonFlags);
        const Shortcut made(keyCode, flags);
        QCOMPARE(made.modifierFlags(), kept);
        QCOMPARE(made.carbonKeyCode(), carbonKeyCode);
        QCOMPARE(made.carbonFlags(), carbonFlags);
        Shortcut set(keyCode, 0);
        set.setModifierFlags(flags);
        QCOMPARE(set.modifierFlags(), kept);
    }

    void fromEvent_data() {
        QTest::addColumn<bool>("press");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        const auto row = [](const char *name, bool press, int key, Qt::KeyboardModifiers modifiers,
                            quint32 scanCode, quint64 keyCode, quint64 flags) {
            QTest::newRow(name) << press << key << modifiers << scanCode << keyCode << flags;
        };
        row("Super-A", true, Qt::Key_A, Qt::MetaModifier, 38, 0, Command);
        row("key without virtual code (Print)", true, Qt::Key_Print, Qt::ControlModifier, 107,
            NotFound, Control);
        // X11 reports the modifiers from before a modifier key's own event.
        row("Super released", false, Qt::Key_Super_L, Qt::MetaModifier, 133, 55, 0);
        // Synthesised events carry no scan code: the key is found in the layout.
        row("synthesised Control-A", true, Qt::Key_A, Qt::ControlModifier, 0, 0, Control);
    }
    void fromEvent() {
        QFETCH(bool, press);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(quint32, scanCode);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        const QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers,
                              scanCode, 0, 0);
        const Shortcut shortcut = Shortcut::shortcutWithEvent(event, KeyboardLayout::current());
        QCOMPARE(shortcut.keyCode(), keyCode);
        QCOMPARE(shortcut.modifierFlags(), flags);
    }

    void bypass_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<bool>("bypass");
        const auto row = [](const char *name, const char *layout, quint64 keyCode, quint64 flags,
                            bool bypass) {
            QTest::newRow(name) << QString::fromLatin1(layout) << keyCode << flags << bypass;
        };
        row("Command-W", "us", 13, Command, true);
        row("Command-Q", "us", 12, Command, true);
        row("Command-Shift-W", "us", 13, Command | Shift, false);
        row("Control-Q", "us", 12, Control, false);
        row("Command-E", "us", 14, Command, false);
        // The letter the layout types decides, not the key's place: AZERTY swaps A and Q.
        row("Command-Q on AZERTY (A's place)", "fr", 0, Command, true);
        row("Command-A on AZERTY (Q's place)", "fr", 12, Command, false);
    }
    void bypass() {
        QFETCH(QString, layout);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(bool, bypass);
        QCOMPARE(Shortcut(keyCode, flags).shouldBypass(KeyboardLayout::named(layout)), bypass);
    }
};

QTEST_MAIN(TestShortcutValue)
#include "tst_shortcutvalue.moc"
