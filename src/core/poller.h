// The automatic update cycle without a window: every tick (66 ms unless
// set otherwise) one step of a twelve-step cycle of monitor, setpoint,
// status and scaling reads and a keep-alive. A step runs only between
// exchanges, and the next tick comes one interval after the step finished.
#pragma once

#include <QObject>

#include "core/supply.h"

namespace zov::core {

enum class UpdateStep {
    HvMonitors,
    SetpointA,
    SetpointB,
    Status,
    AuxMonitors,
    Scaling,
    KeepAlive,
    Nothing
};
inline constexpr int kUpdateSteps = 12;
[[nodiscard]] UpdateStep updateStep(int counter);

class Poller : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultIntervalMs = 66;
    // What the cycle reads is stale when it has not been refreshed for this
    // long while the cycle runs (every reading comes round within 0.8 s).
    static constexpr int kStaleAfterMs = 3000;

    explicit Poller(Supply& supply, QObject* parent = nullptr);

    void setIntervalMs(int ms);
    // Starts at the step the counter holds; nothing is sent until the first tick.
    void start();
    // Stops the timer, as Manual Update Mode always did: a tick held back by
    // a running exchange still comes after it, and sends nothing unless the
    // cycle was started again meanwhile.
    void stop();
    [[nodiscard]] bool running() const;
    // One step, then the counter moves on (what the timer calls).
    void tick();

signals:
    void stepRan(zov::core::UpdateStep step);

private:
    void runStep(UpdateStep step);

    Supply& supply_;
};

}  // namespace zov::core
