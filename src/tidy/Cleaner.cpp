// SPDX-License-Identifier: GPL-3.0-or-later
#include "Cleaner.h"

#include "Alerts.h"
#include "Description.h"
#include "DesktopSafety.h"
#include "ExceptedNames.h"
#include "FileManager.h"
#include "Log.h"
#include "MonthFolder.h"
#include "MoveJournal.h"
#include "MoveWorker.h"
#include "Notices.h"
#include "SettingsKeys.h"
#include "StandardFolders.h"
#include "Strings.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFile>
#include <charconv>
#include <limits>

namespace {
// The English texts are the keys of the string table; they are looked up where they are shown.
const QString missingDestinationMessage = QT_TRANSLATE_NOOP(
    "Quillmere", "The folder you want to move your desktop items to does not exists, please "
                 "choose a new destination in the settings tab.");
const QString alreadyCleanTitle = QT_TRANSLATE_NOOP("Quillmere", "The Desktop is already clean.");
const QString alreadyCleanMessage = QT_TRANSLATE_NOOP(
    "Quillmere",
    "Your desktop is already clear. Or you have one folder called Quillmere, on your desktop.");
const QString unreadableNamesTitle =
    QT_TRANSLATE_NOOP("Quillmere", "The exceptions cannot be read.");
const QString unreadableNamesMessage = QT_TRANSLATE_NOOP(
    "Quillmere",
    "Quillmere cannot read the list of files you excepted from cleaning, so it does not clean: "
    "it would move those files. To start the list afresh, select every exception in the "
    "Exceptions tab, remove them, and add them again.");

void runAlert(const QString &title, const QString &message) {
    Alerts::runAlertPanel(localizedString(title), localizedString(message),
                          localizedString(QT_TRANSLATE_NOOP("Quillmere", "OK")));
}

// Creates `folder` unless something exists at that path, logging either way.
void ensureFolder(const QString &folder, const QString &existsLine, const QString &createLine) {
    const QByteArray path = QFile::encodeName(folder);
    if (FileManager::fileExistsAtPath(path)) {
        NSLog(existsLine);
        return;
    }
    NSLog(createLine);
    QString error;
    FileManager::createDirectoryAtPath(path, &error);
    NSLog(QStringLiteral("Create directory error: %1")
              .arg(error.isNull() ? QStringLiteral("(null)") : error));
}
} // namespace

qint64 integerValue(const QString &text) {
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    // Digits are ASCII: anything else ends the number, as a '?' from toLatin1 does.
    const QByteArray rest = QStringView(text).mid(start).toLatin1();
    const char *first = rest.cbegin();
    const bool negative = first != rest.cend() && *first == '-';
    if (first != rest.cend() && (*first == '-' || *first == '+'))
        ++first;
    // Unsigned, so that a second sign is no number and the most negative value is reachable.
    quint64 magnitude = 0;
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (std::from_chars(first, rest.cend(), magnitude).ec == std::errc::result_out_of_range ||
        magnitude > limit)
        magnitude = limit;
    return negative ? qint64(0 - magnitude) : qint64(magnitude);
}

Cleaner::Cleaner(const UserDefaults &defaults, Inputs inputs, MoveWorker *worker)
    : defaults_(defaults)
    , inputs_(std::move(inputs))
    , filter_(defaults)
    , buttonNotice_(QT_TRANSLATE_NOOP("Quillmere", "Clean Complete"),
                    QT_TRANSLATE_NOOP("Quillmere", "Finished Cleaning:%@ items"))
    , shortcutNotice_(QT_TRANSLATE_NOOP("Quillmere", "Clean Complete"),
                      QT_TRANSLATE_NOOP("Quillmere", "Finished Cleaning:%@ items"))
    , automaticNotice_(QT_TRANSLATE_NOOP("Quillmere", "Clean Complete"),
                       QT_TRANSLATE_NOOP("Quillmere", "Finished Cleaning:%@ items"))
    , commandLineNotice_(QT_TRANSLATE_NOOP("Quillmere", "Clean Complete"),
                         QT_TRANSLATE_NOOP("Quillmere", "Finished Cleaning:%@ items"))
    , ownWorker_(worker ? nullptr : std::make_unique<MoveWorker>())
    , worker_(worker ? worker : ownWorker_.get()) {}

