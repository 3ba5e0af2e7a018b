// The operator of the operator soak: at seeded random moments, between the
// console's exchanges as a click would come, one of the panel's requests.
// It knows what each request may send, so the soak can tell a command the
// operator asked for from one nobody asked for.
#pragma once

#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <chrono>
#include <functional>

#include "panel_oracle.h"
#include "season/install_seasoning.h"
#include "supply/supply_areas.h"

namespace zov::bench {

class SilentPrompter;
class SimulatorThread;

enum class Action {
    Program,  // a channel picked, a count entered, PROGRAM
    Cancel,   // a channel picked, CANCEL
    Xray,     // the X-ray switch
    RequestStatus,
    Update,  // UPDATE (both read only in manual mode)
    Manual,
    Automatic,
    CycleTest,  // started (2 s on in 5 s) or stopped
    Seasoning,  // a three-step profile started, or Stop
    Link,       // COMM1 <-> Ethernet
    Door,       // the interlock opened or closed at the unit
};
inline constexpr int kActionKinds = 11;
[[nodiscard]] const char* actionName(Action action);

class ScriptedOperator : public QObject {
public:
    ScriptedOperator(app::MainWindow& window, const supply::SupplyAreas& areas,
                     SilentPrompter& prompter, SimulatorThread& supply, quint32 seed);

    // Called after each action, with whether it stopped a cycle test.
    void start(std::function<void(Action, bool stoppedCycleTest)> acted);
    // No more actions; back to automatic update so the update cycle ends the run.
    void stop();

    [[nodiscard]] bool mayRequest(Request request) const;
    // Since when the panel may hold readings the update cycle has not
    // refreshed: the last switch to manual update, while manual update or
    // the first seconds after it last.
    [[nodiscard]] SteadyTime unrefreshedSince(SteadyTime now,
                                              std::chrono::milliseconds reach) const;

private:
    struct Permits {
        bool setpoint = false;
        bool on = false;
        bool off = false;
    };
    void schedule();
    void act(Action action);
    void editChannel(bool program);
    bool cycleTest();
    void seasoning();
    [[nodiscard]] bool automatic() const;

    app::MainWindow& window_;
    supply::SupplyAreas areas_;
    season::SeasonTools tools_;
    SilentPrompter& prompter_;
    SimulatorThread& supply_;
    QRandomGenerator random_;
    QTimer next_;
    std::function<void(Action, bool)> acted_;
    Permits permits_;
    SteadyTime manualSince_ = std::chrono::steady_clock::now();
    SteadyTime automaticSince_ = manualSince_;
    bool stopped_ = false;
};

}  // namespace zov::bench
