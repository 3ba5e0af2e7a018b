// A tube-seasoning run without a window: a profile taken whole at start, run
// one second at a time on Timer_Season. Each step sends "VREF" then "IREF";
// a marked step switches the output off and on in the 30 s / 30 s rhythm,
// each switching a request for the opposite of supply.xrayRequested(), as the
// console's X-ray switch makes it. The run never looks at the unit's answers
// to its setpoints.
//
// It ends after its last step (the 20th, or the step before one of 0
// minutes), when a step can no longer be sent (the scale became unusable:
// nothing of that step goes out), or on stop(). Neither the end nor stop()
// sends anything: a run stopped or ended during a marked step leaves the
// output as the last switching left it, possibly on, as the console's "Stop"
// always has. Whoever stops a run and wants the output off asks for it.
#pragma once

#include <QObject>
#include <QTimer>
#include <optional>

#include "core/season_profile.h"
#include "core/supply.h"

namespace zov::core {

class SeasoningRun : public QObject {
    Q_OBJECT
public:
    enum class End {
        LastStep,  // the profile ran out
        Problem,   // a step could not be sent; see problem()
        Stopped,   // stop()
    };

    explicit SeasoningRun(Supply& supply, QObject* parent = nullptr);

    // Refuses a profile it cannot run (checkRun at the unit's scales now):
    // the problem comes back and nothing is sent. Otherwise runs step 1 now
    // (its switching first when marked, then its setpoints) and starts the
    // one-second tick. During a run it starts over from step 1. The run may
    // have ended again by the time this returns (see running()).
    std::optional<Problem> start(const Profile& profile);
    // Ends the run; sends nothing and leaves the output as it is.
    void stop();
    // One second of the run (what Timer_Season calls).
    void Timer_Season_Timer();

    [[nodiscard]] bool running() const { return running_; }
    [[nodiscard]] const Profile& profile() const { return profile_; }
    [[nodiscard]] const SeasonClock& clock() const { return clock_; }
    [[nodiscard]] const Rhythm& cycle() const { return cycle_; }
    // Why the last run ended with End::Problem.
    [[nodiscard]] const std::optional<Problem>& problem() const { return problem_; }
    QTimer& Timer_Season() { return timer_; }

signals:
    // Where the run is, as the progress window shows it: the step (1..20),
    // its texts and its whole minutes not yet run. At the start and at every
    // tick before the tick's work (a step change shows from the next tick).
    void progress(int step, const QString& kv, const QString& ma, int minutesLeft);
    // Step `step` (1..20)'s "VREF" and "IREF" went out.
    void stepSent(int step, const zov::core::StepText& row);
    // The unit refused step `step`'s "VREF" or "IREF" `command`.
    void setpointRefused(int step, const QByteArray& command);
    void finished(zov::core::SeasoningRun::End end);

private:
    [[nodiscard]] bool stillRunning(unsigned run) const { return running_ && run_ == run; }
    [[nodiscard]] const StepText& row(int index) const;
    // Sends step `index`'s setpoints; nothing, and the problem, when its
    // texts cannot be sent at the scales now.
    std::optional<Problem> applySeasonStep(int index);
    void toggleXray();
    // Switches the output off (when requested on) and on; false when the run
    // ended meanwhile.
    bool beginCycling(unsigned run);
    void stepChange(unsigned run);
    void showPosition();
    void end(End why);

    Supply& supply_;
    QTimer timer_;
    Profile profile_;
    SeasonClock clock_;
    Rhythm cycle_{0, kCycleOnTime, kCyclePeriod};
    std::optional<Problem> problem_;
    bool running_ = false;
    // Counts the runs started, so a handler that waited knows whether its run
    // is the one still going.
    unsigned run_ = 0;
};

}  // namespace zov::core
