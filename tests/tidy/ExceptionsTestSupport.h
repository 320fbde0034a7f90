// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Log.h"
#include "OpenPanel.h"

#include <QStringList>
#include <QtTest>
#include <mutex>

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
        Completion ending = std::move(completion);
        completion = nullptr;
        ending(result, path);
    }

    OpenPanelOptions options;
    Completion completion;
};

// Collects the log lines written while it lives (from any thread).
class LogLines {
public:
    LogLines() {
        setLogSink([this](const QString &line) {
            std::lock_guard lock(mutex_);
            lines_.append(line);
        });
    }
    ~LogLines() { setLogSink(nullptr); }
    QStringList lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    bool contains(const QString &line) const { return lines().contains(line); }

private:
    mutable std::mutex mutex_;
    QStringList lines_;
};
