// SPDX-License-Identifier: Apache-2.0
#include "supply_worker.h"

#include <QThread>

#include "core/command_exchange.h"
#include "core/main_state.h"
#include "core/poller.h"

namespace zov::core {

const char* callFateName(CallFate fate) {
    switch (fate) {
        case CallFate::Ran:
            return "ran";
        case CallFate::Expired:
            return "expired";
        case CallFate::NotTaken:
            return "not taken";
    }
    return "";
}

// Everything the worker's thread owns, built and destroyed on that thread
// (members go in reverse order: the supply before the exchange it uses).
struct SupplyWorker::Core {
    MainState state;
    SessionEvents events;
    CommandExchange exchange{state};
    Supply supply{exchange, state, events};
    Poller poller{supply};
    // The wake-ups are queued to it, and the link's signals reach the supply
    // through it; it goes first, so a socket closing as the exchange is
    // destroyed no longer reaches a supply already gone.
    QObject host;
};

class SupplyWorker::Thread : public QThread {
public:
    explicit Thread(SupplyWorker& worker) : worker_(worker) {}

    std::promise<void> built;

protected:
    void run() override {
        Core core;
        worker_.attach(&core);
        built.set_value();
        exec();
        // exec() ends only from pass(), between calls and exchanges.
        worker_.detach();
    }

private:
    SupplyWorker& worker_;
};

SupplyWorker::SupplyWorker(QObject* parent) : QObject(parent), thread_(new Thread(*this)) {
    thread_->setObjectName(QStringLiteral("zov-supply-worker"));
    auto built = thread_->built.get_future();
    thread_->start();
    built.wait();
}

SupplyWorker::~SupplyWorker() {
    stop();
}

bool SupplyWorker::onWorkerThread() const {
    std::lock_guard lock(mutex_);
    return std::this_thread::get_id() == workerThreadId_;
}

void SupplyWorker::attach(Core* core) {
    connect(&core->supply, &Supply::changed, &core->host, [this] {
        publish();
        emit readingsChanged();
    });
    connect(&core->events, &SessionEvents::supplyEvent, &core->host,
            [this](SupplyEvent kind, const QString& detail) { emit supplyEvent(kind, detail); });
    connect(&core->exchange, &CommandExchange::linkLost, &core->host,
            [this](const QString& why) { emit linkLost(why); });
    std::lock_guard lock(mutex_);
    core_ = core;
    workerThreadId_ = std::this_thread::get_id();
    latest_ = core->supply.readings();
}

void SupplyWorker::detach() {
    std::lock_guard lock(mutex_);
    core_ = nullptr;
}

void SupplyWorker::enqueue(std::chrono::milliseconds deadline, Job job) {
    const Clock::time_point now = Clock::now();
    const auto room =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::time_point::max() - now);
    const Clock::time_point due = deadline >= room ? Clock::time_point::max() : now + deadline;
    {
        std::lock_guard lock(mutex_);
        if (!stopping_ && core_ != nullptr) {
            queue_.push_back({due, std::move(job)});
            wakeLocked();
            return;
        }
    }
    job(nullptr, CallFate::NotTaken);
}

void SupplyWorker::wakeLocked() {
    if (wakePending_ || core_ == nullptr) {
        return;
    }
    wakePending_ = true;
    QMetaObject::invokeMethod(
        &core_->host, [this] { pass(); }, Qt::QueuedConnection);
}

void SupplyWorker::pass() {
    Core* core = nullptr;
    {
        std::lock_guard lock(mutex_);
        wakePending_ = false;
        core = core_;
    }
    // Delivered by a reply wait's event loop: the call that waits wakes the
    // queue again when it is done.
    if (running_) {
        return;
    }
    // An exchange not of ours (a timer's) is waiting: after it, then.
    if (core->exchange.isWaiting()) {
        if (!idleHooked_) {
            idleHooked_ = true;
            core->exchange.whenIdle(&core->host, [this] {
                idleHooked_ = false;
                pass();
            });
        }
        return;
    }
    std::optional<Queued> next;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            // Nothing runs and nothing waits: the thread can end here.
            thread_->quit();
            return;
        }
        if (queue_.empty()) {
            return;
        }
        next = std::move(queue_.front());
        queue_.pop_front();
    }
    running_ = true;
    if (Clock::now() > next->due) {
        next->job(nullptr, CallFate::Expired);
    } else {
        next->job(&core->supply, CallFate::Ran);
    }
    running_ = false;
    publish();
    // One call per pass of the event loop, so the link's own events and a
    // timer's deferred step get their turn between calls.
    std::lock_guard lock(mutex_);
    if (stopping_ || !queue_.empty()) {
        wakeLocked();
    }
}

std::future<CallResult<Nothing>> SupplyWorker::setPolling(int intervalMs,
                                                          std::chrono::milliseconds deadline) {
    auto promise = std::make_shared<std::promise<CallResult<Nothing>>>();
    auto future = promise->get_future();
    enqueue(deadline, [this, promise, intervalMs](Supply* supply, CallFate fate) {
        if (supply != nullptr) {
            // On the worker's thread, with the core attached.
            Poller& poller = core_->poller;
            if (intervalMs > 0) {
                poller.setIntervalMs(intervalMs);
                poller.start();
            } else {
                poller.stop();
            }
        }
        promise->set_value(supply != nullptr ? CallResult<Nothing>{CallFate::Ran, Nothing{}}
                                             : CallResult<Nothing>{fate, std::nullopt});
    });
    return future;
}

void SupplyWorker::publish() {
    std::lock_guard lock(mutex_);
    if (core_ != nullptr) {
        latest_ = core_->supply.readings();
    }
}

SupplyReadings SupplyWorker::latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

void SupplyWorker::stop() {
    Q_ASSERT_X(!onWorkerThread(), "SupplyWorker::stop", "called on the worker's own thread");
    std::deque<Queued> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(queue_);
        wakeLocked();  // nothing once the thread has ended
    }
    for (Queued& queued : dropped) {
        queued.job(nullptr, CallFate::NotTaken);
    }
    thread_->wait();
}

}  // namespace zov::core
