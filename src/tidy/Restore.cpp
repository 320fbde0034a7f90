// SPDX-License-Identifier: GPL-3.0-or-later
#include "Restore.h"

#include "Alerts.h"
#include "Description.h"
#include "DesktopSafety.h"
#include "FileManager.h"
#include "Log.h"
#include "MonthFolder.h"
#include "OpenPanel.h"
#include "StandardFolders.h"
#include "Strings.h"

#include <QDir>
#include <QFile>

Restore::Restore(const UserDefaults &defaults, OpenPanel &panel, std::function<QDate()> today,
                 QObject *parent)
    : QObject(parent)
    , panel_(panel)
    , today_(std::move(today))
    , filter_(defaults)
    , notice_(QStringLiteral("Restore Complete"), QStringLiteral("Finished Restoring:%@ items")) {}

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
    // Items moved onto a Desktop that is the home folder, or above it, would be scattered there.
    if (const auto refusal =
            DesktopSafety::refusal(StandardFolders::desktop(), QDir::homePath(), std::nullopt)) {
        NSLog(*refusal);
        Alerts::runAlertPanel(localizedString(QStringLiteral("Restore Error.")), *refusal,
                              localizedString(QStringLiteral("OK")));
        return;
    }
    const QList<QByteArray> items = filter_.cleanableItemsInFolder(folder);
    NSLog(QStringLiteral("Files to restore are: %1").arg(description(items)));
    if (items.isEmpty()) {
        NSLog(QStringLiteral("Has no items to restore."));
        Alerts::runAlertPanel(localizedString(QStringLiteral("Restore Error.")),
                              localizedString(QStringLiteral("There are no items to restore at "
                                                             "this time.")),
                              localizedString(QStringLiteral("OK")));
        return;
    }
    NSLog(QStringLiteral("Has items to restore."));
    const QByteArray from = QFile::encodeName(appendingPathComponent(folder, QString()));
    const QString countText = QString::number(items.size());
    for (const QByteArray &name : items) {
        // The Desktop is looked up for each item: the user's folders may change meanwhile.
        const QByteArray to =
            QFile::encodeName(appendingPathComponent(StandardFolders::desktop(), QString()));
        // A failed move (most often: the Desktop already holds that name) leaves the item in
        // the chosen folder; it still counts.
        QString error;
        if (!FileManager::moveItemAtPath(from + name, to + name, &error))
            NSLog(error);
        notice_.itemMoved(countText);
    }
}
