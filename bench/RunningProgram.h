// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppDelegate.h"
#include "AppSettingsKeys.h"
#include "Bundle.h"
#include "MenuBarWindow.h"
#include "UserDefaults.h"
#include "ui_MainContent.h"

#include <QString>
#include <QWidget>
#include <memory>

namespace bench {
// The program as it runs after a start that is not the first: its settings file in `home`, the
// automatic clean on with `threshold` (empty: every change cleans), its window and controller
// started. Needs a QApplication.
struct RunningProgram {
    RunningProgram(const QString &home, const QString &documents, const QString &threshold)
        : defaults(home + "/.config/Quillmere/Quillmere.plist") {
        defaults.setObject(QVariantList{Bundle::version()}, SettingsKeys::prevStartupVersions);
        defaults.setObject(documents, SettingsKeys::CleanPath);
        defaults.setBool(true, SettingsKeys::AutoClean);
        if (!threshold.isEmpty())
            defaults.setObject(threshold, SettingsKeys::AutoCleanThreshold);
        ui.setupUi(new QWidget(&window));
        delegate = std::make_unique<AppDelegate>(defaults, window, ui);
        delegate->awakeFromNib();
        delegate->applicationDidFinishLaunching();
    }

    UserDefaults defaults;
    MenuBarWindow window;
    Ui::MainContent ui;
    std::unique_ptr<AppDelegate> delegate; // made once the window's controls exist
};
} // namespace bench
