// SPDX-License-Identifier: GPL-3.0-or-later
// Notices reach the real dunst (started by the end-to-end launcher) on both routes.
#include "Notices.h"
#include "SystemVersion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {
QByteArray dunstctl(const QString &command) {
    QProcess process;
    process.start(QStringLiteral("dunstctl"), {command});
    process.waitForFinished(10000);
    return process.readAllStandardOutput();
}

// "app | title | text | timeout in µs" of every notice shown, oldest first.
QStringList shownNotices() {
    dunstctl(QStringLiteral("close-all")); // closed notices go to the history
    const QJsonDocument history = QJsonDocument::fromJson(dunstctl(QStringLiteral("history")));
    QStringList shown;
    for (const QJsonValue &e : history.object()["data"][0].toArray())
        shown.prepend(QStringList{e["appname"]["data"].toString(), e["summary"]["data"].toString(),
                                  e["body"]["data"].toString(),
                                  QString::number(e["timeout"]["data"].toInteger())}
                          .join(" | "));
    return shown;
}
} // namespace

class tst_Notices : public QObject {
    Q_OBJECT
private slots:
    void reachTheNotificationDaemon() {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("needs a session bus with dunst (tests/e2e/desktop.py)");
        dunstctl(QStringLiteral("history-clear"));
        SystemVersion::setAppKitVersionNumber(1265);
        Notices::postNoticeWithTitle("Clean Complete", "Finished Cleaning:3 items");
        SystemVersion::setAppKitVersionNumber(1138.9); // the Growl route, same service
        Notices::postNoticeWithTitle("The Desktop is already clean.", "Your desktop is clear.");
        // The daemon's own timeout (10 minutes here) each time: none is sticky or critical.
        QTRY_COMPARE(
            shownNotices(),
            (QStringList{"Quillmere | Clean Complete | Finished Cleaning:3 items | 600000000",
                         "Quillmere | The Desktop is already clean. | Your desktop is clear. | "
                         "600000000"}));
    }
};

QTEST_GUILESS_MAIN(tst_Notices)
#include "tst_notices.moc"
