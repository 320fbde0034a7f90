// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Alerts.h"
#include "AppDelegate.h"
#include "Log.h"
#include "MenuBarWindow.h"
#include "OpenPanel.h"
#include "UserDefaults.h"
#include "UserNotifications.h"
#include "ui_MainContent.h"

#include <QStringList>
#include <QWidget>
#include <memory>
#include <mutex>

// What the program reports while this lives: log lines (from any thread), alerts (answered with
// their first button) and notices as "title|text", kept instead of shown.
struct Reports {
    Reports() {
        setLogSink([this](const QString &line) {
            std::lock_guard lock(mutex);
            log << line;
        });
        Alerts::setPresenterForTesting([this](const Alert &a) {
            alerts << a;
            return Alerts::FirstButtonReturn;
        });
        UserNotifications::setSinkForTesting(
            [this](const UserNotification &n) { notices << n.title + "|" + n.informativeText; });
    }
    ~Reports() {
        setLogSink(nullptr);
        Alerts::setPresenterForTesting(nullptr);
        UserNotifications::setSinkForTesting(nullptr);
    }
    QStringList logged(const QString &part) { // the lines containing `part`
        std::lock_guard lock(mutex);
        return log.filter(part);
    }

    std::mutex mutex;
    QStringList log;
    QList<Alert> alerts;
    QStringList notices;
};

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
