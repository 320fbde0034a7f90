// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Alerts.h"
#include "Log.h"
#include "OpenPanel.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "UserNotifications.h"

#include <QStringList>
#include <QtTest>
#include <mutex>
#include <optional>

using L = QStringList;

// What the program reports while this lives, kept instead of shown: log lines (from any
// thread), alerts as "title: message [buttons]" (answered with their first button) and notices
// as "title: text".
struct Reports {
    Reports() {
        setLogSink([this](const QString &line) {
            std::lock_guard lock(mutex);
            log << line;
        });
        Alerts::setPresenterForTesting([this](const Alert &a) {
            alerts << a.title + ": " + a.message + " [" + a.buttons.join(", ") + "]";
            return Alerts::FirstButtonReturn;
        });
        UserNotifications::setSinkForTesting(
            [this](const UserNotification &n) { notices << n.title + ": " + n.informativeText; });
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
    QStringList log, alerts, notices;
};

// Stands in for the chooser: keeps what it was asked, and answers at once with `answer` when set,
// else when the test ends it as a user would.
struct TestPanel : OpenPanel {
    void begin(const OpenPanelOptions &o, Completion c) override {
        options = o;
        ++shown;
        completion = std::move(c);
        if (answer)
            end(answer->first, answer->second);
    }
    bool isOpen() const { return bool(completion); }
    void end(int result, const QString &path) {
        QVERIFY(isOpen());
        std::exchange(completion, nullptr)(result, path);
    }

    std::optional<std::pair<int, QString>> answer;
    OpenPanelOptions options;
    Completion completion;
    int shown = 0;
};

// A temporary HOME, its reports kept, and a settings store over its settings file.
struct Sandbox {
    TestHome home;
    Reports reports;
    UserDefaults defaults{home.settingsFile()};
};
