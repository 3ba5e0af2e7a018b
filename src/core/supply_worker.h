// The core in a thread of its own, for clients that live in other threads: a
// control-system device server, the command-line tool, anything that may not
// run a reply wait on its own thread.
//
// Thread contract:
// - The core (MainState, SessionEvents, CommandExchange, Supply) is not
//   thread-safe. The worker builds it in its own thread, runs every call
//   there and destroys it there when it stops; no other thread ever touches
//   it. The work passed to call() receives the Supply and must not keep
//   pointers to it, nor to anything it owns, beyond the call.
// - Any thread may call call(), callAndWait() and latest(). A call goes into
//   a queue (under a mutex) and the worker's thread is woken with a queued
//   invocation. Calls run one at a time, in the order they arrived.
// - A call never runs inside a reply wait. The wait's local event loop does
//   deliver the wake-up; the worker then leaves the queue alone until the
//   running call (or any other exchange of its thread, such as the update
//   cycle) has finished, so no command goes out while another's reply is
//   awaited and no reply is taken by the wrong caller.
// - Each call has a deadline: the time it may wait in the queue. One that has
//   not started by then is not run (nothing is sent for it) and is reported
//   as Expired. Once started, a call ends within the exchange's own limits.
// - Calls left in the queue when the worker stops, and calls made after, are
//   reported as NotTaken; the call that runs meanwhile is finished first.
// - latest() is a copy of the readings, taken after each call and whenever
//   the supply reports a change; readingsChanged() then tells of it.
// - The update cycle (Poller) lives in the worker's thread too; setPolling()
//   starts and stops it as a call. Its steps run between calls, never inside
//   one, and calls run between its steps.
// - A serial port that fails or a TCP connection that closes marks every
//   reading stale (Supply::linkGone) and is told by linkLost().
// - A QCoreApplication must exist; its own event loop need not run unless
//   signals are to reach objects of the main thread.
//
//     zov::core::SupplyWorker worker;
//     const auto opened = worker.callAndWait(
//         [&](Supply& s) { return openTcpLink(s.exchange(), s.state(), host, port); },
//         SupplyWorker::kNoDeadline);
//     const auto status = worker.callAndWait([](Supply& s) { return s.readStatus(); }, 2s);
//     if (status.ran() && status.value->done()) ...
//     const SupplyReadings now = worker.latest();  // no exchange
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

#include "core/session_events.h"
#include "core/supply.h"
#include "core/supply_readings.h"

namespace zov::core {

// What became of a call.
enum class CallFate {
    Ran,       // it ran; the value is what the work returned
    Expired,   // its deadline passed in the queue; nothing was sent for it
    NotTaken,  // the worker was stopping or stopped, or the call would wait
               // for itself (callAndWait on the worker's own thread); nothing sent
};
[[nodiscard]] const char* callFateName(CallFate fate);

template <typename R>
struct CallResult {
    CallFate fate = CallFate::NotTaken;
    std::optional<R> value;  // set when it ran
    [[nodiscard]] bool ran() const { return fate == CallFate::Ran; }
};

// For clients that only care whether the unit answered: a call that did not
// run is an outcome with no answer.
template <typename T>
[[nodiscard]] Outcome<T> outcomeOf(CallResult<Outcome<T>> result) {
    return result.value ? std::move(*result.value) : Outcome<T>{};
}

class SupplyWorker : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;
    // For calls that may wait as long as it takes (opening a link, say).
    static constexpr std::chrono::milliseconds kNoDeadline = std::chrono::milliseconds::max();

    // Starts the thread and builds the core in it; returns once it is there.
    explicit SupplyWorker(QObject* parent = nullptr);
    // stop()
    ~SupplyWorker() override;
    SupplyWorker(const SupplyWorker&) = delete;
    SupplyWorker& operator=(const SupplyWorker&) = delete;

