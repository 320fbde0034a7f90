// SPDX-License-Identifier: GPL-3.0-or-later
#include "MoveJournal.h"

#include "AtomicFile.h"
#include "Log.h"
#include "StandardFolders.h"
#include "Strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A record: "QJ", its type, the payload's length (4 bytes), the payload, and a checksum of type,
// length and payload (4 bytes). Numbers are little-endian; a byte string is its length (4 bytes)
// and its bytes.
namespace {
constexpr char magic[2] = {'Q', 'J'};
constexpr qsizetype headerSize = 2 + 1 + 4;
constexpr qsizetype checksumSize = 4;
constexpr quint32 largestPayload = 256u << 20;

enum RecordType : char {
    Begin = 'B',
    Progress = 'P',
    Failed = 'F',
    CopyStep = 'C',
    CopyEnded = 'N',
    End = 'E',
};

quint32 checksum(const char *data, qsizetype size) { // FNV-1a
    quint32 hash = 2166136261u;
    for (qsizetype i = 0; i < size; ++i)
        hash = (hash ^ quint8(data[i])) * 16777619u;
    return hash;
}

class Writer {
public:
    Writer &u8(quint8 v) { return raw(&v, 1); }
    Writer &u32(quint32 v) {
        for (int i = 0; i < 4; ++i)
            u8(quint8(v >> (8 * i)));
        return *this;
    }
    Writer &u64(quint64 v) { return u32(quint32(v)).u32(quint32(v >> 32)); }
    Writer &bytes(const QByteArray &b) {
        u32(quint32(b.size()));
        bytes_.append(b);
        return *this;
    }
    QByteArray take() { return std::move(bytes_); }

private:
    Writer &raw(const void *p, qsizetype n) {
        bytes_.append(static_cast<const char *>(p), n);
        return *this;
    }
    QByteArray bytes_;
};

class Reader {
public:
    explicit Reader(QByteArrayView data)
        : data_(data) {}
    bool ok() const { return ok_; }
    quint8 u8() {
        const QByteArrayView b = take(1);
        return b.isEmpty() ? 0 : quint8(b[0]);
    }
    quint32 u32() {
        const QByteArrayView b = take(4);
        quint32 v = 0;
        for (qsizetype i = 0; i < b.size(); ++i)
            v |= quint32(quint8(b[i])) << (8 * i);
        return v;
    }
    quint64 u64() {
        const quint64 low = u32();
        return low | quint64(u32()) << 32;
    }
    QByteArray bytes() { return take(u32()).toByteArray(); }

private:
    QByteArrayView take(quint64 n) {
        if (!ok_ || n > quint64(data_.size() - at_)) {
            ok_ = false;
            return {};
        }
        const QByteArrayView part = data_.sliced(at_, qsizetype(n));
        at_ += qsizetype(n);
        return part;
    }
    QByteArrayView data_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

QByteArray record(char type, const QByteArray &payload) {
    QByteArray r;
    r.reserve(headerSize + payload.size() + checksumSize);
    r.append(magic, 2).append(type);
    Writer length;
    length.u32(quint32(payload.size()));
    r.append(length.take()).append(payload);
    Writer sum;
    sum.u32(checksum(r.constData() + 2, r.size() - 2));
    return r.append(sum.take());
}

QByteArray beginPayload(const JournalRun &run) {
    Writer w;
    w.u64(run.id).u64(quint64(run.time)).u8(quint8(run.kind)).u8(run.trigger).u64(run.undoes);
    w.bytes(run.from).bytes(run.to).u32(quint32(run.names.size()));
    for (const QByteArray &name : run.names)
        w.bytes(name);
    return w.take();
}

QByteArray indexPayload(quint64 run, quint64 index) {
    return Writer().u64(run).u64(index).take();
}

// Applies one record to the runs read so far; false when it is not well formed.
bool applyRecord(std::vector<JournalRun> &runs, std::map<quint64, size_t> &byId, char type,
                 QByteArrayView payload) {
    Reader r(payload);
    if (type == Begin) {
        JournalRun run;
        run.id = r.u64();
        run.time = qint64(r.u64());
        run.kind = JournalRun::Kind(r.u8());
        run.trigger = r.u8();
        run.undoes = r.u64();
        run.from = r.bytes();
        run.to = r.bytes();
        const quint32 count = r.u32();
        // Each name takes at least its length: a count larger than the payload is no count.
        if (!r.ok() || count > quint64(payload.size()) / 4)
            return false;
        run.names.reserve(count);
        for (quint32 i = 0; i < count && r.ok(); ++i)
            run.names.append(r.bytes());
        if (!r.ok() || run.kind < JournalRun::Kind::Clean || run.kind > JournalRun::Kind::Undo)
            return false;
        if (run.kind == JournalRun::Kind::Undo)
            if (const auto undone = byId.find(run.undoes); undone != byId.end())
                runs[undone->second].undone = true;
        byId[run.id] = runs.size();
        runs.push_back(std::move(run));
        return true;
    }
    const quint64 id = r.u64();
    const quint64 value = r.u64();
    const auto found = byId.find(id);
    if (!r.ok() || found == byId.end())
        return false;
    JournalRun &run = runs[found->second];
    const bool inRange = value <= quint64(run.names.size());
    switch (type) {
    case Progress:
    case End:
        if (!inRange)
            return false;
        run.attempted = std::max(run.attempted, qsizetype(value));
        run.ended = run.ended || type == End;
        return true;
    case Failed:
        if (!inRange || value == quint64(run.names.size()))
            return false;
        run.failed.insert(qsizetype(value));
        return true;
    case CopyStep: {
        const quint8 step = r.u8();
        const QByteArray temporary = r.bytes();
        if (!r.ok() || value >= quint64(run.names.size()) ||
            step > quint8(FileManager::MoveStep::CopyPlaced))
            return false;
        auto &copy = run.copies[qsizetype(value)];
        copy.step = FileManager::MoveStep(step);
        copy.ended = false;
        if (!temporary.isEmpty())
            copy.temporaryName = temporary;
        return true;
    }
    case CopyEnded:
        if (const auto copy = run.copies.find(qsizetype(value)); copy != run.copies.end())
            copy->second.ended = true;
        return true;
    default:
        return false;
    }
}

QByteArray encodeRun(const JournalRun &run) {
    QByteArray out = record(Begin, beginPayload(run));
    for (const qsizetype index : run.failed)
        out += record(Failed, indexPayload(run.id, quint64(index)));
    for (const auto &[index, copy] : run.copies) {
        if (copy.ended)
            continue;
        out += record(CopyStep, Writer()
                                    .u64(run.id)
                                    .u64(quint64(index))
                                    .u8(quint8(copy.step))
                                    .bytes(copy.temporaryName)
                                    .take());
    }
    out += record(run.ended ? End : Progress, indexPayload(run.id, quint64(run.attempted)));
    return out;
}
} // namespace

QList<QByteArray> JournalRun::movedNames() const {
    QList<QByteArray> moved;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (failed.contains(i))
            continue;
        if (i >= attempted) {
            // Not yet recorded as tried: a kill came first. It moved if the original is gone.
            struct stat st;
            if (ended || lstat((from + names[i]).constData(), &st) == 0 || errno != ENOENT)
                continue;
        }
        moved.append(names[i]);
    }
    return moved;
}

