// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

// Writes one plain line to standard error: "2026-12-05 16:46:49.123 Quillmere[4242] message".
// Safe to call from any thread. Does not format arguments: callers use QString::arg.
// A message written less than a second ago is counted, not written again (RepeatedLines).
void NSLog(const QString &message);

// Tests read the lines through a sink (the message alone, without time and process); the sink
// gets every message, repeated or not. A null sink restores standard error.
using LogSink = std::function<void(const QString &message)>;
void setLogSink(LogSink sink);

// A file name (bytes) as readable text for logs: valid UTF-8 as it is, every other byte as \xNN.
QString readableName(const QByteArray &bytes);

// Keeps a burst of changes from flooding the log: a message written less than `window` ago is
// counted instead of written, and the count comes out as "message …(repeated N times)" once its
// window has passed (at the next message, or at flush()). Remembers at most `capacity`
// messages; not thread-safe (NSLog holds a lock).
class RepeatedLines {
public:
    using Clock = std::chrono::steady_clock;
    explicit RepeatedLines(std::chrono::milliseconds window = std::chrono::seconds(1),
                           qsizetype capacity = 256)
        : window_(window)
        , capacity_(capacity) {}

    // The lines to write now for `message`: the counts whose window has passed, then the
    // message itself unless it repeats within its window.
    QStringList add(const QString &message, Clock::time_point now);
    // Every count not yet written, as lines.
    QStringList flush();

private:
    struct Seen {
        Clock::time_point written;
        qint64 repeats = 0;
    };
    void sweep(Clock::time_point now, QStringList &out);
    static QString summary(const QString &message, qint64 repeats);

    std::chrono::milliseconds window_;
    qsizetype capacity_;
    QHash<QString, Seen> seen_;
    qint64 counting_ = 0; // messages with a count not yet written
};
