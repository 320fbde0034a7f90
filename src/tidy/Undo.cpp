// SPDX-License-Identifier: GPL-3.0-or-later
#include "Undo.h"

#include "Log.h"
#include "MoveJournal.h"
#include "MoveWorker.h"
#include "Notices.h"

#include <QLocale>
#include <QRegularExpression>
#include <sys/stat.h>

namespace {
bool exists(const QByteArray &path) {
    struct stat st;
    return lstat(path.constData(), &st) == 0;
}

QString undoneText(qsizetype movedBack, qsizetype nameTaken, qsizetype failed) {
    QString text = movedBack == 1 ? Undo::tr("Moved back 1 item.")
                                  : Undo::tr("Moved back %1 items.").arg(movedBack);
    if (nameTaken)
        text += QLatin1Char(' ') + Undo::tr("%1 stayed in the month folder: the Desktop already "
                                            "has an item of that name.")
                                       .arg(nameTaken);
    if (failed)
        text += QLatin1Char(' ') + Undo::tr("%1 could not be moved back.").arg(failed);
    return text;
}
} // namespace

Undo::Undo(std::shared_ptr<MoveJournal> journal, MoveWorker &worker, QObject *parent)
    : QObject(parent)
    , journal_(std::move(journal))
    , worker_(worker) {}

std::optional<Undo::Offer> Undo::offer() const {
    const auto run = journal_ ? journal_->lastRun() : std::nullopt;
    if (!run || run->kind != JournalRun::Kind::Clean || run->undone)
        return std::nullopt;
    return Offer{QDateTime::fromMSecsSinceEpoch(run->time), run->names.size() - run->failed.size()};
}

QString Undo::offerText(const Offer &offer, const QDateTime &now) {
    // Minutes name a clean well enough; some locales' short time format carries seconds.
    const QLocale locale;
    QString time = locale.timeFormat(QLocale::ShortFormat);
    time.remove(QRegularExpression(QStringLiteral("[:.]ss?")));
    const QString when = offer.time.date() == now.date()
                             ? locale.toString(offer.time.time(), time)
                             : locale.toString(offer.time.date(), QLocale::ShortFormat) +
                                   QLatin1Char(' ') + locale.toString(offer.time.time(), time);
    return offer.items == 1 ? tr("Undo the clean of %1, 1 item").arg(when)
                            : tr("Undo the clean of %1, %2 items").arg(when).arg(offer.items);
}

bool Undo::undoLastClean() {
    if (!offer())
        return false;
    worker_.whenIdle(workerKey, [this] {
        // Asked again as it starts: a clean may have run meanwhile, or another undo.
        const auto run = journal_->lastRun();
        if (!run || run->kind != JournalRun::Kind::Clean || run->undone)
            return;
        struct Outcome {
            qsizetype movedBack = 0, nameTaken = 0, failed = 0;
        };
        const auto outcome = std::make_shared<Outcome>();
        worker_.start(
            [outcome, run = *run, journal = journal_](MoveWorker::Run &work) {
                // Each is tried: a move fails, leaving the item, when it is no longer where
                // the clean put it, or when the Desktop has taken its name.
                const QList<QByteArray> names = run.movedNames();
                work.setTotal(names.size());
                QList<qsizetype> failed;
                outcome->movedBack = MoveWorker::moveItems(
                    work, run.to, run.from, names,
                    JournalRunWriter::begin(journal, JournalRun::Kind::Undo, run.trigger, run.to,
                                            run.from, names, run.id),
                    &failed);
                for (const qsizetype index : failed) {
                    if (!exists(run.to + names[index]))
                        continue; // gone from where the clean put it: not this undo's
                    ++(exists(run.from + names[index]) ? outcome->nameTaken : outcome->failed);
                }
                NSLog(QStringLiteral("Undid the clean: %1 moved back, %2 stayed, %3 failed")
                          .arg(outcome->movedBack)
                          .arg(outcome->nameTaken)
                          .arg(outcome->failed));
            },
            [this, outcome] {
                Notices::postNoticeWithTitle(
                    tr("Undo Complete"),
                    undoneText(outcome->movedBack, outcome->nameTaken, outcome->failed));
                emit undone(outcome->movedBack, outcome->nameTaken, outcome->failed);
            });
    });
    return true;
}

void Undo::waitForIdle() {
    worker_.waitForIdle();
}
