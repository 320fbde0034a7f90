// SPDX-License-Identifier: GPL-3.0-or-later
#include "Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QStringDecoder>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace {
std::mutex logMutex;
LogSink &sink() {
    static LogSink s;
    return s;
}
} // namespace

void NSLog(const QString &message) {
    std::lock_guard lock(logMutex);
    if (sink()) {
        sink()(message);
        return;
    }
    const QByteArray line =
        QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss.zzz").toUtf8() + " Quillmere[" +
        QByteArray::number(getpid()) + "] " + message.toUtf8() + "\n";
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

void setLogSink(LogSink s) {
    std::lock_guard lock(logMutex);
    sink() = std::move(s);
}

QString readableName(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (!decoder.hasError())
        return text;
    // Not UTF-8: keep the printable ASCII, show every other byte by its value.
    QString out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f && u != '\\')
            out += QLatin1Char(c);
        else
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return out;
}
