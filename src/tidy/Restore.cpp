// SPDX-License-Identifier: GPL-3.0-or-later
#include "Restore.h"

#include "Alerts.h"
#include "Description.h"
#include "DesktopSafety.h"
#include "FileManager.h"
#include "Log.h"
#include "MonthFolder.h"
#include "MoveJournal.h"
#include "MoveWorker.h"
#include "Notices.h"
#include "OpenPanel.h"
#include "StandardFolders.h"
#include "Strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

Restore::Restore(const UserDefaults &defaults, OpenPanel &panel, std::function<QDate()> today,
                 MoveWorker *worker, std::shared_ptr<MoveJournal> journal, QObject *parent)
    : QObject(parent)
    , panel_(panel)
    , today_(std::move(today))
    , filter_(defaults)
    , notice_(QT_TRANSLATE_NOOP("Quillmere", "Restore Complete"),
              QT_TRANSLATE_NOOP("Quillmere", "Finished Restoring:%@ items"))
    , ownWorker_(worker ? nullptr : std::make_unique<MoveWorker>())
    , worker_(worker ? worker : ownWorker_.get())
    , journal_(std::move(journal)) {}

Restore::~Restore() = default;

void Restore::waitForIdle() {
    worker_->waitForIdle();
}

void Restore::restoreFiles(const QString &destination) {
    const QString applicationFolder = appendingPathComponent(destination, applicationFolderName);
    const QString month = monthFolderName(today_());
    NSLog(QStringLiteral("month is: %1").arg(month));
    // Only logged: the folder the user chooses is what is restored.
    NSLog(QStringLiteral("Restore Directory is  %1")
              .arg(appendingPathComponent(applicationFolder, month)));

    const OpenPanelOptions options{
        .title = {},
        .directory = applicationFolder,
        .canChooseFiles = false,
        .canChooseDirectories = true,
        .canCreateDirectories = false,
    };
    panel_.beginForChosenPath(options, this,
                              [this](const QString &path) { restoreFromFolder(path, {}); });
}

void Restore::restoreFolder(const QString &folder, std::function<void(const Result &)> ended) {
    // The chooser offers only folders; a typed path may name anything.
    if (!QFileInfo(folder).isDir()) {
        const QString reason = tr("There is no folder %1 to restore from.").arg(folder);
        NSLog(reason);
        return report(reason, ended);
    }
    restoreFromFolder(folder, std::move(ended));
}

void Restore::report(const QString &reason,
                     const std::function<void(const Result &)> &ended) const {
    const QString title = QT_TRANSLATE_NOOP("Quillmere", "Restore Error.");
    if (ended) {
        Notices::postNoticeWithTitle(title, reason);
        ended(Result{0, 0, reason});
    } else {
        Alerts::runAlertPanel(localizedString(title), reason,
                              localizedString(QT_TRANSLATE_NOOP("Quillmere", "OK")));
    }
}

void Restore::restoreFromFolder(const QString &folder, std::function<void(const Result &)> ended) {
    worker_->whenIdle(workerKey, [this, folder, ended = std::move(ended)] {
        // Looked up as the run starts: the user's folders may have changed since the chooser
        // opened. Items moved onto a Desktop that is the home folder, or above it, would be
        // scattered there.
        if (const auto refusal = DesktopSafety::refusal(StandardFolders::desktop(),
                                                        QDir::homePath(), std::nullopt)) {
            NSLog(*refusal);
            return report(*refusal, ended);
        }
        const QByteArray to =
            QFile::encodeName(appendingPathComponent(StandardFolders::desktop(), QString()));
        const QByteArray from = QFile::encodeName(appendingPathComponent(folder, QString()));
        struct Outcome {
            QList<QByteArray> items;
            qsizetype moved = 0;
        };
        const auto outcome = std::make_shared<Outcome>();
        worker_->start(
            [outcome, from, to, skipped = filter_.skippedNames(),
             journal = journal_](MoveWorker::Run &run) {
                QList<QByteArray> &items = outcome->items;
                items = ItemFilter::cleanableItems(FileManager::contentsOfDirectoryAtPath(from),
                                                   skipped);
                NSLog(QStringLiteral("Files to restore are: %1").arg(description(items)));
                if (items.isEmpty())
                    return NSLog(QStringLiteral("Has no items to restore."));
                NSLog(QStringLiteral("Has items to restore."));
                run.setTotal(items.size());
                // A failed move (most often: the Desktop already holds that name) leaves the
                // item in the chosen folder; it still counts.
                outcome->moved = MoveWorker::moveItems(
                    run, from, to, items,
                    JournalRunWriter::begin(journal, JournalRun::Kind::Restore, 0, from, to,
                                            items));
            },
            [this, outcome, ended] {
                const qsizetype found = outcome->items.size();
                if (found == 0 && !ended) {
                    Alerts::runAlertPanel(
                        localizedString(QT_TRANSLATE_NOOP("Quillmere", "Restore Error.")),
                        localizedString(QT_TRANSLATE_NOOP("Quillmere",
                                                          "There are no items to restore at "
                                                          "this time.")),
                        localizedString(QT_TRANSLATE_NOOP("Quillmere", "OK")));
                    return;
                }
                if (found == 0)
                    Notices::postNoticeWithTitle(
                        QT_TRANSLATE_NOOP("Quillmere", "Restore Error."),
                        localizedString(QT_TRANSLATE_NOOP(
                            "Quillmere", "There are no items to restore at this time.")));
                notice_.itemsMoved(found);
                if (found > 0)
                    emit runEnded();
                if (ended)
                    ended(Result{found, outcome->moved, QString()});
            });
    });
}
