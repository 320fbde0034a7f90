// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

// Crash reports. Once enabled, a fatal signal (or an exception nobody caught) writes a report
// (the signal, the version, a backtrace) into a file opened beforehand, with nothing but
// async-signal-safe calls, and the program then ends as it would have. At the next start the
// reports found are offered to the user once: sent (when the build names a crash address) or
// kept, or discarded. A report is never sent without the user's answer.
class DMIssuesController : public QObject {
    Q_OBJECT
public:
    // `folder`: where reports go; `endpoint`: where they are sent (empty: they can only be kept).
    DMIssuesController(QString folder, QUrl endpoint, QObject *parent = nullptr);
    ~DMIssuesController() override; // a start that ends well leaves no report

    // The program's: reports under $XDG_STATE_HOME/Quillmere/crashes.
    static DMIssuesController &sharedController();

    void enableCrashReporting();
    void enableUncaughtExceptionReporting();
    // Offers the reports of earlier starts, once; nothing when there are none.
    void reportUnhandledProblemsIfExists();

    QStringList unhandledReports() const; // paths, oldest first

signals:
    void reportsHandled(); // the offer was answered and acted on

private:
    void prepareReportFile();
    void act(const QStringList &reports, int returnCode);

    QString folder_;
    QUrl endpoint_;
    bool enabled_ = false;
};
