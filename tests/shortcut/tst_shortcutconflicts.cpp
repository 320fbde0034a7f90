// SPDX-License-Identifier: GPL-3.0-or-later
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

void addItem(QMenu *menu, const QString &title, const QKeySequence &shortcut = {}) {
    menu->addAction(title)->setShortcut(shortcut);
}
} // namespace

class TestShortcutConflicts : public QObject {
    Q_OBJECT
    TestHome home; // no desktop configuration or layout of the user's own
    QMenuBar menuBar;
    MenuModel menu;
    const KeyboardLayout us = KeyboardLayout::named(QStringLiteral("us"));

    // The message of a conflict, checking that asking without an error gives the same answer.
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
        QMenu *edit = menuBar.addMenu(QStringLiteral("Edit"));
        QMenu *find = edit->addMenu(QStringLiteral("Find"));
        addItem(find, QStringLiteral("Find Next"), Qt::META | Qt::Key_G);
        addItem(edit, QStringLiteral("Go"), Qt::META | Qt::Key_G);
        addItem(edit, QStringLiteral("Copy"), Qt::META | Qt::Key_C);
        addItem(edit, QStringLiteral("Copy Again"), Qt::META | Qt::Key_C);
        addItem(edit, QStringLiteral("Next Page"), Qt::ALT | Qt::Key_F5);
        menu = MenuModel::fromActions(menuBar.actions());
    }

    // The desktop's shortcuts, then the menus: the message shown, or nothing.
    void conflicts_data() {
        QTest::addColumn<QList<SymbolicHotKey>>("systemHotKeys");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("message");
        const QList<SymbolicHotKey> list{{37, cmdKey}, {49, controlKey | optionKey}, {13, cmdKey}};
        const auto row = [](const char *name, quint64 keyCode, quint64 flags, const char *item) {
            QTest::newRow(name) << QList<SymbolicHotKey>() << keyCode << flags
                                << (*item ? menuMessage(QString::fromUtf8(item)) : QString());
        };
        const auto system = [](const char *name, const QList<SymbolicHotKey> &hotKeys,
                               quint64 keyCode, quint64 flags, bool taken) {
            QTest::newRow(name) << hotKeys << keyCode << flags << (taken ? systemMessage : "");
        };
        system("Command-L", list, 37, Command, true);
        system("Control-Option-Space", list, 49, Control | Option, true);
        system("Command-Shift-L", list, 37, Command | Shift, false);
        system("Command-Shift entry does not block Command", {{37, cmdKey | shiftKey}}, 37, Command,
               false);
        system("desktop asked before menu", list, 13, Command, true);
        row("Command-W", 13, Command, "Close");
        row("Command-Shift-W", 13, Command | Shift, "Close All");
        row("Control-W", 13, Control, "");
        row("Command-1 against keypad 1 (bit masked)", 18, Command, "Zoom");
        row("Command-Shift-K against upper-case K with keypad bit", 40, Command | Shift, "");
        row("Control-Q, title without mnemonics", 12, Control, "Save & Quit");
        row("submenu first", 5, Command, "Find Next");
        row("first of two in one menu", 8, Command, "Copy");
        row("Option-F5", 96, Option, "Next Page");
        // A shortcut without a key-equivalent form meets the items without shortcut.
        row("no key, no modifier", NotFound, 0, "About");
        row("no key, Command", NotFound, Command, "");
    }
    void conflicts() {
        QFETCH(QList<SymbolicHotKey>, systemHotKeys);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, message);
        QCOMPARE(takenBy(Shortcut(keyCode, flags), systemHotKeys, menu, us), message);
    }
};

QTEST_MAIN(TestShortcutConflicts)
#include "tst_shortcutconflicts.moc"
