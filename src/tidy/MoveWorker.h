// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MoveJournal.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

// Runs the file work of a clean or a restore on one worker thread, one run at a time, so that the
// window keeps answering however long the moves take. A run asked for while another is in hand
// waits for it (at most one waiting per key). The end of a run is handed to the main thread
// through the event loop; progress is read from there. Stopping lets the worker finish the item
// in hand, then joins it: nothing is left half-moved. Create, use and destroy it on the main
// thread. It knows nothing of cleans or notices.
class MoveWorker : public QObject {
    Q_OBJECT
public:
    // What a run's work (on the worker) sees of its run. Thread-safe.
    class Run {
    public:
        bool stopRequested() const { return stop_; }
        void setTotal(qsizetype total) { total_ = total; }
        void itemDone() { ++done_; }

    private:
        friend class MoveWorker;
        std::atomic<bool> stop_{false};
        std::atomic<qsizetype> total_{0};
        std::atomic<qsizetype> done_{0};
    };

    explicit MoveWorker(QObject *parent = nullptr);
    ~MoveWorker() override;

    // Calls `start` now when no run is in hand, else once the runs before it have ended. A
    // second `start` with the same key while the first still waits replaces it.
    void whenIdle(int key, std::function<void()> start);
    // Runs `work` on the worker (it must hold only values and shared objects), then `done` on
    // the main thread. Only from a `start` given to whenIdle (no other run is in hand).
    void start(std::function<void(Run &)> work, std::function<void()> done);
    bool isBusy() const { return busy_; }

    // The shared move loop: each of `names` from `from` to `to` (folders ending in "/"), in
    // order, until the run is stopped; a failed move is logged and leaves the item where it
    // was, and its index goes to `failed` when given. Each move is recorded in `journal` (begun
    // with these names). Returns the number of moves that succeeded.
    static qsizetype moveItems(Run &run, const QByteArray &from, const QByteArray &to,
                               const QList<QByteArray> &names, const JournalRunWriter &journal = {},
                               QList<qsizetype> *failed = nullptr);

    // Ends the run in hand after its current item, and joins the worker; waiting runs are
    // dropped. Later calls to whenIdle do nothing.
    void stop();
    // Tests and benchmarks: runs the event loop until no run is in hand or waiting.
    void waitForIdle();

signals:
    void runStarted();
    void progress(qsizetype done, qsizetype total); // every tenth of a second during a run
    void runFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct State;
    void finish();
    void startNextWaiting();

    std::shared_ptr<State> state_;
    std::thread thread_;
    std::function<void()> done_;
    bool busy_ = false;
    bool stopped_ = false;
    std::vector<std::pair<int, std::function<void()>>> waiting_;
    QTimer progressTimer_;
    const std::uint64_t id_;
};
