// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveDataQueue.h"

#include "ExceptionsFile.h"
#include "Log.h"

#include <pthread.h>

SaveDataQueue::SaveDataQueue(QString path)
    : path_(std::move(path)) {}

SaveDataQueue::~SaveDataQueue() {
    waitForAll();
}

void SaveDataQueue::saveAsync(QByteArray archive, QString logLine) {
    joinFinished();
    auto worker = std::make_unique<Worker>();
    Worker *self = worker.get();
    const quint64 number = nextNumber_++;
    // `this` outlives the worker: the destructor joins it.
    worker->thread = std::thread(
        [this, self, number, archive = std::move(archive), logLine = std::move(logLine)] {
            pthread_setname_np(pthread_self(), "Save Data Queue");
            if (!logLine.isEmpty())
                NSLog(logLine);
            write(number, archive);
            self->done = true;
        });
    workers_.push_back(std::move(worker));
}

void SaveDataQueue::saveNow(const QByteArray &archive) {
    write(nextNumber_++, archive);
}

void SaveDataQueue::write(quint64 number, const QByteArray &archive) {
    if (beforeWrite_)
        beforeWrite_(number);
    std::lock_guard lock(writeMutex_);
    if (number < lastWritten_ || leaveFileAlone_)
        return; // a later list is already on disk, or the file is not ours to replace
    ExceptionsFile::write(archive, path_);
    lastWritten_ = number;
}

void SaveDataQueue::joinFinished() {
    workers_.remove_if([](const std::unique_ptr<Worker> &worker) {
        if (!worker->done)
            return false;
        worker->thread.join();
        return true;
    });
}

void SaveDataQueue::waitForAll() {
    for (const auto &worker : workers_)
        worker->thread.join();
    workers_.clear();
}

void SaveDataQueue::setBeforeWriteHookForTesting(std::function<void(quint64)> hook) {
    beforeWrite_ = std::move(hook);
}
