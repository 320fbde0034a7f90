// SPDX-License-Identifier: GPL-3.0-or-later
// Notices reach the real desktop notification daemon (dunst, started around this test by the
// end-to-end launcher) on both routes, and a run of moves posts one delayed notice.
#include "Notices.h"
#include "PendingNotice.h"
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

struct Shown {
    QString app, summary, body;
    qint64 timeoutMicroseconds; // the daemon's own (10 minutes here) unless a notice is sticky
    bool operator==(const Shown &) const = default;
};

char *toString(const Shown &s) {
    return QTest::toString(
        QStringList{s.app, s.summary, s.body, QString::number(s.timeoutMicroseconds)}.join(" | "));
}

// Every notice the daemon has shown, oldest first (closing them moves them into its history).
QList<Shown> shownNotices() {
    dunstctl(QStringLiteral("close-all"));
    const QJsonArray entries =
        QJsonDocument::fromJson(dunstctl(QStringLiteral("history"))).object()["data"][0].toArray();
    QList<Shown> shown;
    for (const QJsonValue &e : entries)
        shown.prepend({e["appname"]["data"].toString(), e["summary"]["data"].toString(),
                       e["body"]["data"].toString(), e["timeout"]["data"].toInteger()});
    return shown;
}
} // namespace

class tst_Notices : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("needs a session bus with dunst (tests/e2e/desktop.py)");
        dunstctl(QStringLiteral("history-clear"));
    }

    void reachTheNotificationDaemon() {
        const QString emptyText = QStringLiteral(
            "Your desktop is already clear. Or you have one folder called Quillmere, on your "
            "desktop.");
        SystemVersion::setAppKitVersionNumber(1265);
        Notices::postNoticeWithTitle(QStringLiteral("Clean Complete"),
                                     QStringLiteral("Finished Cleaning:3 items"));
        SystemVersion::setAppKitVersionNumber(1138.9); // the Growl route, same service
        Notices::postNoticeWithTitle(QStringLiteral("The Desktop is already clean."), emptyText);

        // Two runs within half a second: one notice, with the first run's count.
        PendingNotice pending(QStringLiteral("Restore Complete"),
                              QStringLiteral("Finished Restoring:%@ items"));
        SystemVersion::setAppKitVersionNumber(1500);
        pending.itemMoved(QStringLiteral("2"));
        pending.itemMoved(QStringLiteral("2"));
        pending.itemMoved(QStringLiteral("5"));
        QCOMPARE(pending.pendingNoticeCount(), 3);
        QTRY_COMPARE(pending.pendingNoticeCount(), 0);
        QTest::qWait(300);

        const QList<Shown> expected{
            {"Quillmere", "Clean Complete", "Finished Cleaning:3 items", 600000000},
            {"Quillmere", "The Desktop is already clean.", emptyText, 600000000},
            {"Quillmere", "Restore Complete", "Finished Restoring:2 items", 600000000},
        };
        QCOMPARE(shownNotices(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_Notices)
#include "tst_notices.moc"
