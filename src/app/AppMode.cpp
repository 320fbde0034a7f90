// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppMode.h"

#include "Alerts.h"
#include "AppSettingsKeys.h"
#include "BundleImages.h"
#include "Log.h"
#include "MenuBarWindow.h"
#include "Strings.h"
#include "UserDefaults.h"
#include "ui_MainContent.h"

#include <QMenuBar>

AppMode::AppMode(UserDefaults &defaults, MenuBarWindow &window, Ui::MainContent &ui,
                 std::function<QString()> iconName, TrayDetector detector)
    : defaults_(defaults)
    , window_(window)
    , ui_(ui)
    , iconName_(std::move(iconName))
    , detector_(std::move(detector)) {}

void AppMode::applyStartupMode() {
    bool menuBar = defaults_.boolForKey(SettingsKeys::AppShouldRunInMenuBar);
    if (menuBar) {
        if (const TrayAvailability tray = detector_(); tray.kind == TrayKind::None) {
            // The stored choice stays: the tray may be back at the next start.
            NSLog(QStringLiteral("Starting in window mode: %1").arg(tray.reason));
            menuBar = false;
        }
    }
    apply(menuBar);
    ui_.MenuAppSegment->setSelectedSegment(menuBar ? 0 : 1);
    ui_.quitButton->setHidden(!menuBar);
}

void AppMode::menuAppSegmentAction(int segment) {
    if (segment == 0) {
        if (const TrayAvailability tray = detector_(); tray.kind == TrayKind::None) {
            NSLog(QStringLiteral("Menu bar mode refused: %1").arg(tray.reason));
            Alerts::runAlertPanel(
                localizedString(QT_TRANSLATE_NOOP("Quillmere", "Menu bar")),
                localizedString(QT_TRANSLATE_NOOP("Quillmere",
                                                  "Quillmere cannot show its icon: %1. It stays in "
                                                  "its window."))
                    .arg(tray.reason),
                localizedString(QT_TRANSLATE_NOOP("Quillmere", "OK")));
            ui_.MenuAppSegment->setSelectedSegment(1);
            return;
        }
        Alerts::runAlertPanel(
            localizedString(QT_TRANSLATE_NOOP("Quillmere", "Menu bar")),
            localizedString(QT_TRANSLATE_NOOP(
                "Quillmere", "Please note that you will find the application in the "
                             "menu bar from now on. Also you can find the quit "
                             "button in the clean tab.")),
            localizedString(QT_TRANSLATE_NOOP("Quillmere", "OK")));
        apply(true);
        defaults_.setBool(true, SettingsKeys::AppShouldRunInMenuBar);
        defaults_.synchronize();
        ui_.quitButton->setHidden(false);
    } else if (segment == 1) {
        NSLog(QStringLiteral("Off, the user does not want the app in the menu bar."));
        apply(false);
        defaults_.setBool(false, SettingsKeys::AppShouldRunInMenuBar);
        defaults_.synchronize();
        ui_.quitButton->setHidden(true);
    }
}

void AppMode::apply(bool menuBar) {
    window_.setMenuBarIcon(Bundle::imageNamed(iconName_()));
    window_.setHasMenuBarIcon(menuBar);
    window_.setAttachedToMenuBar(menuBar);
    window_.setDetachable(false);
    setActivationPolicy(menuBar ? 1 : 0);
}

void AppMode::setActivationPolicy(int policy) {
    window_.setShowsInTaskBar(policy == 0);
    window_.menuBar()->setVisible(policy == 0);
}
