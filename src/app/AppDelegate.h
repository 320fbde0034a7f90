// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AppMode;
class Cleaner;
class DesktopWatch;
class ExceptionsList;
class OpenPanel;
class MenuBarWindow;
class MoveJournal;
class MoveWorker;
class PathWatcher;
class Restore;
class Undo;
class UserDefaults;
class Updater;
namespace Ui {
class MainContent;
}

// The program's controller: it wires the main window's controls to the settings and to the
// tidying, watching and shortcut components, and runs start-up and shutdown in their order.
// It owns none of the controls; the work itself is done by the components it holds.
class AppDelegate : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool shortcutEnabled READ isShortcutEnabled WRITE setShortcutEnabled NOTIFY
                   shortcutEnabledChanged)
    Q_PROPERTY(bool constantShortcutEnabled READ isConstantShortcutEnabled WRITE
                   setConstantShortcutEnabled NOTIFY constantShortcutEnabledChanged)
public:
    // `panel`: the file and folder chooser (not owned); null: the desktop's own.
    AppDelegate(UserDefaults &defaults, MenuBarWindow &window, Ui::MainContent &ui,
                OpenPanel *panel = nullptr, QObject *parent = nullptr);
    ~AppDelegate() override;

    // Start-up and shutdown, in the order the program calls them.
    void awakeFromNib();
    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    // Actions of the main window.
    void cleanDesktop();
    void restoreFiles();
    bool undoLastClean(); // false: there is no clean to undo
    void ExceptionsSegmentAction();
    void chooseFolderPath();
    void showHelp();
    void someMethodDidEnd(int returnCode);
    bool updaterShouldCheckForBetaUpdates();

    // Observers of the Desktop watcher, in this order: the automatic clean, then the level.
    void appDidActivate();
    void LevelIndicator();

    ExceptionsList &exceptions() { return *exceptions_; }

    bool isShortcutEnabled() const;
    void setShortcutEnabled(bool enabled);
    bool isConstantShortcutEnabled() const;
    void setConstantShortcutEnabled(bool enabled);

    QString menuBarIconName() const { return menuBarIconName_; }

    // Login items, updates and reports.
    void LoginAction();
    void provideFeedback();
    void sendTrackingReport();
    void trackingReporterDidFailToSendReport();
    // Tests: runs `call` after `ms` in place of a timer (the usage report's retry).
    using DelayedCall = std::function<void(int ms, std::function<void()> call)>;
    void setPerformAfterDelayForTesting(DelayedCall performAfterDelay);
    // Requests handed over by a later start (the command line): told by notices, never alerts.
    void cleanFromCommandLine();
    void restoreFromCommandLine(const QString &folder);
    const Cleaner &cleaner() const { return *cleaner_; }

signals:
    void shortcutEnabledChanged(bool enabled);
    void constantShortcutEnabledChanged(bool enabled);

private:
    void bindSettingsControls();
    void chooseImagesForGeneration();
    void applyStartupMode();
    void settleDestination();
    void showHowToUseAlert();
    void watchDesktop();
    QVariant exceptionsTableDataForLog() const;
    void automaticCleanEnded(std::optional<quint64> itemsLeft);
    void showProgress();
    // Undo
    void setUpUndo();
    void showUndoOffer();

    // Hot keys: the clean shortcut and the fixed Super+F2 one.
    void registerHotKeys();
    void resetShortcutRegistration();
    void showHotKeyState();
    QString shortcutFailure_; // why the clean shortcut could not be registered; empty: it was
    void resetConstantShortcutRegistration();
    void unregisterHotKeys();
    std::optional<QString> constantShortcutMonitor_;

    UserDefaults &defaults_;
    MenuBarWindow &window_;
    Ui::MainContent &ui_;
    QString menuBarIconName_ = QStringLiteral("DefaulticonMenuBar");
    std::unique_ptr<OpenPanel> ownPanel_;
    OpenPanel *panel_;
    std::unique_ptr<MoveWorker> mover_; // the clean's, the restore's and the undo's moves
    std::shared_ptr<MoveJournal> journal_;
    std::unique_ptr<Undo> undo_;
    std::unique_ptr<Cleaner> cleaner_;
    std::unique_ptr<Restore> restore_;
    std::unique_ptr<ExceptionsList> exceptions_;
    std::unique_ptr<PathWatcher> watcher_;
    std::unique_ptr<DesktopWatch> desktopWatch_; // the watcher's delegate
    std::vector<int> watcherObservers_;          // tokens on the workspace centre
    bool levelAfterAutomaticClean_ = false;      // the level waits for the clean's listing

    // Login items, updates and reports.
    void bindOutsideControls();
    void startOutsideComponents();
    void askForUsageReports();
    std::unique_ptr<Updater> updater_; // none when the build names no update feed
    DelayedCall performAfterDelay_;
    // Menu-bar or window mode
    void setUpModeSwitch();
    std::unique_ptr<AppMode> mode_;
};
