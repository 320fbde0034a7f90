// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppDelegate.h"

#include "Alerts.h"
#include "AppMode.h"
#include "AppSettingsKeys.h"
#include "Bundle.h"
#include "BundleImages.h"
#include "Cleaner.h"
#include "ClutterLevelView.h"
#include "DMFeedbackController.h"
#include "DMIssuesController.h"
#include "DMTrackingReporter.h"
#include "Description.h"
#include "DesktopWatch.h"
#include "Endpoints.h"
#include "ExceptionsList.h"
#include "ItemFilter.h"
#include "Log.h"
#include "LoginItems.h"
#include "MenuBarWindow.h"
#include "MoveJournal.h"
#include "MoveWorker.h"
#include "NotificationCenter.h"
#include "OpenPanel.h"
#include "PathWatcher.h"
#include "Restore.h"
#include "ShortcutHotKey.h"
#include "ShortcutUserDefaultsHotKey.h"
#include "ShortcutView.h"
#include "StandardFolders.h"
#include "StartupVersions.h"
#include "Strings.h"
#include "SystemGeneration.h"
#include "SystemVersion.h"
#include "Undo.h"
#include "Updater.h"
#include "UserDefaults.h"
#include "UserNotifications.h"
#include "ui_MainContent.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <climits>

namespace {
const char *const howToUseText = QT_TRANSLATE_NOOP(
    "Quillmere",
    "Welcome to Quillmere, Quillmere is a handy utility that organizes your desktop for you when "
    "you get lazy. Whenever you leave a bunch of files on your desktop, Quillmere can easily move "
    "it into a folder with today's date so you're not overwhelmed by tons of files. By default "
    "you can find the Quillmere folder in your Documents folder, but you can change this in the "
    "settings tab.");

// A check box that shows a Boolean setting and writes it when the user changes it.
void bindCheckBox(QAbstractButton *box, UserDefaults &defaults, const QString &key) {
    defaults.observe(
        key, box,
        [box](const QVariant &value) {
            box->setChecked(value.typeId() == QMetaType::Bool && value.toBool());
        },
        true);
    QObject::connect(box, &QAbstractButton::toggled, box, [&defaults, key](bool on) {
        if (defaults.boolForKey(key) != on)
            defaults.setBool(on, key);
    });
}
} // namespace

