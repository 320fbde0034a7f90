// SPDX-License-Identifier: GPL-3.0-or-later
#include "Log.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {
std::mutex logMutex;
LogSink &sink() {
    static LogSink s;
    return s;
}

// The C library's clock and calendar: the last lines are written as the program ends, when Qt's
// own may be gone.
QByteArray timestamp() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03ld", now.tv_nsec / 1000000);
    return QByteArray(text);
}

void writeLine(const QString &message) {
    const QByteArray line =
        timestamp() + " Quillmere[" + QByteArray::number(getpid()) + "] " + message.toUtf8() + "\n";
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

// The counts still held when the program ends are written then.
struct StandardErrorRepeats {
    RepeatedLines lines;
    ~StandardErrorRepeats() {
        std::lock_guard lock(logMutex);
        for (const QString &line : lines.flush())
            writeLine(line);
    }
};
RepeatedLines &repeats() {
    static StandardErrorRepeats r;
    return r.lines;
}
} // namespace

void NSLog(const QString &message) {
    RepeatedLines &standardError = repeats(); // made before the lock that its end takes
    std::lock_guard lock(logMutex);
    if (sink()) {
        sink()(message);
        return;
    }
    for (const QString &line : standardError.add(message, RepeatedLines::Clock::now()))
        writeLine(line);
}

QStringList RepeatedLines::add(const QString &message, Clock::time_point now) {
    QStringList out;
    if (counting_ > 0 || seen_.size() >= capacity_)
        sweep(now, out);
    const auto it = seen_.find(message);
    if (it != seen_.end() && now - it->written < window_) {
        counting_ += it->repeats++ == 0;
        return out;
    }
    if (it != seen_.end())
        it->written = now;
    else if (seen_.size() < capacity_)
        seen_.insert(message, {now, 0});
    out.append(message);
    return out;
}

QStringList RepeatedLines::flush() {
    QStringList out;
    sweep(Clock::time_point::max(), out);
    return out;
}

void RepeatedLines::sweep(Clock::time_point now, QStringList &out) {
    // In the order they were first written: a hash has none of its own.
    std::vector<std::pair<Clock::time_point, QString>> counted;
    for (auto it = seen_.begin(); it != seen_.end();) {
        if (now - it->written < window_) {
            ++it;
            continue;
        }
        if (it->repeats > 0) {
            counted.emplace_back(it->written, summary(it.key(), it->repeats));
            --counting_;
        }
        it = seen_.erase(it); // written again in full when it comes back
    }
    std::ranges::sort(counted);
    for (auto &[written, line] : counted)
        out.append(std::move(line));
}

QString RepeatedLines::summary(const QString &message, qint64 repeats) {
    return QStringLiteral("%1 …(repeated %2 times)").arg(message).arg(repeats);
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
