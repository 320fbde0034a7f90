// SPDX-License-Identifier: GPL-3.0-or-later
// Global hot keys from the registry up to the program's two switches, and the recorder that
// sets the clean shortcut, over a stand-in for the desktop's key grabs.
#include "AppSettingsKeys.h"
#include "HotKeyService.h"
#include "KeyedArchive.h"
#include "ProgramFixture.h"
#include "ShortcutHotKey.h"
#include "ShortcutView.h"

#include <QAccessible>
#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QtTest>
#include <map>
#include <set>

namespace {
constexpr quint64 kVK_ANSI_A = 0, kVK_ANSI_K = 40, kVK_F5 = 96, kVK_F6 = 97;
constexpr quint64 Cmd = Shortcut::NSCommandKeyMask, Ctrl = Shortcut::NSControlKeyMask,
                  Alt = Shortcut::NSAlternateKeyMask;

// What the desktop holds for us: ref → (virtual key code, Carbon flags).
struct Grabs {
    std::map<quint64, std::pair<quint32, quint32>> held;
    std::set<quint32> refusedKeys; // another program holds these
    int grabCount = 0;
};

struct StandInGrabs : HotKeyBackend {
    explicit StandInGrabs(Grabs &g)
        : grabs(g) {}
    bool grab(quint64 ref, quint32 keyCode, quint32 flags) override {
        ++grabs.grabCount;
        if (grabs.refusedKeys.contains(keyCode))
            return false;
        grabs.held[ref] = {keyCode, flags};
        return true;
    }
    void ungrab(quint64 ref) override { grabs.held.erase(ref); }
    Grabs &grabs;
};

} // namespace

class TestHotKeys : public QObject {
    Q_OBJECT
private:
    Grabs grabs;
    std::optional<Sandbox> s;

    QList<std::pair<quint32, quint32>> held() const {
        QList<std::pair<quint32, quint32>> list;
        for (const auto &[ref, combination] : grabs.held)
            list << combination;
        return list;
    }

private slots:
    void init() {
        grabs = {};
        HotKeyService::setBackendForTesting(std::make_unique<StandInGrabs>(grabs));
        ShortcutMonitor::resetIdCounterForTesting();
        s.emplace();
    }
    void cleanup() {
        s.reset();
        HotKeyService::setBackendForTesting(nullptr);
    }

    void idsCountEveryAttemptAndPressesRunOnlyTheirHandler_data() {
        QTest::addColumn<quint32>("signature");
        QTest::addColumn<quint32>("id");
        QTest::addColumn<QString>("ran");
        QTest::newRow("the registered id") << ShortcutHotKey::signature << 2u << "F5";
        QTest::newRow("the refused attempt's id") << ShortcutHotKey::signature << 1u << "";
        QTest::newRow("an id never given") << ShortcutHotKey::signature << 9u << "";
        QTest::newRow("another signature") << 0x41424344u << 2u << "";
    }
    void idsCountEveryAttemptAndPressesRunOnlyTheirHandler() {
        QFETCH(quint32, signature);
        QFETCH(quint32, id);
        QFETCH(QString, ran);
        QString runs;
        grabs.refusedKeys = {kVK_ANSI_K};
        QVERIFY(!ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(Shortcut(kVK_ANSI_K, Ctrl),
                                                                     [&] { runs += "K"; }));
        const auto f5 = ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(Shortcut(kVK_F5, 0),
                                                                            [&] { runs += "F5"; });
        QVERIFY(f5);
        // The same combination again: the first keeps it and its handler.
        QVERIFY(!ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(Shortcut(kVK_F5, 0),
                                                                     [&] { runs += "again"; }));
        HotKeyService::shared().deliver({signature, id});
        QCOMPARE(runs, ran);
        ShortcutMonitor::removeGlobalHotkeyMonitor(f5);
        QVERIFY(grabs.held.empty());
    }

