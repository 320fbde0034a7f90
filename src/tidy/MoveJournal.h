// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileManager.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// What one clean, restore or undo did, as its journal records tell it.
struct JournalRun {
    enum class Kind : quint8 { Clean = 1, Restore = 2, Undo = 3 };
    // A move across file systems that began; `step` is the last step it recorded.
    struct Copy {
        QByteArray temporaryName;
        FileManager::MoveStep step = FileManager::MoveStep::CopyStarting;
        bool ended = false; // the move returned, moved or not, or a later start resolved it
    };

    quint64 id = 0;
    qint64 time = 0; // milliseconds since the epoch, UTC
    Kind kind = Kind::Clean;
    quint8 trigger = 0;  // what started a clean (the order of CleanTrigger)
    quint64 undoes = 0;  // an undo: the run it undid
    QByteArray from, to; // folders, each ending in "/"
    QList<QByteArray> names;
    qsizetype attempted = 0; // names [0, attempted) were tried, at the last progress record
    QSet<qsizetype> failed;  // names whose move failed
    std::map<qsizetype, Copy> copies;
    bool ended = false;
    bool undone = false; // a later undo undid it

    // The names that moved: tried and not failed; after a kill, also those not yet known as
    // tried whose original is gone.
    QList<QByteArray> movedNames() const;
    qsizetype movedCount() const { return movedNames().size(); }
};

// The journal of every clean, restore and undo: for each run its time, trigger, folders and
// names, which moves failed, and the steps of each move across file systems. A file of records
// appended one write at a time, each with its length and a checksum, so that a kill at any moment
// leaves every record complete or ignored. Appending is thread-safe (the moves run on a worker);
// the journal keeps the last run in memory for the undo. A journal that cannot be written is
// logged once, and the runs go on without it.
class MoveJournal {
public:
    static constexpr int keptDays = 90;
    static constexpr int keptRuns = 10000;
    static constexpr qint64 keptBytes = 64 << 20; // oldest runs go first beyond this

    // `path`: the journal file; its folder is created when missing.
    explicit MoveJournal(QString path);
    ~MoveJournal();
    static QString standardPath(); // $XDG_STATE_HOME/Quillmere/moves.journal

    // Reads the file: drops what is older or more than the limits allow (rewriting the file),
    // resolves moves across file systems that a kill interrupted, and remembers the last run.
    // Call once, before the first run. Returns the lines it logged about interrupted moves.
    QStringList open(const QDateTime &now = QDateTime::currentDateTimeUtc());

    // Every run of a journal's bytes in the order they began; damaged records are skipped and a
    // cut-off end is ignored. Outside bytes: never crashes.
    static std::vector<JournalRun> decode(const QByteArray &bytes);

    // Writing, from any thread. A run's records carry its id.
    quint64 beginRun(JournalRun::Kind kind, quint8 trigger, quint64 undoes, const QByteArray &from,
                     const QByteArray &to, const QList<QByteArray> &names);
    void progress(quint64 run, qsizetype attempted);
    void failed(quint64 run, qsizetype index);
    void copyStep(quint64 run, qsizetype index, FileManager::MoveStep step,
                  const QByteArray &temporaryName);
    void copyEnded(quint64 run, qsizetype index);
    void endRun(quint64 run, qsizetype attempted);

    // The last run that began, as recorded (none before any).
    std::optional<JournalRun> lastRun() const;

private:
    // `begun`: the run a Begin record holds, kept as the last run.
    void append(char type, const QByteArray &payload, const JournalRun *begun = nullptr);
    void apply(char type, const QByteArray &payload); // a later record of lastRun_
    QStringList resolveInterruptedMoves(std::vector<JournalRun> &runs);

    QString path_;
    mutable std::mutex mutex_;
    int fd_ = -1;
    bool failureLogged_ = false;
    std::optional<JournalRun> lastRun_;
};

// One run's journal as the worker sees it: a value that keeps the journal alive. Empty: no
// journal, every call does nothing.
class JournalRunWriter {
public:
    JournalRunWriter() = default;
    JournalRunWriter(std::shared_ptr<MoveJournal> journal, quint64 run)
        : journal_(std::move(journal))
        , run_(run) {}
    static JournalRunWriter begin(const std::shared_ptr<MoveJournal> &journal,
                                  JournalRun::Kind kind, quint8 trigger, const QByteArray &from,
                                  const QByteArray &to, const QList<QByteArray> &names,
                                  quint64 undoes = 0);

    void progress(qsizetype attempted) const;
    void failed(qsizetype index) const;
    // The steps of the move of name `index` across file systems; empty without a journal.
    FileManager::MoveSteps stepsOf(qsizetype index, bool *copied) const;
    void copyEnded(qsizetype index) const;
    void end(qsizetype attempted) const;

private:
    std::shared_ptr<MoveJournal> journal_;
    quint64 run_ = 0;
};
