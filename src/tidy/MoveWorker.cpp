// SPDX-License-Identifier: GPL-3.0-or-later
#include "MoveWorker.h"

#include "FileManager.h"
#include "Log.h"
#include "ThreadHandoff.h"

#include <QCoreApplication>
#include <QEvent>

// One run: the worker thread and the main thread each hold it, so neither outlives what it reads.
struct MoveWorker::State {
    Run run;
};

namespace {
std::atomic<std::uint64_t> nextWorkerId{1};

QEvent::Type finishedEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Posted by the worker thread to the application object when a run's work has returned.
template <typename State> struct FinishedEvent : QEvent {
    FinishedEvent(std::uint64_t workerId, std::shared_ptr<State> state)
        : QEvent(finishedEventType())
        , workerId(workerId)
        , state(std::move(state)) {}
    const std::uint64_t workerId;
    const std::shared_ptr<State> state;
};
} // namespace

MoveWorker::MoveWorker(QObject *parent)
    : QObject(parent)
    , id_(nextWorkerId++) {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
    progressTimer_.setInterval(100);
    connect(&progressTimer_, &QTimer::timeout, this, [this] {
        if (state_)
            emit progress(state_->run.done_, state_->run.total_);
    });
}

MoveWorker::~MoveWorker() {
    stop();
}

void MoveWorker::whenIdle(int key, std::function<void()> start) {
    if (stopped_)
        return;
    if (!busy_) {
        start();
        return;
    }
    const auto it = std::ranges::find(waiting_, key, &decltype(waiting_)::value_type::first);
    if (it != waiting_.end())
        it->second = std::move(start);
    else
        waiting_.emplace_back(key, std::move(start));
}

void MoveWorker::start(std::function<void(Run &)> work, std::function<void()> done) {
    if (stopped_ || busy_)
        return;
    busy_ = true;
    done_ = std::move(done);
    state_ = std::make_shared<State>();
    thread_ = std::thread([state = state_, work = std::move(work), id = id_] {
        work(state->run);
        auto *finished = new FinishedEvent<State>(id, state);
        ThreadHandoff::handedOver();
        QCoreApplication::postEvent(QCoreApplication::instance(), finished);
    });
    progressTimer_.start();
    emit runStarted();
}

bool MoveWorker::eventFilter(QObject *, QEvent *event) {
    ThreadHandoff::takenOver();
    if (event->type() != finishedEventType())
        return false;
    const auto *finished = static_cast<const FinishedEvent<State> *>(event);
    if (finished->workerId != id_)
        return false;
    if (finished->state == state_)
        finish();
    return true;
}

void MoveWorker::finish() {
    thread_.join(); // its work has returned
    progressTimer_.stop();
    emit progress(state_->run.done_, state_->run.total_);
    state_.reset();
    busy_ = false;
    if (const auto done = std::exchange(done_, nullptr))
        done();
    emit runFinished();
    startNextWaiting();
}

void MoveWorker::startNextWaiting() {
    while (!busy_ && !waiting_.empty() && !stopped_) {
        const auto start = std::move(waiting_.front().second);
        waiting_.erase(waiting_.begin());
        start();
    }
}

qsizetype MoveWorker::moveItems(Run &run, const QByteArray &from, const QByteArray &to,
                                const QList<QByteArray> &names, const JournalRunWriter &journal,
                                QList<qsizetype> *failed) {
    // Progress is recorded now and then: the journal tells what a kill left unrecorded by
    // looking at the files (JournalRun::movedNames).
    constexpr qsizetype progressEvery = 1024;
    qsizetype moved = 0;
    qsizetype index = 0;
    for (; index < names.size(); ++index) {
        if (run.stopRequested())
            break;
        if (index % progressEvery == 0 && index > 0)
            journal.progress(index);
        const QByteArray &name = names[index];
        QString error;
        bool copied = false;
        if (FileManager::moveItemAtPath(from + name, to + name, &error,
                                        journal.stepsOf(index, &copied))) {
            ++moved;
        } else {
            journal.failed(index);
            if (failed)
                failed->append(index);
            NSLog(error);
        }
        if (copied)
            journal.copyEnded(index);
        run.itemDone();
    }
    journal.end(index);
    return moved;
}

void MoveWorker::stop() {
    stopped_ = true;
    waiting_.clear();
    if (state_)
        state_->run.stop_ = true;
    if (thread_.joinable())
        thread_.join();
    progressTimer_.stop();
    state_.reset();
    done_ = nullptr;
    busy_ = false;
}

void MoveWorker::waitForIdle() {
    while (busy_)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
