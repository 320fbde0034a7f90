// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModifierNames.h"
#include "Shortcut.h"
#include "TestHome.h"

#include <QtTest>

class TestShortcutNames : public QObject {
    Q_OBJECT
    TestHome home;

private slots:

    void keyName_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("keyEquivalent");
        const auto row = [](const char *layout, quint64 keyCode, const char *name,
                            const char *keyEquivalent, const char *what) {
            QTest::addRow("%s %s", layout, what)
                << QString::fromLatin1(layout) << keyCode << QString::fromUtf8(name)
                << QString::fromUtf8(keyEquivalent);
        };
        row("us", 0, "A", "a", "A");
        row("de", 16, "Z", "z", "Y's place types Z");
        row("de", 27, "SS", "", "sharp s upper-cases to two letters");
        row("fr", 0, "Q", "q", "A's place types Q");
        row("fr", 33, "^", "^", "dead circumflex");
        row("fr", 49, "Space", " ", "Space");
        row("us", 36, "\u21A9", "\u21A9", "Return keeps its glyph");
        row("us", 78, "\u2013", "\u2013", "keypad minus is an en dash");
        row("us", 120, "F2", "\uF705", "F2");
        // F20 has no fixed name: the layout gives its key a keysym without character.
        row("us", 90, "", "", "F20 through the layout");
        row("us", NotFound, "", "", "no key");
    }
    void keyName() {
        QFETCH(QString, layout);
        QFETCH(quint64, keyCode);
        QFETCH(QString, name);
        QFETCH(QString, keyEquivalent);
        const KeyboardLayout keyboard = KeyboardLayout::named(layout);
        QVERIFY(keyboard.isValid());
        const Shortcut shortcut(keyCode, Command);
        QCOMPARE(shortcut.keyCodeString(keyboard), name);
        QCOMPARE(shortcut.keyCodeStringForKeyEquivalent(keyboard), keyEquivalent);
    }

    void description_data() {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("description");
        const auto row = [](const char *name, quint64 keyCode, quint64 flags, const char *text) {
            QTest::newRow(name) << keyCode << flags << QString::fromUtf8(text);
        };
        row("all four", 0, Command | Shift | Option | Control, "\u2303\u2325\u21E7\u2318A");
        row("no key, Command", NotFound, Command, "\u2318");
        row("no modifier", 96, 0, "F5");
    }
    void description() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, description);
        const Shortcut shortcut(keyCode, flags);
        QCOMPARE(shortcut.description(KeyboardLayout::named(QStringLiteral("us"))), description);
    }
};

QTEST_MAIN(TestShortcutNames)
#include "tst_shortcutnames.moc"
