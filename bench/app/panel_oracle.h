// What the operator soak holds the panel to: every reading it shows is the
// unit's state at some moment of the last few seconds (the longest a reading
// of the update cycle may go unrefreshed before it is marked stale), or is
// marked stale, or holds no number; and every command the unit receives is
// one the update cycle or the operator's present request may send.
#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <chrono>
#include <deque>
#include <optional>

namespace zov::sim {
class SupplyModel;
}
namespace zov::app {
class MainWindow;
}

namespace zov::bench {

using SteadyTime = std::chrono::steady_clock::time_point;

// The unit as the simulated model holds it, with the moment it was taken.
struct UnitState {
    SteadyTime at;
    int voltageSetpoint = 0;
    int currentSetpoint = 0;
    int voltageMonitor = 0;
    double kvPerCount = 0;
    double maPerCount = 0;
    bool outputOn = false;
    bool interlockOpen = false;
};

// Taken on the simulator's thread after every command it handled, read on
// the console's: a short, locked history.
class UnitHistory {
public:
    void record(sim::SupplyModel& model);
    // The states that held at some moment since `since`.
    [[nodiscard]] std::deque<UnitState> since(SteadyTime since) const;

private:
    mutable QMutex mutex_;
    std::deque<UnitState> states_;
};

// What a command is for: reading the unit, or changing it.
enum class Request { Read, XrayOn, XrayOff, Setpoint, Other };
[[nodiscard]] Request requestOf(const QByteArray& frame);
[[nodiscard]] QByteArray commandOf(const QByteArray& frame);

struct Mismatch {
    QString widget;
    QString shown;
};

// The first shown reading that no state of `states` explains and that is not
// marked stale, if any; `checked` counts the readings looked at.
[[nodiscard]] std::optional<Mismatch> wrongDisplay(const app::MainWindow& window,
                                                   const std::deque<UnitState>& states,
                                                   long long& checked);

}  // namespace zov::bench
