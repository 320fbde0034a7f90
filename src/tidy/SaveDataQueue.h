// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

// Writes the exceptions file off the main thread: each queued save runs on a new worker thread
// named "Save Data Queue", which alone owns the archive it was given (the list as it stood when
// the save was queued; it shares no data with the main thread). Saves are numbered as
// they are queued and written under one lock, and a save that finds a later one already
// written skips its write, so the file always ends with the newest list although the workers
// finish in any order. The destructor joins every worker: no save is cut off at exit.
class SaveDataQueue {
public:
    explicit SaveDataQueue(QString path);
    ~SaveDataQueue();
    SaveDataQueue(const SaveDataQueue &) = delete;
    SaveDataQueue &operator=(const SaveDataQueue &) = delete;

    QString path() const { return path_; }

    // On a worker thread, which first writes `logLine` to the log when there is one.
    void saveAsync(QByteArray archive, QString logLine = {});
    // On the calling thread, ordered with the queued saves.
    void saveNow(const QByteArray &archive);

    // From now on no save writes: the file at the path must not be written over.
    void leaveFileAlone() {
        std::lock_guard lock(writeMutex_);
        leaveFileAlone_ = true;
    }

    // Joins every worker (they all end by themselves).
    void waitForAll();

    // Tests: called with the save's number (1, 2, ... in the order queued) on the thread that
    // writes it, before it takes the write lock. Set it before the first save.
    void setBeforeWriteHookForTesting(std::function<void(quint64 number)> hook);

private:
    struct Worker {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void write(quint64 number, const QByteArray &archive);
    void joinFinished();

    const QString path_;
    std::mutex writeMutex_;
    quint64 lastWritten_ = 0;     // guarded by writeMutex_
    quint64 nextNumber_ = 1;      // the queuing thread's own
    bool leaveFileAlone_ = false; // guarded by writeMutex_
    std::list<std::unique_ptr<Worker>> workers_;
    std::function<void(quint64)> beforeWrite_;
};
