// SPDX-License-Identifier: GPL-3.0-or-later
// Conflict checks: a shortcut is refused when the desktop's own global shortcuts or the
// application's menus already use it, with the sentence the user is shown.
#include "ModifierNames.h"
#include "Shortcut.h"
#include "TestHome.h"

#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {
constexpr quint32 cmdKey = CarbonModifiers::cmdKey;
constexpr quint32 shiftKey = CarbonModifiers::shiftKey;
constexpr quint32 optionKey = CarbonModifiers::optionKey;
constexpr quint32 controlKey = CarbonModifiers::controlKey;

const QString systemMessage = QStringLiteral(
    "This combination cannot be used because it is already used by a system-wide keyboard "
    "shortcut.\nIf you really want to use this key combination, most shortcuts can be changed in "
    "the Keyboard & Mouse panel in System Preferences.");

QString menuMessage(const QString &title) {
    return QStringLiteral("This shortcut cannot be used because it is already used by the menu "
                          "item \u2018%1\u2019.")
        .arg(title);
}

QAction *addItem(QMenu *menu, const QString &title, const QKeySequence &shortcut = {}) {
    QAction *action = menu->addAction(title);
    action->setShortcut(shortcut);
    return action;
}
} // namespace

class TestShortcutConflicts : public QObject {
    Q_OBJECT
    TestHome home; // no desktop configuration or layout of the user's own
    QMenuBar menuBar;
    MenuModel menu;
    const KeyboardLayout us = KeyboardLayout::named(QStringLiteral("us"));

    // The answer of a check against `systemHotKeys` and the application menu, with and without
    // asking for the error, which must agree.
    static QString takenBy(const Shortcut &shortcut, const QList<SymbolicHotKey> &systemHotKeys,
                           const MenuModel &menu, const KeyboardLayout &layout) {
        ShortcutError error{QStringLiteral("untouched"), -1, QString()};
        const bool taken = shortcut.isTakenError(&error, systemHotKeys, menu, layout);
        if (taken != shortcut.isTakenError(nullptr, systemHotKeys, menu, layout))
            return QStringLiteral("answers differ without error");
        if (!taken)
            return error.domain == QLatin1String("untouched") ? QString()
                                                              : QStringLiteral("error set");
        if (error.domain != QLatin1String("NSCocoaErrorDomain") || error.code != 0)
            return QStringLiteral("wrong domain or code");
        return error.localizedDescription;
    }

private slots:
    void initTestCase() {
        // File: About (no shortcut), Close ⌘W, Close All ⇧⌘W (written "W"), Zoom ⌘ keypad 1,
        // Keep ⇧⌘ keypad K (upper case with the keypad bit), Save && Quit ⌃Q.
        QMenu *file = menuBar.addMenu(QStringLiteral("&File"));
        addItem(file, QStringLiteral("About"));
        file->addSeparator();
        addItem(file, QStringLiteral("&Close"), Qt::META | Qt::Key_W);
        addItem(file, QStringLiteral("Close All"), Qt::META | Qt::SHIFT | Qt::Key_W);
        addItem(file, QStringLiteral("Zoom"),
                QKeyCombination(Qt::MetaModifier | Qt::KeypadModifier, Qt::Key_1));
        addItem(
            file, QStringLiteral("Keep"),
            QKeyCombination(Qt::MetaModifier | Qt::ShiftModifier | Qt::KeypadModifier, Qt::Key_K));
        addItem(file, QStringLiteral("Save && Quit"), Qt::CTRL | Qt::Key_Q);
        // Edit: a submenu Find with Find Next ⌘G, then Go ⌘G; Copy ⌘C then Copy Again ⌘C;
        // Next Page ⌥F5.
        QMenu *edit = menuBar.addMenu(QStringLiteral("Edit"));
        QMenu *find = edit->addMenu(QStringLiteral("Find"));
        addItem(find, QStringLiteral("Find Next"), Qt::META | Qt::Key_G);
        addItem(edit, QStringLiteral("Go"), Qt::META | Qt::Key_G);
        addItem(edit, QStringLiteral("Copy"), Qt::META | Qt::Key_C);
        addItem(edit, QStringLiteral("Copy Again"), Qt::META | Qt::Key_C);
        addItem(edit, QStringLiteral("Next Page"), Qt::ALT | Qt::Key_F5);
        addItem(edit, QStringLiteral("Start Over"), Qt::ALT | Qt::Key_Space);
        menu = MenuModel::fromActions(menuBar.actions());
    }

