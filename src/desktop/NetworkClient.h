// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;

struct NetworkReply {
    bool ok = false; // a 2xx answer, whole and within the size limit
    int status = 0;  // HTTP status, 0 when none came
    QByteArray body;
    QString error; // why not ok, for the log
};

// Asynchronous HTTP(S) requests for Quillmere's outside services. Only HTTPS is allowed, and
// plain HTTP only to the loopback (a local test server); redirects are held to the same rule.
// Every request has a timeout and a size limit: an answer past the limit is cut off and fails.
// Nothing blocks: the completion runs later on the calling (main) thread, unless `context` (when
// given) is gone by then.
class NetworkClient : public QObject {
    Q_OBJECT
public:
    struct Request {
        QUrl url;
        QByteArray postBody; // a POST when `contentType` is set, else a GET
        QByteArray contentType;
        qint64 maxBytes = 1 << 20;
        int timeoutMs = 30'000; // with no byte moving
    };
    explicit NetworkClient(QObject *parent = nullptr);
    ~NetworkClient() override;
    // One client for the whole program, ended with the application.
    static NetworkClient &shared();

    void send(const Request &request, QObject *context,
              std::function<void(const NetworkReply &)> done);

    // Whether requests to `url` are allowed; `why` says why not.
    static bool isAllowed(const QUrl &url, QString *why = nullptr);

private:
    QNetworkAccessManager *manager_;
};
