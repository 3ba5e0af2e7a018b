#include "cycle_run.h"

namespace zov::core {

CycleRun::CycleRun(Supply& supply, QObject* parent) : QObject(parent), supply_(supply) {
    setObjectName(QStringLiteral("cycleRun"));
    timer_.setParent(this);
    timer_.setObjectName(QStringLiteral("CycleTimer"));
    timer_.setInterval(kTickMs);
    supply_.exchange().connectTimer(timer_, this, [this] { CycleTimer_Timer(); });
    // Whoever asked (this test or the operator's switch), an acknowledged
    // off confirms the output off; the output requested on or reported on
    // since ends the confirmation.
    connect(&supply_, &Supply::xrayAcknowledged, this, [this](bool on) { offConfirmed_ = !on; });
    connect(&supply_, &Supply::changed, this, [this] {
        if (supply_.xrayRequested() || supply_.readings().xrayOn.value == true) {
            offConfirmed_ = false;
        }
    });
}

std::optional<QString> CycleRun::start(std::int16_t onTime, std::int16_t period) {
    if (!(period > onTime)) {
        return QStringLiteral("Period has to be greater than the On time");
    }
    // The count reaches a period below one second only by running through
    // all 16 bits: the output would stay as switched for 65 535 s.
    if (period < 1) {
        return QStringLiteral(
            "The period has to be at least 1 second; the cycle test did not start.");
    }
    const unsigned run = ++run_;
    running_ = true;
    rhythm_.onTime = onTime;
    rhythm_.period = period;
    if (supply_.xrayRequested()) {
        toggleXray();
    }
    toggleXray();
    rhythm_.count = 0;
    // Stopped while the start's exchanges waited: nothing more to begin.
    if (running_ && run_ == run) {
        timer_.start();
    }
    return std::nullopt;
}

void CycleRun::CycleTimer_Timer() {
    if (running_ && rhythm_.tick()) {
        toggleXray();
    }
}

void CycleRun::stop() {
    // A tick held back by a running exchange must not run inside whatever
    // comes next (the next start's input box, say).
    supply_.exchange().stopTimer(timer_);
    if (!running_) {
        return;
    }
    running_ = false;
    if (supply_.xrayRequested() || !offConfirmed_) {
        request(false);
    }
    emit finished();
}

void CycleRun::request(bool on) {
    // A refused or unanswered request leaves nothing confirmed.
    offConfirmed_ = false;
    emit switched(on, supply_.setXray(on).answer);
}

}  // namespace zov::core