AppDelegate::AppDelegate(UserDefaults &defaults, MenuBarWindow &window, Ui::MainContent &ui,
                         OpenPanel *panel, QObject *parent)
    : QObject(parent)
    , defaults_(defaults)
    , window_(window)
    , ui_(ui) {
    Q_INIT_RESOURCE(resources);
    if (!panel)
        ownPanel_ = std::make_unique<FileDialogOpenPanel>(&window_);
    panel_ = panel ? panel : ownPanel_.get();
    exceptions_ = std::make_unique<ExceptionsList>(defaults_, *panel_);
    mover_ = std::make_unique<MoveWorker>();
    journal_ = std::make_shared<MoveJournal>(MoveJournal::standardPath());
    restore_ =
        std::make_unique<Restore>(defaults_, *panel_, &QDate::currentDate, mover_.get(), journal_);
    Cleaner::Inputs inputs;
    inputs.destinationText = [this] {
        return ui_.cleanFolderPath->text();
    };
    inputs.thresholdText = [this] {
        return ui_.AutoCleanTextBox->text();
    };
    inputs.exceptionsTableData = [this] {
        return exceptionsTableDataForLog();
    };
    inputs.runEnded = [this](CleanTrigger trigger, std::optional<quint64> itemsLeft) {
        showUndoOffer();
        if (trigger == CleanTrigger::Automatic)
            automaticCleanEnded(itemsLeft);
    };
    inputs.journal = journal_;
    cleaner_ = std::make_unique<Cleaner>(defaults_, std::move(inputs), mover_.get());

    // A run that lasts longer than half a second shows its progress.
    connect(mover_.get(), &MoveWorker::runStarted, this, [this] {
        QTimer::singleShot(500, ui_.cleanProgress, [this] {
            if (mover_->isBusy())
                showProgress();
        });
    });
    connect(mover_.get(), &MoveWorker::progress, this, [this](qsizetype done, qsizetype total) {
        ui_.cleanProgress->setRange(0, int(qMin<qsizetype>(total, INT_MAX)));
        ui_.cleanProgress->setValue(int(qMin(done, total)));
    });
    connect(mover_.get(), &MoveWorker::runFinished, ui_.cleanProgress, &QWidget::hide);

    ui_.MenuAppSegment->setSegments({tr("M&enu bar"), tr("Wi&ndow")},
                                    {tr("Show in the menu bar"), tr("Show as a window")});
    ui_.ExceptionsSegmentControl->setMomentary(true);
    ui_.ExceptionsSegmentControl->setSegments({QStringLiteral("+"), QStringLiteral("−")},
                                              {tr("Add exception"), tr("Remove exception")});
    ui_.aboutLabel->setText(tr("<b>Quillmere</b> %1<br>Keeps your Desktop tidy.")
                                .arg(Bundle::version().toHtmlEscaped()));
    connect(ui_.cleanButton, &QPushButton::clicked, this, &AppDelegate::cleanDesktop);
    connect(ui_.restoreButton, &QPushButton::clicked, this, &AppDelegate::restoreFiles);
    connect(ui_.ExceptionsSegmentControl, &SegmentedControl::activated, this,
            &AppDelegate::ExceptionsSegmentAction);
    connect(ui_.chooseFolderButton, &QPushButton::clicked, this, &AppDelegate::chooseFolderPath);
    connect(ui_.helpButton, &QPushButton::clicked, this, &AppDelegate::showHelp);
    connect(ui_.quitButton, &QPushButton::clicked, qApp, &QApplication::quit);
    bindSettingsControls();
    bindOutsideControls();
    setUpUndo();
    setUpModeSwitch();
}

AppDelegate::~AppDelegate() {
    // A clean or restore in hand ends after the item it is moving.
    mover_->stop();
    // Before the controls go: the watcher delivers to observers that read them.
    for (const int token : watcherObservers_)
        NotificationCenter::workspace().removeObserver(token);
    desktopWatch_.reset();
    watcher_.reset();
    // Undo the recorder's binding: the controls may outlive the controller.
    disconnect(this, &AppDelegate::shortcutEnabledChanged, ui_.shortcutView, nullptr);
    unregisterHotKeys();
}

void AppDelegate::bindSettingsControls() {
    bindCheckBox(ui_.AutoCleanCheckBox, defaults_, SettingsKeys::AutoClean);
    bindCheckBox(ui_.CheckforUpdatesStartUpCheckBox, defaults_,
                 SettingsKeys::CheckforUpdatesStartUp);
    bindCheckBox(ui_.BetaUpdatesCheckBox, defaults_, SettingsKeys::SUUpdaterChecksForBetaUpdates);

    // The threshold field keeps its text between runs, exactly as typed.
    ui_.AutoCleanTextBox->setText(
        defaults_.stringForKey(SettingsKeys::AutoCleanThreshold).value_or(QString()));
    connect(ui_.AutoCleanTextBox, &QLineEdit::textEdited, this, [this](const QString &text) {
        defaults_.setObject(text, SettingsKeys::AutoCleanThreshold);
    });

    // The destination field shows the stored destination, and a typed one is stored.
    if (const auto path = defaults_.stringForKey(SettingsKeys::CleanPath))
        ui_.cleanFolderPath->setText(*path);
    connect(ui_.cleanFolderPath, &QLineEdit::editingFinished, this, [this] {
        const QString text = ui_.cleanFolderPath->text();
        if (defaults_.stringForKey(SettingsKeys::CleanPath) != text)
            defaults_.setObject(text, SettingsKeys::CleanPath);
    });

    ui_.shortcutEnabledCheckBox->setChecked(isShortcutEnabled());
    connect(ui_.shortcutEnabledCheckBox, &QCheckBox::toggled, this,
            &AppDelegate::setShortcutEnabled);
    connect(this, &AppDelegate::shortcutEnabledChanged, ui_.shortcutEnabledCheckBox,
            &QCheckBox::setChecked);
    ui_.constantShortcutEnabledCheckBox->setChecked(isConstantShortcutEnabled());
    connect(ui_.constantShortcutEnabledCheckBox, &QCheckBox::toggled, this,
            &AppDelegate::setConstantShortcutEnabled);
    connect(this, &AppDelegate::constantShortcutEnabledChanged, ui_.constantShortcutEnabledCheckBox,
            &QCheckBox::setChecked);
}