MoveJournal::MoveJournal(QString path)
    : path_(std::move(path)) {}

MoveJournal::~MoveJournal() {
    if (fd_ >= 0)
        ::close(fd_);
}

QString MoveJournal::standardPath() {
    return StandardFolders::stateFolder() + QStringLiteral("/moves.journal");
}

std::vector<JournalRun> MoveJournal::decode(const QByteArray &bytes) {
    std::vector<JournalRun> runs;
    std::map<quint64, size_t> byId;
    qsizetype at = 0;
    while (at + headerSize + checksumSize <= bytes.size()) {
        if (bytes[at] != magic[0] || bytes[at + 1] != magic[1]) {
            // Damage: look for the next record.
            const qsizetype next = bytes.indexOf(QByteArrayView(magic, 2), at + 1);
            if (next < 0)
                break;
            at = next;
            continue;
        }
        const char type = bytes[at + 2];
        const quint32 length = Reader(QByteArrayView(bytes).sliced(at + 3, 4)).u32();
        if (length > largestPayload ||
            at + headerSize + qsizetype(length) + checksumSize > bytes.size()) {
            at += 2; // a cut-off end, or a damaged length
            continue;
        }
        const QByteArrayView payload = QByteArrayView(bytes).sliced(at + headerSize, length);
        const quint32 stored =
            Reader(QByteArrayView(bytes).sliced(at + headerSize + length, checksumSize)).u32();
        if (stored != checksum(bytes.constData() + at + 2, 1 + 4 + qsizetype(length))) {
            at += 2;
            continue;
        }
        applyRecord(runs, byId, type, payload);
        at += headerSize + qsizetype(length) + checksumSize;
    }
    return runs;
}

