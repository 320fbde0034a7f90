// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyedArchive.h"
#include "ModifierNames.h"
#include "TestHome.h"

#include <QKeyEvent>
#include <QtTest>

namespace {
QByteArray archived(const QString &className, const QList<QPair<QString, qint64>> &fields) {
    return KeyedArchive::archivedDataWithRootObject(
        QVariant::fromValue(ArchivedObject{className, {}, fields}));
}

struct Case {
    const char *layout;
    quint64 keyCode, flags;
    bool valid, bypass;
    const char16_t *description, *keyEquivalent;
    quint32 carbonFlags;
};
struct Recorded {
    QEvent::Type type;
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 scanCode;
    quint64 keyCode, flags;
};
} // namespace

class TestShortcut : public QObject {
    Q_OBJECT
    TestHome home; // layouts of the user's own ($XDG_CONFIG_HOME/xkb) stay out
private slots:
    void initTestCase() { qunsetenv("XKB_DEFAULT_LAYOUT"); }

    // Whether it may serve, whether the recorder lets it through (Command-W and Command-Q, by the
    // letter the layout types), its names, and the modifiers hot-key registration takes.
    void value_data() {
        QTest::addColumn<Case>("row");
        const auto row = [](const char *name, const Case &c) {
            QTest::newRow(name) << c;
        };
        // F20 has no fixed name, and the layout gives its key no character.
        row("F20", {"us", 90, 0, true, false, u"", u"", 0});
        row("keypad 0", {"us", 82, 0, false, false, u"0", u"0", 0});
        row("Shift-A", {"us", 0, Shift, false, false, u"\u21E7A", u"a", 0x200});
        row("Option-Space", {"us", 49, Option, true, false, u"\u2325Space", u" ", 0x800});
        // Caps Lock below the four modifiers and the keypad bit above them never stay.
        row("Command-W",
            {"us", 13, Command | 0x10000 | 0x200000, true, true, u"\u2318W", u"w", 0x100});
        row("AZERTY Command-Q", {"fr", 0, Command, true, true, u"\u2318Q", u"q", 0x100});
        row("AZERTY Command-A", {"fr", 12, Command, true, false, u"\u2318A", u"a", 0x100});
        row("AZERTY dead circumflex", {"fr", 33, Control, true, false, u"\u2303^", u"^", 0x1000});
        row("German sharp s", {"de", 27, Option, false, false, u"\u2325SS", u"", 0x800});
        row("no key, all four", {"us", NotFound, Shortcut::modifierMask, true, false,
                                 u"\u2303\u2325\u21E7\u2318", u"", 0x1B00});
    }
    void value() {
        QFETCH(Case, row);
        const KeyboardLayout layout = KeyboardLayout::named(row.layout);
        const Shortcut shortcut(row.keyCode, row.flags);
        QCOMPARE(shortcut.isValid(), row.valid);
        QCOMPARE(shortcut.shouldBypass(layout), row.bypass);
        QCOMPARE(shortcut.description(layout), QString::fromUtf16(row.description));
        QCOMPARE(shortcut.keyCodeStringForKeyEquivalent(layout),
                 QString::fromUtf16(row.keyEquivalent));
        QCOMPARE(shortcut.carbonFlags(), row.carbonFlags);
    }
    void recorded_data() {
        QTest::addColumn<Recorded>("row");
        const auto row = [](const char *name, const Recorded &r) {
            QTest::newRow(name) << r;
        };
        const auto press = QEvent::KeyPress;
        row("Control-Print", {press, Qt::Key_Print, Qt::ControlModifier, 107, NotFound, Control});
        // X11 gives a modifier key's own event the modifiers from before it.
        row("Control pressed", {press, Qt::Key_Control, Qt::NoModifier, 37, 59, Control});
        row("Super released", {QEvent::KeyRelease, Qt::Key_Super_L, Qt::MetaModifier, 133, 55, 0});
        // Synthesised events carry no scan code: the key is found in the layout.
        row("synthesised Command-A", {press, Qt::Key_A, Qt::MetaModifier, 0, 0, Command});
    }
    void recorded() {
        QFETCH(Recorded, row);
        const QKeyEvent event(row.type, row.key, row.modifiers, row.scanCode, 0, 0);
        const Shortcut shortcut = Shortcut::shortcutWithEvent(event, KeyboardLayout::current());
        QCOMPARE(shortcut.keyCode(), row.keyCode);
        QCOMPARE(shortcut.modifierFlags(), row.flags);
    }

    // The stored form other programs read: no key is written -1.
    void storedForm() {
        const ArchivedObject stored{
            "Shortcut", {"Shortcut", "NSObject"}, {{"KeyCode", -1}, {"ModifierFlags", 0x120000}}};
        QCOMPARE(KeyedArchive::unarchiveObjectWithData(Shortcut(NotFound, Command | Shift).data()),
                 std::optional(QVariant::fromValue(stored)));
    }

    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<std::optional<Shortcut>>("shortcut");
        const auto row = [](const char *name, const QByteArray &bytes,
                            std::optional<Shortcut> shortcut = {}) {
            QTest::newRow(name) << bytes << shortcut;
        };
        row("Command-F2, Caps Lock and keypad bits dropped",
            archived("Shortcut",
                     {{"KeyCode", 120}, {"ModifierFlags", 0x100000 | 0x10000 | 0x200000}}),
            Shortcut(120, Command));
        row("any negative is no key", archived("Shortcut", {{"KeyCode", -5}}),
            Shortcut(NotFound, 0));
        row("missing fields read 0", archived("Shortcut", {}), Shortcut(0, 0));
        row("another class", archived("NSColor", {{"KeyCode", 1}}));
        row("null root (a cleared shortcut)", KeyedArchive::archivedDataWithRootObject({}));
    }
    void decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(std::optional<Shortcut>, shortcut);
        const std::optional<Shortcut> decoded = Shortcut::shortcutWithData(bytes);
        QCOMPARE(decoded.has_value(), shortcut.has_value());
        QVERIFY(!decoded || (decoded->keyCode() == shortcut->keyCode() &&
                             decoded->modifierFlags() == shortcut->modifierFlags()));
    }
};

QTEST_MAIN(TestShortcut)
#include "tst_shortcut.moc"
