// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QUrl>
#include <functional>
#include <memory>

class DMTrackingReporter;

// What the reporter asks the program.
struct DMTrackingInfoProvider {
    std::function<bool()> trackingAllowed;       // the user's answer; null: no
    std::function<QJsonObject()> trackingReport; // what one report holds
};

struct DMTrackingReporterDelegate {
    std::function<void(DMTrackingReporter &)> trackingReporterDidFailToSendReport;
};

// Sends one usage report (a small JSON object from the information provider) to the build's
// usage address. With no address, or without the user's agreement, nothing is sent and the
// delegate hears nothing; a report that fails tells the delegate. The reporter keeps itself
// alive until its request has ended: the caller need not hold it.
class DMTrackingReporter : public std::enable_shared_from_this<DMTrackingReporter> {
public:
    static std::shared_ptr<DMTrackingReporter>
    reporterWithInfoProvider(DMTrackingInfoProvider provider, QUrl endpoint);
    static std::shared_ptr<DMTrackingReporter>
    reporterWithInfoProvider(DMTrackingInfoProvider provider); // the build's address

    void setDelegate(DMTrackingReporterDelegate delegate) { delegate_ = std::move(delegate); }
    void sendReport(bool now);

    DMTrackingReporter(DMTrackingInfoProvider provider, QUrl endpoint);

private:
    DMTrackingInfoProvider provider_;
    QUrl endpoint_;
    DMTrackingReporterDelegate delegate_;
};
