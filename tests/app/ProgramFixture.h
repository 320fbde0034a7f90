// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppDelegate.h"
#include "MenuBarWindow.h"
#include "StandIns.h"
#include "ui_MainContent.h"

#include <QWidget>
#include <memory>

// One start of the program as the entry point makes it: the window, its controls and the
// controller over a settings store, woken and launched.
struct Program {
    explicit Program(UserDefaults &defaults, OpenPanel *panel = nullptr) {
        content = new QWidget(&window);
        ui.setupUi(content);
        window.setCentralWidget(content);
        delegate = std::make_unique<AppDelegate>(defaults, window, ui, panel);
        delegate->awakeFromNib();
        delegate->applicationDidFinishLaunching();
    }

    MenuBarWindow window;
    QWidget *content = nullptr;
    Ui::MainContent ui;
    std::unique_ptr<AppDelegate> delegate; // declared last: it goes before the controls
};