void AppDelegate::awakeFromNib() {
    // The recorder is enabled exactly while the clean shortcut is.
    ui_.shortcutView->setEnabled(isShortcutEnabled());
    connect(this, &AppDelegate::shortcutEnabledChanged, ui_.shortcutView, &QWidget::setEnabled);

    chooseImagesForGeneration();
    LevelIndicator();
}

void AppDelegate::chooseImagesForGeneration() {
    const GenerationImages images = imagesForGeneration(SystemVersion::appKitVersionNumber());
    NSLog(images.logLine);
    menuBarIconName_ = images.menuBarIconName;
    if (!images.applicationIconName.isEmpty())
        QApplication::setWindowIcon(Bundle::imageNamed(images.applicationIconName));
}

void AppDelegate::applicationDidFinishLaunching() {
    applyStartupMode();

    ui_.tableView->setModel(&exceptions_->model());
    exceptions_->setSelectionModel(ui_.tableView->selectionModel());
    exceptions_->load();
    ui_.exceptionsFileMessage->setText(exceptions_->fileMessage());
    ui_.exceptionsFileMessage->setVisible(!exceptions_->fileMessage().isEmpty());
    registerHotKeys();
    QTimer::singleShot(0, exceptions_.get(), &ExceptionsList::reloadData);

    startOutsideComponents(); // crash reports, the updater, the usage report, the update check

    settleDestination();
    journal_->open(); // finishes the moves a kill interrupted, before anything else moves
    showUndoOffer();
    watchDesktop();

    switch (StartupVersions::recordStart(defaults_, Bundle::version())) {
    case StartupVersions::Start::FirstEver:
        showHowToUseAlert(); // the start goes on without waiting for it
        break;
    case StartupVersions::Start::FirstOfThisVersion:
    case StartupVersions::Start::KnownVersion:
        break;
    }
    defaults_.synchronize();
}

void AppDelegate::applyStartupMode() {
    mode_->applyStartupMode();
}

void AppDelegate::settleDestination() {
    const QString documents = StandardFolders::documents();
    const QVariant stored = defaults_.objectForKey(SettingsKeys::CleanPath);
    defaults_.synchronize();
    if (stored.isValid()) {
        NSLog(QStringLiteral("object is there"));
        return;
    }
    NSLog(QStringLiteral("object not there set path to users documents folder"));
    if (!QFileInfo(documents).isDir())
        NSLog(QStringLiteral("The Documents folder %1 does not exist: a clean will ask for "
                             "another destination")
                  .arg(documents));
    ui_.cleanFolderPath->setText(documents);
    defaults_.setObject(documents, SettingsKeys::CleanPath);
}

