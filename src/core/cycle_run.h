// The HV cycle test without a window: the X-ray output on for an on time and
// off for the rest of a period, again and again until stopped, counted in
// one-second ticks of CycleTimer. Every switching is a request for the
// opposite of supply.xrayRequested(), as the console's X-ray switch makes it;
// the test begins from off (an output requested on is switched off first).
//
// stop() leaves the output off: it requests "ENBL 0;" unless the output is
// requested off and the unit acknowledged the last request as off and has
// not reported the output on since. So an off that was refused or went
// unanswered is asked for again.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>

#include "core/season_profile.h"
#include "core/supply.h"

namespace zov::core {

class CycleRun : public QObject {
    Q_OBJECT
public:
    explicit CycleRun(Supply& supply, QObject* parent = nullptr);

    // Refuses a period not above the on time, or below 1 s (the count would
    // reach it only by running through 16 bits): the operator's text comes
    // back and nothing is sent. Otherwise switches the output on (from off)
    // and starts the tick, unless stopped meanwhile.
    std::optional<QString> start(std::int16_t onTime, std::int16_t period);
    // Ends the test (a tick held back by a running exchange is dropped) and
    // leaves the output off as said above. Nothing when no test runs.
    void stop();
    // One second of the test (what CycleTimer calls).
    void CycleTimer_Timer();

    [[nodiscard]] bool running() const { return running_; }
    [[nodiscard]] const Rhythm& rhythm() const { return rhythm_; }
    // The unit acknowledged the last request (this test's or another
    // caller's) as off, and the output has been neither requested nor
    // reported on since.
    [[nodiscard]] bool offConfirmed() const { return offConfirmed_; }
    QTimer& CycleTimer() { return timer_; }

signals:
    // The test asked for the output on or off and this came of it.
    void switched(bool on, zov::core::Answer answer);
    // stop() ended the test (after its "ENBL 0;", if it sent one).
    void finished();

private:
    void request(bool on);
    void toggleXray() { request(!supply_.xrayRequested()); }

    Supply& supply_;
    QTimer timer_;
    Rhythm rhythm_;
    bool running_ = false;
    bool offConfirmed_ = false;
    unsigned run_ = 0;
};

}  // namespace zov::core
