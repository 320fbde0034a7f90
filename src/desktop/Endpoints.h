// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Where Quillmere talks to, as the build was configured (CMake options QUILLMERE_UPDATE_FEED_URL,
// QUILLMERE_UPDATE_PUBLIC_KEY, QUILLMERE_USAGE_REPORT_URL, QUILLMERE_CRASH_REPORT_URL,
// QUILLMERE_FEEDBACK_URL, QUILLMERE_FEEDBACK_ADDRESS). An empty URL means "none": the feature
// that needs it stays off. The environment variable of the same name replaces a URL, so that a
// local server can stand in; the update key comes from the build alone.
namespace Endpoints {
QUrl updateFeed();
QByteArray updatePublicKey(); // Ed25519, 32 bytes, or empty
QUrl usageReports();
QUrl crashReports();
QUrl feedback();
QString feedbackAddress(); // mail address for feedback when no feedback URL is set
} // namespace Endpoints