void AppDelegate::watchDesktop() {
    watcher_ = PathWatcher::create();
    if (!watcher_) {
        NSLog(QStringLiteral("Cannot watch the Desktop: the system gives no event queue"));
        return;
    }
    // It watches the Desktop, and whatever tells where the Desktop is, and follows it.
    desktopWatch_ = std::make_unique<DesktopWatch>(*watcher_, [this] { LevelIndicator(); });
    const auto onTheDesktop = [this](const Notification &n) {
        return n.userInfo.value(QStringLiteral("path")).toString() == desktopWatch_->path();
    };
    auto &center = NotificationCenter::workspace();
    watcherObservers_.push_back(center.addObserver(PathWatcherFileWrittenToNotification,
                                                   watcher_.get(), [this, onTheDesktop](auto &n) {
                                                       if (onTheDesktop(n))
                                                           appDidActivate();
                                                   }));
    watcherObservers_.push_back(center.addObserver(PathWatcherFileWrittenToNotification,
                                                   watcher_.get(), [this, onTheDesktop](auto &n) {
                                                       if (onTheDesktop(n))
                                                           LevelIndicator();
                                                   }));
}

void AppDelegate::applicationWillTerminate() {
    exceptions_->applicationWillTerminate();
}

QVariant AppDelegate::exceptionsTableDataForLog() const {
    return exceptions_->exceptionsTableDataForLog();
}

void AppDelegate::cleanDesktop() {
    cleaner_->cleanDesktopItems(CleanTrigger::Button);
}

void AppDelegate::appDidActivate() {
    cleaner_->cleanDesktopItems(CleanTrigger::Automatic);
}

void AppDelegate::LevelIndicator() {
    // The automatic clean lists the Desktop anyway: its listing, as the clean left it, serves
    // the level too.
    if (cleaner_->hasRun(CleanTrigger::Automatic)) {
        levelAfterAutomaticClean_ = true;
        return;
    }
    updateClutterLevel(ItemFilter(defaults_), ui_.LevelIndicator, ui_.LevelIndictorLabel,
                       exceptionsTableDataForLog(), ui_.cleanFolderPath->text());
}

void AppDelegate::automaticCleanEnded(std::optional<quint64> itemsLeft) {
    if (!std::exchange(levelAfterAutomaticClean_, false))
        return;
    if (!itemsLeft) // it ended before it listed the Desktop
        return LevelIndicator();
    NSLog(description(exceptionsTableDataForLog()));
    showClutterLevel(ClutterLevel::forItemCount(*itemsLeft), ui_.LevelIndicator,
                     ui_.LevelIndictorLabel);
}

void AppDelegate::showProgress() {
    ui_.cleanProgress->show();
}

void AppDelegate::setUpUndo() {
    undo_ = std::make_unique<Undo>(journal_, *mover_);
    UserNotifications::serviceShowsActions(); // asks the service early, for the first notice
    cleaner_->setNoticeAction({tr("Undo"), [this] {
                                   undoLastClean();
                               }});
    connect(ui_.undoButton, &QPushButton::clicked, this, &AppDelegate::undoLastClean);
    connect(restore_.get(), &Restore::runEnded, this, &AppDelegate::showUndoOffer);
    connect(undo_.get(), &Undo::undone, this, &AppDelegate::showUndoOffer);
}

void AppDelegate::showUndoOffer() {
    const auto offer = undo_->offer();
    ui_.undoButton->setVisible(offer.has_value());
    if (offer)
        ui_.undoButton->setText(Undo::offerText(*offer));
}

bool AppDelegate::undoLastClean() {
    return undo_->undoLastClean();
}

void AppDelegate::restoreFiles() {
    restore_->restoreFiles(ui_.cleanFolderPath->text());
}

void AppDelegate::ExceptionsSegmentAction() {
    exceptions_->ExceptionsSegmentAction(ui_.ExceptionsSegmentControl->selectedSegment());
}

