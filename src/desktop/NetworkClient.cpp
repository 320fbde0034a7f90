// SPDX-License-Identifier: GPL-3.0-or-later
#include "NetworkClient.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <memory>

NetworkClient::NetworkClient(QObject *parent)
    : QObject(parent)
    , manager_(new QNetworkAccessManager(this)) {}

NetworkClient::~NetworkClient() = default;

NetworkClient &NetworkClient::shared() {
    static QPointer<NetworkClient> client;
    if (!client)
        client = new NetworkClient(QCoreApplication::instance());
    return *client;
}

bool NetworkClient::isAllowed(const QUrl &url, QString *why) {
    QString reason;
    if (!url.isValid() || url.host().isEmpty())
        reason = QStringLiteral("not a valid address");
    else if (url.scheme() == QStringLiteral("http")) {
        const QHostAddress host(url.host());
        if (url.host() != QStringLiteral("localhost") && !host.isLoopback())
            reason = QStringLiteral("plain HTTP is allowed only to this computer");
    } else if (url.scheme() != QStringLiteral("https"))
        reason = QStringLiteral("only HTTPS is allowed");
    if (why)
        *why = reason;
    return reason.isEmpty();
}

void NetworkClient::send(const Request &request, QObject *context,
                         std::function<void(const NetworkReply &)> done) {
    QPointer<QObject> guard(context);
    auto finish = [guard, guarded = context != nullptr, done = std::move(done)](NetworkReply r) {
        if (guard || !guarded)
            done(r);
    };
    QString why;
    if (!isAllowed(request.url, &why)) {
        NetworkReply r;
        r.error = QStringLiteral("%1: %2").arg(request.url.toDisplayString(), why);
        // Later, as every completion comes: callers need not care which failure it was.
        QMetaObject::invokeMethod(
            this, [finish, r] { finish(r); }, Qt::QueuedConnection);
        return;
    }
    QNetworkRequest req(request.url);
    req.setTransferTimeout(request.timeoutMs);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply *reply;
    if (request.contentType.isEmpty()) {
        reply = manager_->get(req);
    } else {
        req.setHeader(QNetworkRequest::ContentTypeHeader, request.contentType);
        reply = manager_->post(req, request.postBody);
    }
    auto body = std::make_shared<QByteArray>();
    auto tooLarge = std::make_shared<bool>(false);
    const qint64 maxBytes = request.maxBytes;
    connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl &to) {
        if (isAllowed(to))
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
    connect(reply, &QNetworkReply::readyRead, reply, [reply, body, tooLarge, maxBytes] {
        body->append(reply->read(maxBytes + 1 - body->size()));
        if (body->size() > maxBytes) {
            *tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, reply, [reply, body, tooLarge, maxBytes, finish] {
        reply->deleteLater();
        NetworkReply r;
        r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (!*tooLarge)
            body->append(reply->read(maxBytes + 1 - body->size()));
        if (*tooLarge || body->size() > maxBytes)
            r.error = QStringLiteral("the answer is larger than %1 bytes").arg(maxBytes);
        else if (reply->error() != QNetworkReply::NoError)
            r.error = reply->errorString();
        else if (r.status < 200 || r.status > 299)
            r.error = QStringLiteral("the server answered %1").arg(r.status);
        r.ok = r.error.isEmpty();
        if (r.ok)
            r.body = std::move(*body);
        finish(r);
    });
}