    void theEventHandlerGoesWithTheLastMonitor() {
        const auto a = ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(Shortcut(kVK_F5, 0), {});
        const auto b =
            ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(Shortcut(kVK_F5, Cmd), {});
        ShortcutMonitor::removeGlobalHotkeyMonitor(a);
        QVERIFY(HotKeyService::shared().isEventHandlerInstalled());
        ShortcutMonitor::removeGlobalHotkeyMonitor(b);
        QVERIFY(!HotKeyService::shared().isEventHandlerInstalled());
        const auto c = ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(Shortcut(kVK_F5, 0), {});
        QVERIFY(HotKeyService::shared().isEventHandlerInstalled());
        ShortcutMonitor::removeGlobalHotkeyMonitor(c);
    }

    // The switch, the recorder and the hot key together, as the settings tab drives them.
    void theRecordedShortcutMovesAndClearsTheHotKey() {
        s->defaults.setBool(true, SettingsKeys::CleanShortcutEnabled);
        s->defaults.setObject(Shortcut(kVK_ANSI_K, Ctrl | Alt).data(), SettingsKeys::CleanShortcut);
        TestHome::writeFile(s->home.desktop() + "/item.txt");
        Program program(s->defaults);
        ShortcutView &view = *program.ui.shortcutView;
        QCOMPARE(held(), (QList<std::pair<quint32, quint32>>{{kVK_ANSI_K, 0x1800}}));
        QCOMPARE(view.displayText(), QStringLiteral("⌃⌥K"));

        // Pressed: the clean with the shortcut's notice.
        HotKeyService::shared().deliver({ShortcutHotKey::signature, 1});
        QTRY_COMPARE(entries(s->home.desktop()), QStringList());
        QTRY_VERIFY(s->reports.notices.contains("Clean Complete: Finished Cleaning:1 items"));

        // The same value again writes nothing and registers nothing.
        QSignalSpy writes(&s->defaults, &UserDefaults::valueChanged);
        const int grabCount = grabs.grabCount;
        program.delegate->setShortcutEnabled(true);
        QCOMPARE(writes.count(), 0);
        QCOMPARE(grabs.grabCount, grabCount);

        // A combination another program holds: the settings tab says so until the next one.
        grabs.refusedKeys = {kVK_F6};
        view.setShortcutValue(Shortcut(kVK_F6, 0));
        QVERIFY(program.ui.hotKeyUnavailableLabel->text().startsWith("F6 is held by another"));
        view.setShortcutValue(Shortcut(kVK_F5, Cmd));
        QCOMPARE(program.ui.hotKeyUnavailableLabel->text(), QString());
        QCOMPARE(held(), (QList<std::pair<quint32, quint32>>{{kVK_F5, 0x100}}));
        view.setShortcutValue(std::nullopt);
        QVERIFY(grabs.held.empty());
        // Cleared is stored as the archive of nothing, not as a missing key.
        QCOMPARE(s->defaults.dataForKey(SettingsKeys::CleanShortcut),
                 KeyedArchive::archivedDataWithRootObject({}));

        view.setShortcutValue(Shortcut(kVK_F5, Cmd));
        program.delegate->setShortcutEnabled(false);
        QVERIFY(grabs.held.empty());
        QVERIFY(!view.isEnabled());
    }

    void theFixedShortcutShowsItsAlert() {
        s->defaults.setBool(true, SettingsKeys::ConstantShortcutEnabled);
        Program program(s->defaults);
        QCOMPARE(held(), (QList<std::pair<quint32, quint32>>{{120, 0x100}}));
        const qsizetype greeting = s->reports.alerts.size(); // the first start's
        HotKeyService::shared().deliver({ShortcutHotKey::signature, 1});
        QCOMPARE(s->reports.alerts.mid(greeting), QStringList{"⌘F2 has been pressed.:  [OK]"});
        program.delegate->setConstantShortcutEnabled(false);
        QVERIFY(grabs.held.empty());
    }

