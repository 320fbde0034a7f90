// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandRun.h"

#include "Cleaner.h"
#include "OpenPanel.h"
#include "Restore.h"
#include "SettingsKeys.h"
#include "StandardFolders.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>
#include <cstdio>

namespace {
// The restore is given its folder; its chooser is never opened.
class NoChooser : public OpenPanel {
public:
    void begin(const OpenPanelOptions &, Completion completion) override {
        completion(CancelButton, QString());
    }
};

// After the notice that a run posted when it ended, which is scheduled before this.
void quitSoon() {
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}

// Notices go out without waiting for an answer; one answered call on the same connection
// shows that the bus holds everything sent before it, so none is lost as the process ends.
void flushSessionBus() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
}

int finish(const QString &refusal, qsizetype found, qsizetype moved) {
    flushSessionBus();
    QString line;
    int status = CommandRun::Done;
    if (!refusal.isEmpty()) {
        line = refusal;
        status = CommandRun::NotDone;
    } else if (moved < found) {
        line = QCoreApplication::translate("CommandRun",
                                           "%1 of %2 items could not be moved (a name already "
                                           "taken, or a file in use); --verbose tells why.")
                   .arg(found - moved)
                   .arg(found);
        status = CommandRun::ItemsLeft;
    }
    if (!line.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(line));
    return status;
}
} // namespace

int CommandRun::clean(const UserDefaults &defaults) {
    // The window's field shows the stored destination; a start that never stored one shows
    // the Documents folder.
    const QString destination =
        defaults.stringForKey(SettingsKeys::CleanPath).value_or(StandardFolders::documents());
    QString refusal;
    std::optional<quint64> itemsLeft;
    Cleaner::Inputs inputs;
    inputs.destinationText = [destination] {
        return destination;
    };
    inputs.thresholdText = [] {
        return QString();
    };
    inputs.refused = [&refusal](CleanTrigger, const QString &reason) {
        refusal = reason;
    };
    inputs.runEnded = [&itemsLeft](CleanTrigger, std::optional<quint64> left) {
        itemsLeft = left;
        quitSoon();
    };
    Cleaner cleaner(defaults, std::move(inputs));
    cleaner.postCommandLineNoticeAtOnce();
    cleaner.cleanDesktopItems(CleanTrigger::CommandLine);
    QCoreApplication::exec();
    const qsizetype left = qsizetype(itemsLeft.value_or(0));
    const qsizetype found = cleaner.lastClean() ? cleaner.lastClean()->found : left;
    return finish(refusal, found, found - left);
}

int CommandRun::restore(const UserDefaults &defaults, const QString &folder) {
    NoChooser chooser;
    Restore restore(defaults, chooser);
    restore.postNoticeAtOnce();
    Restore::Result result;
    restore.restoreFolder(folder, [&result](const Restore::Result &r) {
        result = r;
        quitSoon();
    });
    QCoreApplication::exec();
    return finish(result.refusal, result.found, result.moved);
}
