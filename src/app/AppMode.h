// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrayIcon.h"

#include <QString>
#include <functional>

class MenuBarWindow;
class UserDefaults;
namespace Ui {
class MainContent;
}

// The program's two modes, kept in AppShouldRunInMenuBar: a task-bar window with its menu bar
// (window mode), or a tray icon with the window hanging below it, no task-bar entry, no menu bar
// and the Quit button in the clean tab (menu-bar mode). Without any tray, menu-bar mode would
// leave the user with nothing to click: it is refused, with the reason.
class AppMode {
public:
    using TrayDetector = std::function<TrayAvailability()>;
    // `iconName`: the tray image's resource name, read at each change.
    AppMode(UserDefaults &defaults, MenuBarWindow &window, Ui::MainContent &ui,
            std::function<QString()> iconName, TrayDetector detector = detectTray);

    // The stored mode, at start-up: no alert, nothing written.
    void applyStartupMode();
    // The user's choice in MenuAppSegment: 0 menu bar (after its alert), 1 window.
    void menuAppSegmentAction(int segment);

private:
    void apply(bool menuBar);
    void setActivationPolicy(int policy); // 0: task-bar window with menu bar; 1: neither

    UserDefaults &defaults_;
    MenuBarWindow &window_;
    Ui::MainContent &ui_;
    std::function<QString()> iconName_;
    TrayDetector detector_;
};
