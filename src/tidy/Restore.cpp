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
#include "OpenPanel.h"
#include "StandardFolders.h"
#include "Strings.h"

#include <QDir>
#include <QFile>

Restore::Restore(const UserDefaults &defaults, OpenPanel &panel, std::function<QDate()> today,
                 MoveWorker *worker, std::shared_ptr<MoveJournal> journal, QObject *parent)
    : QObject(parent)
    , panel_(panel)
    , today_(std::move(today))
    , filter_(defaults)
    , notice_(QStringLiteral("Restore Complete"), QStringLiteral("Finished Restoring:%@ items"))
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
                              [this](const QString &path) { restoreFromFolder(path); });
}

void Restore::restoreFromFolder(const QString &folder) {
    worker_->whenIdle(workerKey, [this, folder] {
        // Looked up as the run starts: the user's folders may have changed since the chooser
        // opened. Items moved onto a Desktop that is the home folder, or above it, would be
        // scattered there.
        if (const auto refusal = DesktopSafety::refusal(StandardFolders::desktop(),
                                                        QDir::homePath(), std::nullopt)) {
            NSLog(*refusal);
            Alerts::runAlertPanel(localizedString(QStringLiteral("Restore Error.")), *refusal,
                                  localizedString(QStringLiteral("OK")));
            return;
        }
        const QByteArray to =
            QFile::encodeName(appendingPathComponent(StandardFolders::desktop(), QString()));
        const QByteArray from = QFile::encodeName(appendingPathComponent(folder, QString()));
        const auto items = std::make_shared<QList<QByteArray>>();
        worker_->start(
            [items, from, to, skipped = filter_.skippedNames(),
             journal = journal_](MoveWorker::Run &run) {
                *items = ItemFilter::cleanableItems(FileManager::contentsOfDirectoryAtPath(from),
                                                    skipped);
                NSLog(QStringLiteral("Files to restore are: %1").arg(description(*items)));
                if (items->isEmpty())
                    return NSLog(QStringLiteral("Has no items to restore."));
                NSLog(QStringLiteral("Has items to restore."));
                run.setTotal(items->size());
                // A failed move (most often: the Desktop already holds that name) leaves the
                // item in the chosen folder; it still counts.
                MoveWorker::moveItems(run, from, to, *items,
                                      JournalRunWriter::begin(journal, JournalRun::Kind::Restore, 0,
                                                              from, to, *items));
            },
            [this, items] {
                if (items->isEmpty()) {
                    Alerts::runAlertPanel(
                        localizedString(QStringLiteral("Restore Error.")),
                        localizedString(QStringLiteral("There are no items to restore at "
                                                       "this time.")),
                        localizedString(QStringLiteral("OK")));
                    return;
                }
                notice_.itemsMoved(items->size());
                emit runEnded();
            });
    });
}
