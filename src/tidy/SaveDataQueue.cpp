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

void SaveDataQueue::saveAsync(QVariantMap root, QString logLine) {
    joinFinished();
    auto worker = std::make_unique<Worker>();
    Worker *self = worker.get();
    const quint64 number = nextNumber_++;
    // The worker owns its copy of the root; `this` outlives it because the destructor joins.
    worker->thread =
        std::thread([this, self, number, root = std::move(root), logLine = std::move(logLine)] {
            pthread_setname_np(pthread_self(), "Save Data Queue");
            if (!logLine.isEmpty())
                NSLog(logLine);
            write(number, root);
            self->done = true;
        });
    workers_.push_back(std::move(worker));
}

void SaveDataQueue::saveNow(const QVariantMap &root) {
    write(nextNumber_++, root);
}

void SaveDataQueue::write(quint64 number, const QVariantMap &root) {
    if (beforeWrite_)
        beforeWrite_(number);
    std::lock_guard lock(writeMutex_);
    if (number < lastWritten_)
        return; // a later list is already on disk
    ExceptionsFile::save(root, path_);
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
