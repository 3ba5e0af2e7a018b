#include "seasoning_run.h"

#include "core/dac_editor.h"

namespace zov::core {

SeasoningRun::SeasoningRun(Supply& supply, QObject* parent) : QObject(parent), supply_(supply) {
    setObjectName(QStringLiteral("seasoningRun"));
    timer_.setParent(this);
    timer_.setObjectName(QStringLiteral("Timer_Season"));
    timer_.setInterval(kTickMs);
    supply_.exchange().connectTimer(timer_, this, [this] { Timer_Season_Timer(); });
}

const StepText& SeasoningRun::row(int index) const {
    return profile_[static_cast<std::size_t>(index)];
}

std::optional<Problem> SeasoningRun::start(const Profile& profile) {
    const MainState& state = supply_.state();
    if (auto problem = checkRun(profile, state.KvScaleFactor, state.mAScaleFactor)) {
        return problem;
    }
    // A restart during a run: no tick of the old run inside the new one's start.
    supply_.exchange().stopTimer(timer_);
    const unsigned run = ++run_;
    running_ = true;
    problem_.reset();
    profile_ = profile;
    clock_ = SeasonClock{0, std::get<std::int16_t>(checkedMinutes(row(0), 0)), 0};
    if (row(0).cycle && !beginCycling(run)) {
        return std::nullopt;
    }
    if (auto problem = applySeasonStep(0)) {
        problem_ = problem;
        end(End::Problem);
        return std::nullopt;
    }
    if (!stillRunning(run)) {
        return std::nullopt;
    }
    timer_.start();
    showPosition();
    return std::nullopt;
}

void SeasoningRun::stop() {
    if (running_) {
        end(End::Stopped);
    }
}

void SeasoningRun::end(End why) {
    running_ = false;
    supply_.exchange().stopTimer(timer_);
    emit finished(why);
}

void SeasoningRun::showPosition() {
    const StepText& step = row(clock_.CurrentStep);
    emit progress(clock_.CurrentStep + 1, step.kv, step.ma, clock_.CurrentTime);
}

void SeasoningRun::toggleXray() {
    (void)supply_.setXray(!supply_.xrayRequested());
}

bool SeasoningRun::beginCycling(unsigned run) {
    // Always from off to on: an output that is on is switched off and on again.
    if (supply_.xrayRequested()) {
        toggleXray();
        if (!stillRunning(run)) {
            return false;
        }
    }
    toggleXray();
    if (!stillRunning(run)) {
        return false;
    }
    cycle_.count = 0;
    return true;
}

std::optional<Problem> SeasoningRun::applySeasonStep(int index) {
    const MainState& state = supply_.state();
    const StepText text = row(index);
    const auto counts = checkedCounts(text, index, state.KvScaleFactor, state.mAScaleFactor);
    if (const auto* problem = std::get_if<Problem>(&counts)) {
        return *problem;
    }
    const StepCounts& step = std::get<StepCounts>(counts);
    // Both replies are read; the run goes on whatever they say, as the
    // console's does, and a silent unit is not counted here. A refusal is
    // told, so whoever runs it can tell the programme did not run as written.
    CommandExchange& exchange = supply_.exchange();
    exchange.suspendBackgroundTimers();
    const auto send = [&](Channel channel, const QByteArray& command) {
        exchange.outputOutputString(command);
        const QByteArray reply = exchange.inputInputString();
        if (programAnswerFrom(editorChannel(channel), textOf(command), textOf(reply)) ==
            ProgramAnswer::Refused) {
            emit setpointRefused(index + 1, command);
        }
    };
    send(Channel::A, vrefCommand(step.kv));
    send(Channel::B, irefCommand(step.ma));
    emit stepSent(index + 1, text);
    exchange.resumeBackgroundTimers();
    return std::nullopt;
}

void SeasoningRun::Timer_Season_Timer() {
    if (!running_) {
        return;
    }
    const unsigned run = run_;
    showPosition();
    if (row(clock_.CurrentStep).cycle) {
        if (cycle_.tick()) {
            toggleXray();
        }
        if (!stillRunning(run)) {
            return;
        }
    }
    if (clock_.countSecond()) {
        stepChange(run);
    }
}

void SeasoningRun::stepChange(unsigned run) {
    // No tick while the step change's exchanges wait.
    timer_.stop();
    clock_.CurrentStep = static_cast<std::int16_t>(clock_.CurrentStep + 1);
    if (clock_.CurrentStep >= kSteps) {
        end(End::LastStep);
        return;
    }
    const auto minutes = checkedMinutes(row(clock_.CurrentStep), clock_.CurrentStep);
    if (const auto* problem = std::get_if<Problem>(&minutes)) {
        problem_ = *problem;
        end(End::Problem);
        return;
    }
    if (std::get<std::int16_t>(minutes) == 0) {
        end(End::LastStep);
        return;
    }
    clock_.CurrentTime = std::get<std::int16_t>(minutes);
    // Already 0 after a whole minute; after a first step of 0 minutes it is
    // 1, and the next step would be a second short.
    clock_.timeSec = 0;
    if (const auto problem = applySeasonStep(clock_.CurrentStep)) {
        problem_ = problem;
        end(End::Problem);
        return;
    }
    if (!stillRunning(run)) {
        return;
    }
    if (row(clock_.CurrentStep).cycle && !beginCycling(run)) {
        return;
    }
    timer_.start();
}

}  // namespace zov::core