Cleaner::~Cleaner() = default;

void Cleaner::cleanDesktopItems(CleanTrigger trigger) {
    // A second run asked for while one waits is the same run: it lists the Desktop afresh.
    waiting_[int(trigger)] = true;
    worker_->whenIdle(int(trigger), [this, trigger] {
        waiting_[int(trigger)] = false;
        inHand_ = trigger;
        run(trigger);
    });
}

void Cleaner::waitForIdle() {
    worker_->waitForIdle();
}

void Cleaner::ended(CleanTrigger trigger, std::optional<quint64> itemsLeft) {
    inHand_.reset();
    if (inputs_.runEnded)
        inputs_.runEnded(trigger, itemsLeft);
}

void Cleaner::run(CleanTrigger trigger) {
    const bool automatic = trigger == CleanTrigger::Automatic;
    quint64 threshold = 0;
    if (automatic) {
        if (!defaults_.boolForKey(SettingsKeys::AutoClean))
            return ended(trigger, std::nullopt);
        NSLog(QStringLiteral("Auto clean is on..."));
        // Compared as unsigned: a negative threshold is larger than any count.
        threshold = quint64(integerValue(inputs_.thresholdText()));
    }

    if (!FileManager::fileExistsAtPath(QFile::encodeName(inputs_.destinationText()))) {
        NSLog(QStringLiteral(
            "The folder that the user wants clean items to move to does not exists"));
        reportMissingDestination(trigger);
        if (inputs_.refused)
            inputs_.refused(trigger, localizedString(missingDestinationMessage));
        return ended(trigger, std::nullopt);
    }
    if (refuses(trigger))
        return ended(trigger, std::nullopt);
    NSLog(automatic ? QStringLiteral("The folder that the user wants clean items to move to does "
                                     "exists")
                    : QStringLiteral("The folder that the user wants clean items to move to does "
                                     "exists, can clean the desktop"));

    const QString desktop = StandardFolders::desktop();
    const QString month = monthFolderName(inputs_.today());
    NSLog(QStringLiteral("month is: %1").arg(month));
    const QString destination = inputs_.destinationText();
    NSLog(QStringLiteral("Folder for cleaned items is:%1").arg(destination));

    const QString applicationFolder = appendingPathComponent(destination, applicationFolderName);
    ensureFolder(applicationFolder,
                 QStringLiteral("Quillmere does exist don't create folder folder"),
                 QStringLiteral("Quillmere does not exist creating folder"));
    const QString monthFolder = appendingPathComponent(applicationFolder, month);
    ensureFolder(monthFolder, QStringLiteral("Month folder exist don't create folder folder"),
                 QStringLiteral("Month folder does not exist creating folder"));

    if (automatic)
        NSLog(
            description(inputs_.exceptionsTableData ? inputs_.exceptionsTableData() : QVariant()));

    // The listing and the moves on the worker; the reports back on this thread.
    struct Outcome {
        QList<QByteArray> items;
        qsizetype moved = 0;
        bool moving = false;
    };
    const auto outcome = std::make_shared<Outcome>();
    // Folder paths ending in "/", so that each item's path is one append of its name.
    const QByteArray from = QFile::encodeName(appendingPathComponent(desktop, QString()));
    const QByteArray to = QFile::encodeName(appendingPathComponent(monthFolder, QString()));
    worker_->start(
        [outcome, from, to, skipped = filter_.skippedNames(), automatic, threshold,
         journal = inputs_.journal, trigger](MoveWorker::Run &run) {
            outcome->items =
                ItemFilter::cleanableItems(FileManager::contentsOfDirectoryAtPath(from), skipped);
            const auto count = quint64(outcome->items.size());
            outcome->moving = automatic ? count > threshold : count >= 1;
            if (!outcome->moving)
                return;
            NSLog(QStringLiteral("Has items on the Desktop can clean."));
            run.setTotal(outcome->items.size());
            // A failed move leaves the item where it is; the run goes on and still counts it.
            outcome->moved = MoveWorker::moveItems(
                run, from, to, outcome->items,
                JournalRunWriter::begin(journal, JournalRun::Kind::Clean, quint8(trigger), from, to,
                                        outcome->items));
            NSLog(description(outcome->items));
        },
        [this, outcome, trigger, threshold] {
            const auto count = quint64(outcome->items.size());
            if (outcome->moving) {
                lastClean_ =
                    LastClean{QDateTime::currentDateTime(), outcome->items.size(), outcome->moved};
                (this->*pendingNoticeOf(trigger)).itemsMoved(outcome->items.size());
            } else {
                reportNothingToMove(trigger, count, threshold);
                if (trigger != CleanTrigger::Automatic)
                    NSLog(description(outcome->items));
            }
            ended(trigger, count - quint64(outcome->moved));
        });
}