void AppDelegate::chooseFolderPath() {
    // The chooser opens on the next turn of the event loop, as the button's action ends.
    QTimer::singleShot(0, this, [this] {
        OpenPanelOptions options;
        options.title =
            localizedString(QT_TRANSLATE_NOOP("Quillmere", "Choose Folder For Save Items"));
        options.canChooseFiles = false;
        options.canChooseDirectories = true;
        options.canCreateDirectories = true;
        const QString start = QDir::homePath() + QStringLiteral("/User/Movies/");
        if (QFileInfo(start).isDir())
            options.directory = start;
        panel_->begin(options, [this](int result, const QString &path) {
            if (result != OpenPanel::OKButton)
                return;
            NSLog(QStringLiteral("Source is %1").arg(QUrl::fromLocalFile(path).toString()));
            ui_.cleanFolderPath->setText(path);
            defaults_.setObject(path, SettingsKeys::CleanPath);
            defaults_.synchronize();
            NSLog(QFileInfo(path).fileName());
        });
    });
}

void AppDelegate::showHelp() {
    showHowToUseAlert();
}

void AppDelegate::showHowToUseAlert() {
    QApplication::setActiveWindow(&window_);
    Alert alert;
    alert.title = localizedString(QT_TRANSLATE_NOOP("Quillmere", "How to use Quillmere"));
    alert.message = localizedString(QString::fromUtf8(howToUseText));
    alert.buttons = {localizedString(QT_TRANSLATE_NOOP("Quillmere", "Great Thanks"))};
    alert.style = Alert::Informational;
    Alerts::beginSheet(alert, this, [this](int code) { someMethodDidEnd(code); });
}

void AppDelegate::someMethodDidEnd(int returnCode) {
    if (returnCode == Alerts::FirstButtonReturn || returnCode == Alerts::SecondButtonReturn)
        defaults_.synchronize();
}

bool AppDelegate::updaterShouldCheckForBetaUpdates() {
    if (defaults_.boolForKey(SettingsKeys::SUUpdaterChecksForBetaUpdates)) {
        NSLog(QStringLiteral("Check for beta updates"));
        return true;
    }
    NSLog(QStringLiteral("Do not check for beta updates"));
    return false;
}

bool AppDelegate::isShortcutEnabled() const {
    return defaults_.boolForKey(SettingsKeys::CleanShortcutEnabled);
}

void AppDelegate::setShortcutEnabled(bool enabled) {
    if (enabled == isShortcutEnabled())
        return;
    defaults_.setBool(enabled, SettingsKeys::CleanShortcutEnabled);
    resetShortcutRegistration();
    emit shortcutEnabledChanged(enabled);
}

bool AppDelegate::isConstantShortcutEnabled() const {
    return defaults_.boolForKey(SettingsKeys::ConstantShortcutEnabled);
}

void AppDelegate::setConstantShortcutEnabled(bool enabled) {
    if (enabled == isConstantShortcutEnabled())
        return;
    defaults_.setBool(enabled, SettingsKeys::ConstantShortcutEnabled);
    resetConstantShortcutRegistration();
    emit constantShortcutEnabledChanged(enabled);
}

// Login items, updates and reports.

void AppDelegate::bindOutsideControls() {
    // The box shows whether the session really starts this program.
    ui_.LoginOutletCheckBox->setChecked(LoginItems::forThisProgram().contains());
    connect(ui_.LoginOutletCheckBox, &QCheckBox::clicked, this, &AppDelegate::LoginAction);
    connect(ui_.feedbackButton, &QPushButton::clicked, this, &AppDelegate::provideFeedback);

    performAfterDelay_ = [this](int ms, std::function<void()> call) {
        QTimer::singleShot(ms, this, std::move(call));
    };
    // One line under the boxes says why those that cannot act are disabled.
    QStringList reasons;
    if (Endpoints::updateFeed().isEmpty() || Endpoints::updatePublicKey().isEmpty()) {
        ui_.CheckforUpdatesStartUpCheckBox->setEnabled(false);
        ui_.BetaUpdatesCheckBox->setEnabled(false);
        reasons << tr("Updates are off: this build names no update feed and key.");
    }
    bindCheckBox(ui_.SendUsageReportsCheckBox, defaults_, SettingsKeys::SendUsageReports);
    if (Endpoints::usageReports().isEmpty()) {
        ui_.SendUsageReportsCheckBox->setEnabled(false);
        ui_.SendUsageReportsCheckBox->setToolTip(tr("This build sends no usage reports."));
        reasons << tr("Usage reports are off: this build names no address for them.");
    }
    ui_.updatesUnavailableLabel->setText(reasons.join(QLatin1Char('\n')));
    ui_.updatesUnavailableLabel->setVisible(!reasons.isEmpty());
}

