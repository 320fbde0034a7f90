// SPDX-License-Identifier: GPL-3.0-or-later
#include "GraphicalSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {
bool platformPlausible(const QString &entry, const QProcessEnvironment &environment) {
    // "xcb:option=value": the options do not matter here.
    const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
    if (name == QLatin1String("xcb"))
        return !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    if (name.startsWith(QLatin1String("wayland"))) {
        if (!environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
            return true;
        const QString runtime = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
        return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/wayland-0"));
    }
    return !name.isEmpty(); // offscreen, minimal, vnc, eglfs, linuxfb: no session needed
}

QtMessageHandler previousHandler = nullptr;
// Qt's own lines before its fatal one ("could not connect to display"), held back so that a
// failed start says one line; handed on when the start succeeds.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString message;
};
QList<HeldMessage> held;

void fatalToMessage(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (type != QtFatalMsg) {
        held.append({type, QByteArray(context.category), message});
        return;
    }
    const QByteArray line = GraphicalSession::missingMessage().toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    _exit(1); // nothing of the program has started yet: no file is open for writing
}
} // namespace

bool GraphicalSession::plausible(const QProcessEnvironment &environment) {
    const QString platform = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (platform.trimmed().isEmpty())
        return !environment.value(QStringLiteral("DISPLAY")).isEmpty() ||
               !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    // Qt tries the entries of "wayland;xcb" in turn.
    const QStringList entries = platform.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return std::any_of(entries.cbegin(), entries.cend(),
                       [&](const QString &entry) { return platformPlausible(entry, environment); });
}

QString GraphicalSession::missingMessage() {
    return QCoreApplication::translate(
        "GraphicalSession",
        "Quillmere needs a graphical session to show its window and cannot reach one (DISPLAY, "
        "WAYLAND_DISPLAY). To clean the Desktop without it, run: quillmere --clean");
}

GraphicalSession::StartGuard::StartGuard() {
    previousHandler = qInstallMessageHandler(fatalToMessage);
}

GraphicalSession::StartGuard::~StartGuard() {
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage &m : std::exchange(held, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
        previousHandler(m.type, context, m.message);
    }
    previousHandler = nullptr;
}
