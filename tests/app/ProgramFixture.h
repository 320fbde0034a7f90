// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppDelegate.h"
#include "MenuBarWindow.h"
#include "OpenPanel.h"
#include "UserDefaults.h"
#include "ui_MainContent.h"

#include <QWidget>
#include <memory>

// One start of the program as the entry point makes it: the window, its controls and the
// controller over a settings store, woken and launched.
// A chooser that answers as the test says, and remembers what it was asked.
struct AnsweringPanel : OpenPanel {
    void begin(const OpenPanelOptions &o, Completion completion) override {
        options = o;
        ++shown;
        completion(result, path);
    }
    int result = OpenPanel::OKButton;
    QString path;
    OpenPanelOptions options;
    int shown = 0;
};

struct Program {
    explicit Program(UserDefaults &defaults, OpenPanel *panel = nullptr) {
        content = new QWidget(&window);
        ui.setupUi(content);
        window.setCentralWidget(content);
        delegate = std::make_unique<AppDelegate>(defaults, window, ui, panel);
        delegate->awakeFromNib();
        delegate->applicationDidFinishLaunching();
    }
    ~Program() { delegate.reset(); }

    MenuBarWindow window;
    QWidget *content = nullptr;
    Ui::MainContent ui;
    std::unique_ptr<AppDelegate> delegate;
};
