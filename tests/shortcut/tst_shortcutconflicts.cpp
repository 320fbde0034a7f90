// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a shortcut is taken: first by the desktop's own shortcuts, read from real KDE and GNOME
// settings, then by the application's menus.
#include "ModifierNames.h"
#include "TestHome.h"

#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {
// As KDE writes it: "action=active,default,description", shortcuts split by an escaped tab.
const QByteArray kglobalshortcutsrc = R"([kwin]
Walk Through Windows=Alt+Tab,Alt+Tab,Walk Through Windows
Show Desktop=Meta+D,none,Peek at Desktop
Window Close=none,Alt+F4,Close Window
Switch to Desktop 1=Ctrl+F1\tMeta+1,Ctrl+F1,Switch to Desktop 1
Zoom In=Meta+=\tMeta++,Meta+=,Zoom In
[quillmere-test]
Comma=Ctrl+Alt+\\,,none,A comma in a list
Chord=Meta+K\\, Meta+L,none,Two chords
Keypad=Meta+Num+5,none,Keypad five
Print=Meta+Shift+Print,none,A key without virtual key code
Broken=Meta+Nonsense,none,Not a key
)";

const QByteArray gsettingsKeyfile = R"([org/gnome/desktop/wm/keybindings]
close=['<Super>q']
minimize=@as []
show-desktop=['<Primary><Alt>d']
toggle-fullscreen=['<Super>F11', '<Control><Mod5>f', 'not an accelerator', '<Super>']
)";

const QString desktopMessage = QStringLiteral(
    "This combination cannot be used because it is already used by a system-wide keyboard "
    "shortcut.\nIf you really want to use this key combination, most shortcuts can be changed in "
    "the Keyboard & Mouse panel in System Preferences.");
const QString menuMessage = QStringLiteral(
    "This shortcut cannot be used because it is already used by the menu item \u2018%1\u2019.");

struct Conflict {
    const char *desktop;
    quint64 keyCode, flags;
    const char *takenBy; // "desktop", a menu item's title, or "" when free
};
} // namespace

class TestShortcutConflicts : public QObject {
    Q_OBJECT
    // GLib reads the configuration folder once per process: one home for every test here.
    TestHome home;
    QMenuBar menuBar;
    const KeyboardLayout us = KeyboardLayout::named(QStringLiteral("us"));

private slots:
    void initTestCase() {
        TestHome::writeFile(home.path() + "/.config/kglobalshortcutsrc", kglobalshortcutsrc);
        TestHome::writeFile(home.path() + "/.config/glib-2.0/settings/keyfile", gsettingsKeyfile);
        QMenu *file = menuBar.addMenu("&File");
        file->addSeparator();
        file->addAction("About");
        file->addAction("&Close && Save", Qt::META | Qt::Key_W);
        file->addAction("Close All", Qt::META | Qt::SHIFT | Qt::Key_W);
        file->addAction("Zoom", QKeyCombination(Qt::MetaModifier | Qt::KeypadModifier, Qt::Key_1));
        file->addAction(
            "Keep",
            QKeyCombination(Qt::MetaModifier | Qt::ShiftModifier | Qt::KeypadModifier, Qt::Key_K));
        file->addAction("Quit", Qt::META | Qt::Key_Q);
        QMenu *edit = menuBar.addMenu("Edit");
        edit->addMenu("Find")->addAction("Find Next", Qt::META | Qt::Key_G);
        edit->addAction("Go", Qt::META | Qt::Key_G);
        edit->addAction("Next Page", Qt::ALT | Qt::Key_F5);
    }

    void kdeShortcuts() { // the active ones; "none", chords and unknown keys left out
        const quint32 Cmd = CarbonModifiers::cmdKey, Opt = CarbonModifiers::optionKey,
                      Ctrl = CarbonModifiers::controlKey;
        const QList<SymbolicHotKey> expected{{48, Opt}, {2, Cmd},  {122, Ctrl},      {18, Cmd},
                                             {24, Cmd}, {24, Cmd}, {43, Ctrl | Opt}, {87, Cmd}};
        QCOMPARE(SymbolicHotKeys::kdeHotKeys(us), expected);
    }

    void conflicts_data() {
        QTest::addColumn<Conflict>("row");
        const auto row = [](const char *name, const Conflict &c) {
            QTest::newRow(name) << c;
        };
        row("ubuntu:GNOME Super+Q, before the menus", {"ubuntu:GNOME", 12, Command, "desktop"});
        row("GNOME Primary is Control", {"GNOME", 2, Control | Option, "desktop"});
        row("GNOME default Super+Above_Tab", {"GNOME", 50, Command, "desktop"});
        row("GNOME emptied list (Super+H)", {"GNOME", 4, Command, ""});
        row("GNOME AltGr binding left out", {"GNOME", 3, Control, ""});
        row("KDE Meta+D", {"KDE", 2, Command, "desktop"});
        row("KDE other modifiers", {"KDE", 2, Command | Shift, ""});
        row("KDE leaves GNOME's alone", {"KDE", 12, Command, "Quit"});
        row("XFCE reads neither", {"XFCE", 2, Command, ""});
        row("title without mnemonics", {"", 13, Command, "Close & Save"});
        row("upper case is Shift", {"", 13, Command | Shift, "Close All"});
        row("other modifiers", {"", 13, Control, ""});
        row("keypad bit masked", {"", 18, Command, "Zoom"});
        row("upper case with keypad bit", {"", 40, Command | Shift, ""});
        row("submenu first", {"", 5, Command, "Find Next"});
        row("function key", {"", 96, Option, "Next Page"});
        // No key and no modifier meets the items without shortcut (not the separator).
        row("nothing", {"", NotFound, 0, "About"});
    }
    void conflicts() {
        QFETCH(Conflict, row);
        qputenv("XDG_CURRENT_DESKTOP", row.desktop);
        const QList<SymbolicHotKey> hotKeys = SymbolicHotKeys::copySymbolicHotKeys(us);
        const MenuModel menu = MenuModel::fromActions(menuBar.actions());
        const Shortcut shortcut(row.keyCode, row.flags);
        const QString takenBy = QString::fromUtf8(row.takenBy);
        ShortcutError error;
        QCOMPARE(shortcut.isTakenError(&error, hotKeys, menu, us), !takenBy.isEmpty());
        QCOMPARE(shortcut.isTakenError(nullptr, hotKeys, menu, us), !takenBy.isEmpty());
        QCOMPARE(error.localizedDescription, takenBy.isEmpty()      ? QString()
                                             : takenBy == "desktop" ? desktopMessage
                                                                    : menuMessage.arg(takenBy));
        QCOMPARE(error.domain, takenBy.isEmpty() ? QString() : "NSCocoaErrorDomain");
    }
};

QTEST_MAIN(TestShortcutConflicts)
#include "tst_shortcutconflicts.moc"
