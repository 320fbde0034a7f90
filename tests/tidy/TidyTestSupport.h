// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Alerts.h"
#include "OpenPanel.h"
#include "UserNotifications.h"

#include <QDir>
#include <QStringList>
#include <QtTest>

using L = QStringList;

// Every entry of `folder`, hidden ones included, by name.
inline L entries(const QString &folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline QByteArray content(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
}

// Stands in for the chooser: keeps what it was asked for, and the test ends it as a user would.
class FakeOpenPanel : public OpenPanel {
public:
    void begin(const OpenPanelOptions &options, Completion completion) override {
        this->options = options;
        this->completion = std::move(completion);
    }
    bool isOpen() const { return bool(completion); }
    void end(int result, const QString &path) {
        QVERIFY(isOpen());
        std::exchange(completion, nullptr)(result, path);
    }

    OpenPanelOptions options;
    Completion completion;
};

// Keeps the alerts (answered with their first button) and notices posted while it lives,
// instead of showing them.
class ReportsRecorder {
public:
    ReportsRecorder() {
        UserNotifications::setSinkForTesting(
            [this](const UserNotification &n) { notices << n.title + ": " + n.informativeText; });
        Alerts::setPresenterForTesting([this](const Alert &a) {
            alerts << a.title + ": " + a.message + " [" + a.buttons.join(", ") + "]";
            return Alerts::FirstButtonReturn;
        });
    }
    ~ReportsRecorder() {
        Alerts::setPresenterForTesting(nullptr);
        UserNotifications::setSinkForTesting(nullptr);
    }

    L alerts;  // "title: message [buttons]"
    L notices; // "title: text"
};