void AppDelegate::startOutsideComponents() {
    auto &issues = DMIssuesController::sharedController();
    issues.enableCrashReporting();
    issues.enableUncaughtExceptionReporting();
    issues.reportUnhandledProblemsIfExists();

    updater_ = Updater::create(defaults_);
    if (updater_)
        updater_->setDelegate({[this] {
            return updaterShouldCheckForBetaUpdates();
        }});

    const QVariant launches = defaults_.objectForKey(SettingsKeys::launchCount);
    defaults_.setObject(
        qint64(launches.typeId() == QMetaType::LongLong ? launches.toLongLong() : 0) + 1,
        SettingsKeys::launchCount);
    askForUsageReports();
    sendTrackingReport();

    if (defaults_.boolForKey(SettingsKeys::CheckforUpdatesStartUp) && updater_)
        updater_->checkForUpdatesInBackground();
}

// Asked once, at the first start with a usage address; the settings box changes it later.
void AppDelegate::askForUsageReports() {
    if (Endpoints::usageReports().isEmpty() ||
        defaults_.objectForKey(SettingsKeys::SendUsageReports).isValid())
        return;
    Alert alert;
    alert.style = Alert::Informational;
    alert.title = tr("Send anonymous usage reports?");
    alert.message = tr("Quillmere can tell its developers its version, your system's version and "
                       "how often it was started; nothing personal. You can change this in the "
                       "settings tab.");
    alert.buttons = {tr("Send Reports"), tr("Don't Send")};
    Alerts::beginSheet(alert, this, [this](int code) {
        const bool agreed = code == Alerts::FirstButtonReturn;
        defaults_.setBool(agreed, SettingsKeys::SendUsageReports);
        if (agreed)
            sendTrackingReport();
    });
}

void AppDelegate::provideFeedback() {
    DMFeedbackController::sharedController().showFeedbackWindowInMode(0, [](bool success) {
        NSLog(QStringLiteral("Did finish feedback with success: %1")
                  .arg(success ? QStringLiteral("TRUE") : QStringLiteral("FALSE")));
    });
}

void AppDelegate::sendTrackingReport() {
    DMTrackingInfoProvider provider;
    provider.trackingAllowed = [this] {
        return defaults_.boolForKey(SettingsKeys::SendUsageReports);
    };
    provider.trackingReport = [this] {
        return QJsonObject{{QStringLiteral("version"), Bundle::version()},
                           {QStringLiteral("system"), QSysInfo::prettyProductName()},
                           {QStringLiteral("launches"),
                            defaults_.objectForKey(SettingsKeys::launchCount).toLongLong()}};
    };
    auto reporter = DMTrackingReporter::reporterWithInfoProvider(std::move(provider));
    reporter->setDelegate({[self = QPointer<AppDelegate>(this)](DMTrackingReporter &) {
        if (self)
            self->trackingReporterDidFailToSendReport();
    }});
    reporter->sendReport(true);
}

void AppDelegate::trackingReporterDidFailToSendReport() {
    performAfterDelay_(30'000, [self = QPointer<AppDelegate>(this)] {
        if (self)
            self->sendTrackingReport();
    });
}

void AppDelegate::setPerformAfterDelayForTesting(DelayedCall performAfterDelay) {
    performAfterDelay_ = std::move(performAfterDelay);
}

