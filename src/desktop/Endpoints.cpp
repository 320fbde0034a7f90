// SPDX-License-Identifier: GPL-3.0-or-later
#include "Endpoints.h"

namespace {
QUrl configured(const char *variable, const char *built) {
    const QByteArray value = qgetenv(variable);
    return QUrl(QString::fromUtf8(value.isNull() ? QByteArray(built) : value));
}
} // namespace

QUrl Endpoints::updateFeed() {
    return configured("QUILLMERE_UPDATE_FEED_URL", QUILLMERE_UPDATE_FEED_URL);
}

QByteArray Endpoints::updatePublicKey() {
    const QByteArray key = QByteArray::fromBase64(QByteArrayLiteral(QUILLMERE_UPDATE_PUBLIC_KEY));
    return key.size() == 32 ? key : QByteArray();
}

QUrl Endpoints::usageReports() {
    return configured("QUILLMERE_USAGE_REPORT_URL", QUILLMERE_USAGE_REPORT_URL);
}

QUrl Endpoints::crashReports() {
    return configured("QUILLMERE_CRASH_REPORT_URL", QUILLMERE_CRASH_REPORT_URL);
}

QUrl Endpoints::feedback() {
    return configured("QUILLMERE_FEEDBACK_URL", QUILLMERE_FEEDBACK_URL);
}

QString Endpoints::feedbackAddress() {
    const QByteArray value = qgetenv("QUILLMERE_FEEDBACK_ADDRESS");
    return QString::fromUtf8(value.isNull() ? QByteArray(QUILLMERE_FEEDBACK_ADDRESS) : value);
}
