#include "update_cycle.h"

#include "app/identity_area.h"
#include "app/main_window.h"
#include "supply/dac_settings_area.h"
#include "supply/readbacks_area.h"
#include "supply/scaling.h"
#include "supply/system_status_area.h"

namespace zov::supply {

UpdateStep updateStep(int counter) {
    switch (counter) {
        case 0:
            return UpdateStep::HvMonitors;
        case 1:
            return UpdateStep::SetpointA;
        case 2:
            return UpdateStep::SetpointB;
        case 5:
            return UpdateStep::Status;
        case 7:
            return UpdateStep::AuxMonitors;
        case 10:
            return UpdateStep::Scaling;
        case 11:
            return UpdateStep::KeepAlive;
        default:
            return UpdateStep::Nothing;
    }
}

UpdateCycle::UpdateCycle(app::MainWindow& window, const Readers& readers)
    : QObject(&window), window_(window), readers_(readers) {
    connect(window_.menuItem(QStringLiteral("mnu_AUTOUPDATE")), &QAction::triggered, this,
            &UpdateCycle::mnu_AUTOUPDATE_Click);
    connect(window_.menuItem(QStringLiteral("mnu_MANUAL")), &QAction::triggered, this,
            &UpdateCycle::mnu_MANUAL_Click);
    window_.exchange().connectTimer(window_.exchange().tmr_UPDATE(), this,
                                    [this] { tmr_UPDATE_Timer(); });
}

void UpdateCycle::setCheckMarks(bool automatic) {
    window_.menuItem(QStringLiteral("mnu_AUTOUPDATE"))->setChecked(automatic);
    window_.menuItem(QStringLiteral("mnu_MANUAL"))->setChecked(!automatic);
}

void UpdateCycle::mnu_AUTOUPDATE_Click() {
    setCheckMarks(true);
    window_.disableCommandButtons();
    readers_.identity.readAll();
    window_.state().AutoUpdate = true;
    window_.exchange().tmr_UPDATE().start();
}

void UpdateCycle::mnu_MANUAL_Click() {
    window_.state().AutoUpdate = false;
    setCheckMarks(false);
    window_.exchange().tmr_UPDATE().stop();
    window_.enableCommandButtons();
}

void UpdateCycle::tmr_UPDATE_Timer() {
    core::MainState& state = window_.state();
    // A tick held back by an exchange that ended in manual mode sends nothing.
    if (!state.AutoUpdate) {
        return;
    }
    const int step = state.ctr_AutoUpdate;
    runStep(updateStep(step));
    state.ctr_AutoUpdate = static_cast<std::int16_t>((step + 1) % kUpdateSteps);
}

void UpdateCycle::runStep(UpdateStep step) {
    switch (step) {
        case UpdateStep::HvMonitors:
            readers_.readbacks.readHvMonitors();
            break;
        case UpdateStep::SetpointA:
            readers_.setpoints.readSetpoint(core::Channel::A);
            break;
        case UpdateStep::SetpointB:
            readers_.setpoints.readSetpoint(core::Channel::B);
            break;
        case UpdateStep::Status:
            readers_.status.btn_REQSTAT_Click();
            break;
        case UpdateStep::AuxMonitors:
            readers_.readbacks.readAuxMonitors();
            break;
        case UpdateStep::Scaling:
            getScaling(window_);
            break;
        case UpdateStep::KeepAlive:
            window_.exchange().sendWatchdogKeepAlive();
            break;
        case UpdateStep::Nothing:
            break;
    }
}

}  // namespace zov::supply
