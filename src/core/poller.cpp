#include "poller.h"

namespace zov::core {

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

Poller::Poller(Supply& supply, QObject* parent) : QObject(parent), supply_(supply) {
    CommandExchange& exchange = supply_.exchange();
    exchange.connectTimer(exchange.tmr_UPDATE(), this, [this] { tick(); });
}

void Poller::setIntervalMs(int ms) {
    supply_.exchange().tmr_UPDATE().setInterval(ms);
}

void Poller::start() {
    supply_.state().AutoUpdate = true;
    supply_.exchange().tmr_UPDATE().start();
}

void Poller::stop() {
    supply_.state().AutoUpdate = false;
    supply_.exchange().tmr_UPDATE().stop();
}

bool Poller::running() const {
    return supply_.state().AutoUpdate;
}

void Poller::tick() {
    MainState& state = supply_.state();
    // A tick held back by an exchange that ended in manual mode sends nothing.
    if (!state.AutoUpdate) {
        return;
    }
    const int step = state.ctr_AutoUpdate;
    runStep(updateStep(step));
    state.ctr_AutoUpdate = static_cast<std::int16_t>((step + 1) % kUpdateSteps);
    supply_.markOlderThan(kStaleAfterMs);
}

void Poller::runStep(UpdateStep step) {
    switch (step) {
        case UpdateStep::HvMonitors:
            supply_.readMonitors(kHvMonitors);
            break;
        case UpdateStep::SetpointA:
            supply_.readSetpoint(Channel::A);
            break;
        case UpdateStep::SetpointB:
            supply_.readSetpoint(Channel::B);
            break;
        case UpdateStep::Status:
            supply_.readStatus();
            break;
        case UpdateStep::AuxMonitors:
            supply_.readMonitors(kAuxMonitors);
            break;
        case UpdateStep::Scaling:
            supply_.readScaling();
            break;
        case UpdateStep::KeepAlive:
            supply_.keepAlive();
            break;
        case UpdateStep::Nothing:
            break;
    }
    emit stepRan(step);
}

}  // namespace zov::core
