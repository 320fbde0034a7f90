// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModifierNames.h"
#include "Shortcut.h"
#include "TestHome.h"

#include <QtTest>

namespace {
// As KDE writes it: "action=active,default,description", shortcuts split by an escaped tab.
const QByteArray kglobalshortcutsrc = R"([kwin]
_k_friendly_name=KWin
Walk Through Windows=Alt+Tab,Alt+Tab,Walk Through Windows
Show Desktop=Meta+D,none,Peek at Desktop
Window Close=none,Alt+F4,Close Window
Switch to Desktop 1=Ctrl+F1\tMeta+1,Ctrl+F1,Switch to Desktop 1
Zoom In=Meta+=\tMeta++,Meta+=,Zoom In

[org.kde.krunner.desktop]
_launch=Alt+Space\tAlt+F2\tSearch,Alt+Space\tAlt+F2\tSearch,KRunner

[org.kde.spectacle.desktop]
RectangularRegionScreenShot=Meta+Shift+Print,Meta+Shift+Print,Capture Rectangular Region

[quillmere-test]
Comma=Ctrl+Alt+\\,,none,A comma in a list
Chord=Meta+K\\, Meta+L,none,Two chords
Keypad=Meta+Num+5,none,Keypad five
Broken=Meta+Nonsense,none,Not a key
)";

const QByteArray gsettingsKeyfile = R"([org/gnome/desktop/wm/keybindings]
close=['<Super>q']
minimize=@as []
maximize=['disabled']
show-desktop=['<Primary><Alt>d']
toggle-fullscreen=['<Super>F11', '<Control><Mod5>f', 'not an accelerator', '<Super>']
)";
} // namespace

class TestDesktopHotKeys : public QObject {
    Q_OBJECT
    // GLib reads the configuration folder once per process: one home for every test here.
    TestHome home;
    const KeyboardLayout us = KeyboardLayout::named(QStringLiteral("us"));

private slots:
    void initTestCase() {
        QCOMPARE(qgetenv("GSETTINGS_BACKEND"), QByteArray("keyfile"));
        TestHome::writeFile(home.path() + QStringLiteral("/.config/kglobalshortcutsrc"),
                            kglobalshortcutsrc);
        TestHome::writeFile(home.path() + QStringLiteral("/.config/glib-2.0/settings/keyfile"),
                            gsettingsKeyfile);
    }

    void kdeShortcuts() {
        const QList<SymbolicHotKey> expected{
            {48, CarbonModifiers::optionKey},                               // Alt+Tab
            {2, CarbonModifiers::cmdKey},                                   // Meta+D
            {122, CarbonModifiers::controlKey},                             // Ctrl+F1
            {18, CarbonModifiers::cmdKey},                                  // Meta+1
            {24, CarbonModifiers::cmdKey},                                  // Meta+=
            {24, CarbonModifiers::cmdKey},                                  // Meta++
            {49, CarbonModifiers::optionKey},                               // Alt+Space
            {120, CarbonModifiers::optionKey},                              // Alt+F2
            {43, CarbonModifiers::controlKey | CarbonModifiers::optionKey}, // Ctrl+Alt+,
            {87, CarbonModifiers::cmdKey},                                  // Meta+Num+5
        };
        QCOMPARE(SymbolicHotKeys::kdeHotKeys(us), expected);
    }

    void conflicts_data() {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<quint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<bool>("taken");
        const auto row = [](const char *desktop, const char *name, quint64 keyCode, quint64 flags,
                            bool taken) {
            QTest::addRow("%s %s", desktop, name)
                << QByteArray(desktop) << keyCode << flags << taken;
        };
        row("KDE", "Meta+D", 2, Command, true);
        row("KDE", "default only (Alt+F4)", 118, Option, false);
        row("KDE", "leaves GNOME alone", 12, Command, false);
        row("GNOME", "configured Super+Q", 12, Command, true);
        row("GNOME", "Primary is Control", 2, Control | Option, true);
        row("GNOME", "emptied list (Super+H)", 4, Command, false);
        row("GNOME", "disabled (Super+Up)", 126, Command, false);
        row("GNOME", "binding with AltGr left out", 3, Control, false);
        row("GNOME", "default Super+Above_Tab", 50, Command, true);
        row("ubuntu:GNOME", "Super+Q", 12, Command, true);
        row("XFCE", "Super+Q", 12, Command, false);
    }
    void conflicts() {
        QFETCH(QByteArray, desktop);
        QFETCH(quint64, keyCode);
        QFETCH(quint64, flags);
        QFETCH(bool, taken);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        const QList<SymbolicHotKey> hotKeys = SymbolicHotKeys::copySymbolicHotKeys(us);
        ShortcutError error;
        QCOMPARE(Shortcut(keyCode, flags).isTakenError(&error, hotKeys, MenuModel(), us), taken);
        if (taken)
            QVERIFY(error.localizedDescription.startsWith(
                QLatin1String("This combination cannot be used")));
    }

    void missingFileGivesNothing() {
        QFile::remove(home.path() + QStringLiteral("/.config/kglobalshortcutsrc"));
        QVERIFY(SymbolicHotKeys::kdeHotKeys(us).isEmpty());
    }
};

QTEST_MAIN(TestDesktopHotKeys)
#include "tst_desktophotkeys.moc"