QStringList MoveJournal::open(const QDateTime &now) {
    QFile file(path_);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) {
        // Beyond the size the journal keeps, only its newest part matters.
        const qint64 size = file.size();
        if (size > 2 * keptBytes)
            file.seek(size - 2 * keptBytes);
        bytes = file.readAll();
    }
    std::vector<JournalRun> runs = decode(bytes);
    QStringList lines = resolveInterruptedMoves(runs);

    // What is kept: the newest runs within the limits, oldest dropped first.
    const qint64 oldest = now.addDays(-keptDays).toMSecsSinceEpoch();
    qsizetype first = qsizetype(runs.size());
    qint64 keptSize = 0;
    QByteArray kept;
    QList<QByteArray> encoded;
    while (first > 0 && qsizetype(runs.size()) - first < keptRuns &&
           runs[size_t(first - 1)].time >= oldest) {
        QByteArray run = encodeRun(runs[size_t(first - 1)]);
        if (keptSize + run.size() > keptBytes)
            break;
        keptSize += run.size();
        encoded.prepend(std::move(run));
        --first;
    }
    if (first > 0 || !lines.isEmpty()) {
        for (const QByteArray &run : encoded)
            kept += run;
        QDir().mkpath(QFileInfo(path_).absolutePath());
        QString error;
        if (!writeFileAtomically(path_, kept, &error))
            NSLog(QStringLiteral("Could not tidy the journal of moves: %1").arg(error));
    }
    std::lock_guard lock(mutex_);
    if (first < qsizetype(runs.size()))
        lastRun_ = runs.back();
    for (const QString &line : lines)
        NSLog(line);
    return lines;
}

QStringList MoveJournal::resolveInterruptedMoves(std::vector<JournalRun> &runs) {
    QStringList lines;
    for (JournalRun &run : runs) {
        for (auto &[index, copy] : run.copies) {
            if (copy.ended)
                continue;
            QString outcome;
            const QByteArray &name = run.names[index];
            if (!FileManager::finishInterruptedMove(run.from + name, run.to + name, copy.step,
                                                    copy.temporaryName, &outcome)) {
                lines.append(outcome);
                continue;
            }
            lines.append(outcome);
            copy.ended = true;
            // Rolled back: the item stays where it was.
            if (copy.step == FileManager::MoveStep::CopyStarting)
                run.failed.insert(index);
        }
    }
    return lines;
}