void AppDelegate::LoginAction() {
    const LoginItems items = LoginItems::forThisProgram();
    if (ui_.LoginOutletCheckBox->isChecked()) {
        NSLog(QStringLiteral("On adding to login items."));
        items.insertItem();
    } else {
        NSLog(QStringLiteral("Off removing from login items."));
        items.removeItems();
    }
}

// Hot keys

void AppDelegate::registerHotKeys() {
    ui_.shortcutView->setMainMenu(
        [this] { return MenuModel::fromActions(window_.menuBar()->actions()); });
    ui_.shortcutView->setAssociatedUserDefaultsKey(defaults_, SettingsKeys::CleanShortcut);
    resetShortcutRegistration();
    resetConstantShortcutRegistration();
    const QString reason = HotKeyService::shared().unavailableReason();
    if (!reason.isEmpty())
        NSLog(reason);
    showHotKeyState();
}

// One line under the recorder: why no shortcut can work here, else why this one does not.
void AppDelegate::showHotKeyState() {
    const QString reason = HotKeyService::shared().unavailableReason();
    const QString line = !reason.isEmpty() ? reason : shortcutFailure_;
    ui_.hotKeyUnavailableLabel->setText(line);
    ui_.hotKeyUnavailableLabel->setVisible(!line.isEmpty());
}

void AppDelegate::resetShortcutRegistration() {
    if (isShortcutEnabled())
        ShortcutSettings::registerGlobalShortcutWithUserDefaultsKey(
            defaults_, SettingsKeys::CleanShortcut,
            [this] { cleaner_->cleanDesktopItems(CleanTrigger::Shortcut); },
            [this](const QString &failure) {
                shortcutFailure_ = failure;
                showHotKeyState();
            });
    else
        ShortcutSettings::unregisterGlobalShortcutWithUserDefaultsKey(SettingsKeys::CleanShortcut);
    if (!isShortcutEnabled()) {
        shortcutFailure_.clear();
        showHotKeyState();
    }
}

void AppDelegate::resetConstantShortcutRegistration() {
    if (isConstantShortcutEnabled()) {
        constexpr quint64 kVK_F2 = 120;
        constantShortcutMonitor_ = ShortcutMonitor::addGlobalHotkeyMonitorWithShortcut(
            Shortcut(kVK_F2, Shortcut::NSCommandKeyMask), [] {
                Alerts::runModal(
                    {localizedString(QT_TRANSLATE_NOOP("Quillmere", "⌘F2 has been pressed.")),
                     QString(),
                     {localizedString(QT_TRANSLATE_NOOP("Quillmere", "OK"))},
                     Alert::Warning});
            });
    } else {
        ShortcutMonitor::removeGlobalHotkeyMonitor(std::exchange(constantShortcutMonitor_, {}));
    }
}

void AppDelegate::unregisterHotKeys() {
    // The handlers hold this controller.
    ShortcutSettings::unregisterGlobalShortcutWithUserDefaultsKey(SettingsKeys::CleanShortcut);
    ShortcutMonitor::removeGlobalHotkeyMonitor(std::exchange(constantShortcutMonitor_, {}));
}

// Requests handed over by a later start

void AppDelegate::cleanFromCommandLine() {
    cleaner_->cleanDesktopItems(CleanTrigger::CommandLine);
}

void AppDelegate::restoreFromCommandLine(const QString &folder) {
    restore_->restoreFolder(folder, [](const Restore::Result &) {});
}

// Menu-bar or window mode

void AppDelegate::setUpModeSwitch() {
    mode_ = std::make_unique<AppMode>(defaults_, window_, ui_, [this] { return menuBarIconName_; });
    connect(ui_.MenuAppSegment, &SegmentedControl::activated, this,
            [this](int segment) { mode_->menuAppSegmentAction(segment); });
}
