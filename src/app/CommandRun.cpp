// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandRun.h"

#include "Cleaner.h"
#include "MoveJournal.h"
#include "MoveWorker.h"
#include "OpenPanel.h"
#include "Restore.h"
#include "SettingsKeys.h"
#include "StandardFolders.h"
#include "Undo.h"
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

// The journal, with what a kill left unfinished resolved first.
std::shared_ptr<MoveJournal> openJournal() {
    auto journal = std::make_shared<MoveJournal>(MoveJournal::standardPath());
    journal->open();
    return journal;
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
    inputs.journal = openJournal();
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
    Restore restore(defaults, chooser, &QDate::currentDate, nullptr, openJournal());
    restore.postNoticeAtOnce();
    Restore::Result result;
    restore.restoreFolder(folder, [&result](const Restore::Result &r) {
        result = r;
        quitSoon();
    });
    QCoreApplication::exec();
    return finish(result.refusal, result.found, result.moved);
}

int CommandRun::undo() {
    MoveWorker worker;
    Undo undo(openJournal(), worker);
    qsizetype stayed = 0;
    QObject::connect(&undo, &Undo::undone,
                     [&stayed](qsizetype, qsizetype nameTaken, qsizetype failed) {
                         stayed = nameTaken + failed;
                         quitSoon();
                     });
    if (!undo.undoLastClean())
        return finish(QCoreApplication::translate("CommandRun",
                                                  "There is no clean to undo: the last one was "
                                                  "undone, or nothing was cleaned since."),
                      0, 0);
    QCoreApplication::exec();
    flushSessionBus();
    if (stayed == 0)
        return Done;
    std::fprintf(stderr, "%s\n",
                 qPrintable(QCoreApplication::translate(
                                "CommandRun", "%1 items stayed in the month folder: the Desktop "
                                              "has items of their names, or they could not be "
                                              "moved; --verbose tells why.")
                                .arg(stayed)));
    return ItemsLeft;
}
