// SPDX-License-Identifier: GPL-3.0-or-later
#include "DMTrackingReporter.h"

#include "Endpoints.h"
#include "Log.h"
#include "NetworkClient.h"

#include <QJsonDocument>

DMTrackingReporter::DMTrackingReporter(DMTrackingInfoProvider provider, QUrl endpoint)
    : provider_(std::move(provider))
    , endpoint_(std::move(endpoint)) {}

std::shared_ptr<DMTrackingReporter>
DMTrackingReporter::reporterWithInfoProvider(DMTrackingInfoProvider provider, QUrl endpoint) {
    return std::make_shared<DMTrackingReporter>(std::move(provider), std::move(endpoint));
}

std::shared_ptr<DMTrackingReporter>
DMTrackingReporter::reporterWithInfoProvider(DMTrackingInfoProvider provider) {
    return reporterWithInfoProvider(std::move(provider), Endpoints::usageReports());
}

void DMTrackingReporter::sendReport(bool now) {
    if (!now)
        return;
    if (endpoint_.isEmpty())
        return; // this build sends no usage reports
    if (!provider_.trackingAllowed || !provider_.trackingAllowed()) {
        NSLog(QStringLiteral("Usage report not sent: the user has not agreed to usage reports"));
        return;
    }
    NetworkClient::Request request;
    request.url = endpoint_;
    request.contentType = "application/json";
    request.postBody =
        QJsonDocument(provider_.trackingReport ? provider_.trackingReport() : QJsonObject())
            .toJson(QJsonDocument::Compact);
    request.maxBytes = 64 * 1024;
    // The completion holds the reporter alive until the answer.
    NetworkClient::shared().send(
        request, nullptr, [self = shared_from_this()](const NetworkReply &reply) {
            if (reply.ok) {
                NSLog(QStringLiteral("Usage report sent"));
                return;
            }
            NSLog(QStringLiteral("Usage report failed: %1").arg(reply.error));
            if (self->delegate_.trackingReporterDidFailToSendReport)
                self->delegate_.trackingReporterDidFailToSendReport(*self);
        });
}