void Cleaner::setNoticeAction(const Notices::Action &action) {
    for (PendingNotice *notice :
         {&buttonNotice_, &shortcutNotice_, &automaticNotice_, &commandLineNotice_})
        notice->setAction(action);
}

int Cleaner::pendingNoticeCount(CleanTrigger trigger) const {
    return (this->*pendingNoticeOf(trigger)).pendingNoticeCount();
}

bool Cleaner::refuses(CleanTrigger trigger) {
    QString title = DesktopSafety::title;
    std::optional<QString> reason = DesktopSafety::refusal(
        StandardFolders::desktop(), QDir::homePath(), inputs_.destinationText());
    if (!reason && !ExceptedNames::stored(defaults_)) {
        title = unreadableNamesTitle;
        reason = localizedString(unreadableNamesMessage);
    }
    if (!reason)
        return false;
    NSLog(*reason);
    if (trigger == CleanTrigger::Button) {
        runAlert(title, *reason);
    } else if (trigger == CleanTrigger::CommandLine || !noticedRefusals_.contains(*reason)) {
        // Told once per start: the automatic clean meets it on every change of the Desktop.
        // A command asked for by hand is answered every time.
        noticedRefusals_.insert(*reason);
        Notices::postNoticeWithTitle(title, *reason);
    }
    if (inputs_.refused)
        inputs_.refused(trigger, *reason);
    return true;
}

void Cleaner::reportMissingDestination(CleanTrigger trigger) const {
    if (trigger == CleanTrigger::Automatic)
        Notices::postNotificationCenterNotice(
            QT_TRANSLATE_NOOP("Quillmere", "The folder does not exists"),
            localizedString(missingDestinationMessage));
    else if (trigger == CleanTrigger::CommandLine)
        Notices::postNoticeWithTitle(QT_TRANSLATE_NOOP("Quillmere", "The folder does not exists."),
                                     localizedString(missingDestinationMessage));
    else
        runAlert(QT_TRANSLATE_NOOP("Quillmere", "The folder does not exists."),
                 missingDestinationMessage);
}

void Cleaner::reportNothingToMove(CleanTrigger trigger, quint64 count, quint64 threshold) const {
    switch (trigger) {
    case CleanTrigger::Button:
        NSLog(QStringLiteral("Desktop has no files"));
        runAlert(alreadyCleanTitle, alreadyCleanMessage);
        break;
    case CleanTrigger::Shortcut:
    case CleanTrigger::CommandLine:
        Notices::postNoticeWithTitle(alreadyCleanTitle, localizedString(alreadyCleanMessage));
        break;
    case CleanTrigger::Automatic:
        if (count < threshold)
            NSLog(QStringLiteral("Don't Auto clean"));
        break;
    }
}

PendingNotice Cleaner::*Cleaner::pendingNoticeOf(CleanTrigger trigger) {
    switch (trigger) {
    case CleanTrigger::Shortcut:
        return &Cleaner::shortcutNotice_;
    case CleanTrigger::Automatic:
        return &Cleaner::automaticNotice_;
    case CleanTrigger::CommandLine:
        return &Cleaner::commandLineNotice_;
    case CleanTrigger::Button:
        break;
    }
    return &Cleaner::buttonNotice_;
}