    void menuItems_data() {
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("item"); // empty: not taken
        const auto row = [](const char *name, quint64 keyCode, quint64 flags, const char *item) {
            QTest::newRow(name) << keyCode << flags << QString::fromUtf8(item);
        };
        row("Command-W", 13, Command, "Close");
        row("Command-Shift-W", 13, Command | Shift, "Close All");
        row("Control-W", 13, Control, "");
        row("Command-1 against keypad 1 (bit masked)", 18, Command, "Zoom");
        row("Command-Shift-K against upper-case K with keypad bit", 40, Command | Shift, "");
        row("Control-Q, title without mnemonics", 12, Control, "Save & Quit");
        row("submenu first", 5, Command, "Find Next");
        row("first of two in one menu", 8, Command, "Copy");
        row("Option-F5", 96, Option, "Next Page");
        row("Option-Space", 49, Option, "Start Over");
        // A shortcut without a key-equivalent form meets the items without shortcut.
        row("no key, no modifier", NotFound, 0, "About");
        row("no key, Command", NotFound, Command, "");
    }
    void menuItems() {
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, item);
        QCOMPARE(takenBy(Shortcut(keyCode, flags), {}, menu, us),
                 item.isEmpty() ? QString() : menuMessage(item));
    }

    void systemHotKeys_data() {
        QTest::addColumn<QList<SymbolicHotKey>>("systemHotKeys");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("message");
        const QList<SymbolicHotKey> list{{37, cmdKey}, {49, controlKey | optionKey}, {13, cmdKey}};
        const auto row = [](const char *name, const QList<SymbolicHotKey> &hotKeys, quint64 keyCode,
                            quint64 flags, const QString &message) {
            QTest::newRow(name) << hotKeys << keyCode << flags << message;
        };
        row("Command-L", list, 37, Command, systemMessage);
        row("Control-Option-Space", list, 49, Control | Option, systemMessage);
        row("Command-Shift-L", list, 37, Command | Shift, {});
        row("Control-Space", list, 49, Control, {});
        row("Command-Shift entry does not block Command", {{37, cmdKey | shiftKey}}, 37, Command,
            {});
        // The desktop is asked before the menus.
        row("desktop before menu", list, 13, Command, systemMessage);
        row("menu after an empty list", {}, 13, Command, menuMessage(QStringLiteral("Close")));
    }
    void systemHotKeys() {
        QFETCH(QList<SymbolicHotKey>, systemHotKeys);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, message);
        QCOMPARE(takenBy(Shortcut(keyCode, flags), systemHotKeys, menu, us), message);
    }

    void messageLength() { QCOMPARE(systemMessage.size(), 225); }

    // The application names its menu bar once; checks see it as it is at the time.
    void mainMenu() {
        qputenv("XDG_CURRENT_DESKTOP", "none");
        const Shortcut commandW(13, Command);
        QVERIFY(!commandW.isTakenError());
        MenuModel::setMainMenu(&menuBar);
        ShortcutError error;
        QVERIFY(commandW.isTakenError(&error));
        QCOMPARE(error.localizedDescription, menuMessage("Close"));
        {
            QMenuBar later;
            addItem(later.addMenu(QStringLiteral("View")), QStringLiteral("Hide"),
                    Qt::META | Qt::Key_H);
            MenuModel::setMainMenu(&later);
            QVERIFY(Shortcut(4, Command).isTakenError());
            QVERIFY(!commandW.isTakenError());
        }
        QVERIFY(!Shortcut(4, Command).isTakenError()); // the destroyed menu bar is forgotten
    }
};

QTEST_MAIN(TestShortcutConflicts)
#include "tst_shortcutconflicts.moc"
