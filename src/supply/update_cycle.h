// The automatic update mode: every 66 ms one step of a twelve-step cycle of
// monitor, setpoint, status and scaling reads and a keep-alive, with the
// manual command buttons disabled. "Auto Update Mode" reads the identity once
// and starts it; "Manual Update Mode" stops it. A step runs only between
// exchanges, and the next tick comes 66 ms after the step has finished.
#pragma once

#include <QObject>

namespace zov::app {
class IdentityArea;
class MainWindow;
}  // namespace zov::app

namespace zov::supply {

class DacSettingsArea;
class ReadbacksArea;
class SystemStatusArea;

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

class UpdateCycle : public QObject {
    Q_OBJECT
public:
    struct Readers {
        app::IdentityArea& identity;
        ReadbacksArea& readbacks;
        DacSettingsArea& setpoints;
        SystemStatusArea& status;
    };
    UpdateCycle(app::MainWindow& window, const Readers& readers);

    void mnu_AUTOUPDATE_Click();
    void mnu_MANUAL_Click();
    // One step, then the counter moves on.
    void tmr_UPDATE_Timer();

private:
    void setCheckMarks(bool automatic);
    void runStep(UpdateStep step);

    app::MainWindow& window_;
    Readers readers_;
};

}  // namespace zov::supply