void MoveJournal::append(char type, const QByteArray &payload, const JournalRun *begun) {
    const QByteArray bytes = record(type, payload);
    std::lock_guard lock(mutex_);
    // A beginning is taken as it is, not decoded again from its (possibly large) payload.
    if (begun)
        lastRun_ = *begun;
    else
        apply(type, payload);
    if (fd_ < 0) {
        QDir().mkpath(QFileInfo(path_).absolutePath());
        fd_ = ::open(QFile::encodeName(path_).constData(),
                     O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    // One write per record: a kill leaves it whole or cut off, and a cut-off end is ignored.
    qsizetype written = fd_ >= 0 ? 0 : -1;
    while (written >= 0 && written < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        written = n < 0 ? -1 : written + n;
    }
    if (written < 0 && !std::exchange(failureLogged_, true))
        NSLog(QStringLiteral("Could not write the journal of moves %1: %2; what is moved now "
                             "cannot be undone")
                  .arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
}

void MoveJournal::apply(char type, const QByteArray &payload) {
    if (!lastRun_)
        return;
    std::vector<JournalRun> runs;
    std::map<quint64, size_t> byId{{lastRun_->id, 0}};
    runs.push_back(std::move(*lastRun_));
    applyRecord(runs, byId, type, payload);
    lastRun_ = std::move(runs.back());
}

quint64 MoveJournal::beginRun(JournalRun::Kind kind, quint8 trigger, quint64 undoes,
                              const QByteArray &from, const QByteArray &to,
                              const QList<QByteArray> &names) {
    JournalRun run;
    run.id = QRandomGenerator::system()->generate64() | 1; // never 0: "no run"
    run.time = QDateTime::currentMSecsSinceEpoch();
    run.kind = kind;
    run.trigger = trigger;
    run.undoes = undoes;
    run.from = from;
    run.to = to;
    run.names = names;
    append(Begin, beginPayload(run), &run);
    return run.id;
}

void MoveJournal::progress(quint64 run, qsizetype attempted) {
    append(Progress, indexPayload(run, quint64(attempted)));
}

void MoveJournal::failed(quint64 run, qsizetype index) {
    append(Failed, indexPayload(run, quint64(index)));
}

void MoveJournal::copyStep(quint64 run, qsizetype index, FileManager::MoveStep step,
                           const QByteArray &temporaryName) {
    append(CopyStep,
           Writer().u64(run).u64(quint64(index)).u8(quint8(step)).bytes(temporaryName).take());
}

void MoveJournal::copyEnded(quint64 run, qsizetype index) {
    append(CopyEnded, indexPayload(run, quint64(index)));
}

void MoveJournal::endRun(quint64 run, qsizetype attempted) {
    append(End, indexPayload(run, quint64(attempted)));
}

std::optional<JournalRun> MoveJournal::lastRun() const {
    std::lock_guard lock(mutex_);
    return lastRun_;
}

JournalRunWriter JournalRunWriter::begin(const std::shared_ptr<MoveJournal> &journal,
                                         JournalRun::Kind kind, quint8 trigger,
                                         const QByteArray &from, const QByteArray &to,
                                         const QList<QByteArray> &names, quint64 undoes) {
    if (!journal)
        return {};
    return {journal, journal->beginRun(kind, trigger, undoes, from, to, names)};
}

void JournalRunWriter::progress(qsizetype attempted) const {
    if (journal_)
        journal_->progress(run_, attempted);
}

void JournalRunWriter::failed(qsizetype index) const {
    if (journal_)
        journal_->failed(run_, index);
}

FileManager::MoveSteps JournalRunWriter::stepsOf(qsizetype index, bool *copied) const {
    if (!journal_)
        return {};
    return [journal = journal_.get(), run = run_, index, copied](FileManager::MoveStep step,
                                                                 const QByteArray &temporary) {
        *copied = true;
        journal->copyStep(run, index, step, temporary);
    };
}

void JournalRunWriter::copyEnded(qsizetype index) const {
    if (journal_)
        journal_->copyEnded(run_, index);
}

void JournalRunWriter::end(qsizetype attempted) const {
    if (journal_)
        journal_->endRun(run_, attempted);
}
