// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QtTest>

// A tiny HTTP server on the loopback for one test: it answers each path in `routes` with 200 and
// that body (404 for others), keeps every request, and stops when told or when it ends, so that
// its address then refuses connections.
class LoopbackServer : public QObject {
public:
    struct Request {
        QByteArray method, path, body;
    };

    LoopbackServer() {
        QVERIFY(server_.listen(QHostAddress::LocalHost));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
        });
    }
    QUrl url(const QString &path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }
    void stop() { server_.close(); }

    QMap<QByteArray, QByteArray> routes;
    QList<Request> requests;

private:
    void read(QTcpSocket *socket) {
        QByteArray &buffer = buffers_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        qsizetype length = 0;
        for (const QByteArray &line : lines)
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        const QList<QByteArray> first = lines[0].trimmed().split(' ');
        Request request{first.value(0), first.value(1), buffer.mid(end + 4, length)};
        requests << request;
        buffers_.remove(socket);
        const bool found = routes.contains(request.path);
        const QByteArray body = routes.value(request.path);
        socket->write(QByteArray(found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                      "Content-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    QTcpServer server_;
    QMap<QTcpSocket *, QByteArray> buffers_;
};