    void recorderStates_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("shown"); // after the key
        QTest::addColumn<bool>("recording");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("alert");
        const QString old = QStringLiteral("⌘F5");
        QTest::newRow("Delete") << int(Qt::Key_Backspace) << 0 << "Record Shortcut" << false << 0
                                << "";
        QTest::newRow("Shift-Forward Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier)
                                              << "Record Shortcut" << false << 0 << "";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << old << false << 0 << "";
        QTest::newRow("Command-Escape")
            << int(Qt::Key_Escape) << int(Qt::MetaModifier) << old << false << 0 << "";
        QTest::newRow("A alone beeps")
            << int(Qt::Key_A) << 0 << "Type New Shortcut" << true << 1 << "";
        QTest::newRow("Command-A")
            << int(Qt::Key_A) << int(Qt::MetaModifier) << "⌘A" << false << 0 << "";
        QTest::newRow("a menu's combination")
            << int(Qt::Key_M) << int(Qt::ControlModifier) << "Type New Shortcut" << true << 0
            << "The key combination ⌃M cannot be used";
        QTest::newRow("the program's other hot key")
            << int(Qt::Key_F2) << int(Qt::MetaModifier) << "Type New Shortcut" << true << 0
            << "The key combination ⌘F2 cannot be used";
        QTest::newRow("the shortcut being replaced")
            << int(Qt::Key_F5) << int(Qt::MetaModifier) << "⌘F5" << false << 0 << "";
    }
    void recorderStates() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, shown);
        QFETCH(bool, recording);
        QFETCH(int, beeps);
        QFETCH(QString, alert);
        int beeped = 0;
        ShortcutView::setBeepForTesting([&] { ++beeped; });
        QMainWindow window;
        window.menuBar()
            ->addMenu("Window")
            ->addAction("Minimize")
            ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
        ShortcutView view;
        window.setCentralWidget(&view);
        view.setMainMenu([&] { return MenuModel::fromActions(window.menuBar()->actions()); });
        window.show();
        view.setShortcutValue(Shortcut(kVK_F5, Cmd));
        const auto registered = {
            ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(Shortcut(kVK_F5, Cmd), {}),
            ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(Shortcut(120, Cmd), {})};
        QTest::mouseClick(&view, Qt::LeftButton, {}, view.shortcutRect().center());
        QVERIFY(view.isRecording());

        QTest::keyClick(&view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(view.displayText(), shown);
        QCOMPARE(view.isRecording(), recording);
        QCOMPARE(beeped, beeps);
        QCOMPARE(s->reports.alerts.join("").section(':', 0, 0), alert);
        ShortcutView::setBeepForTesting(nullptr);
        for (const auto &monitor : registered)
            ShortcutMonitor::removeGlobalHotkeyMonitor(monitor);
        window.takeCentralWidget();
    }

    void heldModifiersShowWhileRecordingAndTheHintEndCancels() {
        ShortcutView view;
        view.resize(200, 24);
        view.show();
        // Pressed as a button by assistive technology, as by a click.
        QAccessible::queryAccessibleInterface(&view)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
        QVERIFY(view.isRecording());
        QTest::keyPress(&view, Qt::Key_Control);
        QCOMPARE(view.displayText(), QStringLiteral("⌃"));
        QTest::keyRelease(&view, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(view.displayText(), QStringLiteral("Type Shortcut"));
        QTest::mouseClick(&view, Qt::LeftButton, {}, view.hintRect().center());
        QVERIFY(!view.isRecording());
        // With a shortcut, the hint end deletes it without recording.
        view.setShortcutValue(Shortcut(kVK_ANSI_A, Cmd));
        QTest::mouseClick(&view, Qt::LeftButton, {}, view.hintRect().center());
        QVERIFY(!view.shortcutValue() && !view.isRecording());
        // Another recorder starting stops this one.
        ShortcutView other;
        view.setRecording(true);
        other.setRecording(true);
        QVERIFY(!view.isRecording());
    }
};

QTEST_MAIN(TestHotKeys)
#include "tst_hotkeys.moc"