    // Queues `work` (a copyable callable taking Supply&) to run on the
    // worker's thread if it can start within `deadline`. A work returning
    // nothing gives a CallResult<Nothing>. An exception thrown by the work
    // comes out of the future's get().
    template <typename Work>
    auto call(Work work, std::chrono::milliseconds deadline) {
        using Returned = std::invoke_result_t<Work&, Supply&>;
        using Value = std::conditional_t<std::is_void_v<Returned>, Nothing, Returned>;
        auto promise = std::make_shared<std::promise<CallResult<Value>>>();
        auto future = promise->get_future();
        enqueue(deadline, [promise, work = std::move(work)](Supply* supply, CallFate fate) mutable {
            if (supply == nullptr) {
                promise->set_value({fate, std::nullopt});
                return;
            }
            try {
                if constexpr (std::is_void_v<Returned>) {
                    work(*supply);
                    promise->set_value({CallFate::Ran, Nothing{}});
                } else {
                    promise->set_value({CallFate::Ran, work(*supply)});
                }
            } catch (...) {
                promise->set_exception(std::current_exception());
            }
        });
        return future;
    }

    // call() and wait for it. On the worker's own thread (inside a call, or a
    // slot connected directly to readingsChanged) it would wait for itself:
    // it queues nothing and answers NotTaken.
    template <typename Work>
    auto callAndWait(Work work, std::chrono::milliseconds deadline) {
        using Returned = std::invoke_result_t<Work&, Supply&>;
        using Value = std::conditional_t<std::is_void_v<Returned>, Nothing, Returned>;
        if (onWorkerThread()) {
            return CallResult<Value>{};
        }
        return call(std::move(work), deadline).get();
    }

    // Starts the update cycle with one step every `intervalMs`, or stops it
    // with 0, as a call with `deadline`.
    std::future<CallResult<Nothing>> setPolling(int intervalMs, std::chrono::milliseconds deadline);

    // The readings as of the last call or change; any thread, no exchange.
    [[nodiscard]] SupplyReadings latest() const;

    // Drops what is queued (NotTaken), lets the running call finish, destroys
    // the core in its thread and joins the thread. Not from the worker's own
    // thread. Calls made afterwards are NotTaken.
    void stop();

    // Whether the calling thread is the worker's.
    [[nodiscard]] bool onWorkerThread() const;

signals:
    // Emitted on the worker's thread whenever latest() has changed. Connected
    // with a context object, it reaches that object's thread; connected to a
    // plain function, it runs on the worker's thread and must be quick.
    void readingsChanged();
    // What the supply announced (SessionEvents::supplyEvent), as it happened.
    void supplyEvent(zov::core::SupplyEvent kind, const QString& detail);
    // The serial port failed or the TCP connection closed (worker's thread).
    void linkLost(const QString& why);

private:
    class Thread;
    struct Core;
    // Runs the work with the supply, or settles it with the fate it met
    // (supply null) without running it.
    using Job = std::function<void(Supply* supply, CallFate fate)>;
    struct Queued {
        Clock::time_point due;  // the latest start
        Job job;
    };

    void enqueue(std::chrono::milliseconds deadline, Job job);
    // Posts one wake-up to the worker's thread unless one is on its way;
    // mutex_ held.
    void wakeLocked();
    // On the worker's thread, from its event loop: runs the next call when no
    // exchange is running.
    void pass();
    void publish();
    void attach(Core* core);
    void detach();

    std::unique_ptr<Thread> thread_;

    mutable std::mutex mutex_;  // guards the members up to the worker-only ones
    std::deque<Queued> queue_;
    Core* core_ = nullptr;  // while the thread runs; its host takes the wake-ups
    std::thread::id workerThreadId_;
    bool wakePending_ = false;
    bool stopping_ = false;
    SupplyReadings latest_;

    // Touched on the worker's thread only.
    bool running_ = false;
    bool idleHooked_ = false;
};

}  // namespace zov::core
