// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Writes one plain line to standard error: "2026-12-05 16:46:49.123 Quillmere[4242] message".
// Safe to call from any thread. Does not format arguments: callers use QString::arg.
void NSLog(const QString &message);

// Tests read the lines through a sink (the message alone, without time and process).
// A null sink restores standard error.
using LogSink = std::function<void(const QString &message)>;
void setLogSink(LogSink sink);

// A file name (bytes) as readable text for logs: valid UTF-8 as it is, every other byte as \xNN.
QString readableName(const QByteArray &bytes);
