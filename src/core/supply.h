// SPDX-License-Identifier: Apache-2.0
// The supply's operations, one method each, as the console performs them:
// the same commands in the same order, the same background timers paused
// and resumed around them. Each returns what came of it as a typed outcome
// (a refused command is never reported as done) and keeps what the unit
// reported in readings(), with the time and stale mark of each reading.
//
// Thread contract: a Supply lives in the thread that made it and its
// exchange; every method runs a reply wait on that thread's event loop and
// must be called from it. Other threads go through SupplyWorker.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <initializer_list>
#include <optional>

#include "core/command_exchange.h"
#include "core/factory_data.h"
#include "core/main_state.h"
#include "core/session_events.h"
#include "core/supply_readings.h"
#include "core/user_options.h"

namespace zov::core {

enum class Answer {
    Done,        // the unit did it or gave the value
    Refused,     // the unit answered that it would not
    NoAnswer,    // nothing came within the time limit, or the link is down
    Unreadable,  // something came that is not this command's answer
};
[[nodiscard]] const char* answerName(Answer answer);

template <typename T>
struct Outcome {
    Answer answer = Answer::NoAnswer;
    T value{};         // meaningful when done
    QByteArray reply;  // what the unit said last, as it came
    [[nodiscard]] bool done() const { return answer == Answer::Done; }
};
struct Nothing {};

// One "STAT;" and "FLT;" pass.
struct StatusReport {
    std::optional<bool> xrayOn;
    std::array<std::optional<bool>, kFaultFlags.size()> faults{};  // true: raised
    std::optional<bool> interlockOpen;
};

// What programming one factory field came to (service, supply_service.cpp).
struct FieldProgrammed {
    std::vector<std::string> sent;         // the commands sent, in order
    std::optional<std::string> kvVoltage;  // a scaling entry's full-scale kV text
    bool outOfRange = false;               // a number outside the converter: nothing sent
    bool scalingUnknown = false;           // a turn-on voltage with no scale: nothing sent
    double fullScaleKv = 0.0;              // what a turn-on voltage was converted by
};

enum class IdentityItem { HardwareRevision, Model, SoftwareRevision, SoftwareBuild, SerialNumber };

// The monitors the update cycle reads together.
inline constexpr std::initializer_list<Monitor> kHvMonitors{Monitor::Voltage, Monitor::Current,
                                                            Monitor::Filament};
inline constexpr std::initializer_list<Monitor> kAuxMonitors{Monitor::AuxSupply,
                                                             Monitor::Temperature};

class Supply : public QObject {
    Q_OBJECT
public:
    Supply(CommandExchange& exchange, MainState& state, SessionEvents& events,
           QObject* parent = nullptr);

    [[nodiscard]] const SupplyReadings& readings() const { return readings_; }
    [[nodiscard]] CommandExchange& exchange() { return exchange_; }
    [[nodiscard]] MainState& state() { return state_; }
    // The output as last requested, or as the unit reported it since (an
    // open interlock holds it off): what arc counting and a toggle go by.
    [[nodiscard]] bool xrayRequested() const { return xrayRequested_; }

    // --- setpoints ---
    Outcome<SetpointValue> readSetpoint(Channel channel);
    // Programs `count`; done with the confirmation when the unit acknowledged.
    Outcome<SetpointValue> program(Channel channel, std::int16_t count);
    // Puts back `count` after an edit was cancelled; the receive timer stays off.
    Outcome<Nothing> revert(Channel channel, std::int16_t count);

    // --- output, status and faults ---
    Outcome<bool> setXray(bool on);
    Outcome<StatusReport> readStatus();
    Outcome<CombinedStatus> readCombinedStatus();
    Outcome<Nothing> resetFaults();
    // Counts an arc when a fault read shows one while X-ray is requested.
    void countArc(std::optional<bool> arcFault);
    // Armed again, count 0; nothing is sent.
    void clearArcCount();

    // --- monitors, identity, scaling, control ---
    // Reads `monitors` in order; a reply that cannot be used ends the pass.
    Outcome<Nothing> readMonitors(std::initializer_list<Monitor> monitors);
    Outcome<QString> readIdentity(IdentityItem item);
    Outcome<Nothing> readScaling();
    Outcome<bool> setRemote(bool remote);
    void keepAlive();
    // Service use: one command as typed, and whatever the unit answers.
    Outcome<QByteArray> send(const QByteArray& command);

    // --- service (supply_service.cpp) ---
    // Holds the background timers paused while it lives; pauses nest, so a
    // service window keeps them paused across its prompt, the operation and
    // the message after it, exactly as it always did.
    class ServicePause {
    public:
        explicit ServicePause(Supply& supply);
        ~ServicePause();
        ServicePause(const ServicePause&) = delete;
        ServicePause& operator=(const ServicePause&) = delete;

    private:
        Supply& supply_;
    };
    // Commands whose answer the console never awaited are still sent so: the
    // reply is left for the next exchange to drop, and the outcome stays
    // NoAnswer with an empty reply (never done).
    // "CONF;" with the timers paused; the value holds whatever fields could
    // be taken, done only when all of them were.
    Outcome<Configuration> readConfiguration();
    // The command(s) one programming button sends for `entry` (an as-typed
    // entry already checked sendable). Pauses no timers itself: the window
    // holds a ServicePause across its prompt. The scaling pair awaits the
    // voltage command's reply before the current follows (refused when the
    // unit refuses the voltage); the last reply is never awaited.
    Outcome<FieldProgrammed> programFactoryField(const ProgrammingButton& button,
                                                 const std::string& entry,
                                                 std::string_view kvVoltage);
    // "27," with the timers paused; the fields that could be taken, done
    // when all nine came.
    Outcome<std::vector<std::string>> readUserOptions();
    // "09," and the nine texts with the timers paused; an arc rate the unit
    // rejects (and the options with it) is refused.
    Outcome<SaveVerdict> saveUserOptions(const OptionTexts& texts);
    // "SNUS n;" with the timers paused; its answer is never awaited. Read
    // it back with readIdentity(IdentityItem::SerialNumber).
    Outcome<Nothing> setSerialNumber(const std::string& serialNumber);
    // "40,rev,": the background timers keep running on purpose, so an update
    // step falling due during the wait runs right after it. A revision that
    // is not three characters is refused without sending.
    Outcome<Nothing> setHardwareRevision(std::string_view revision);
    // "30," with the timers paused.
    Outcome<Nothing> resetTotalHours();
    // "WDTE 1;" or "WDTE 0;" with the timers paused.
    Outcome<Nothing> setWatchdog(bool on);
    // "PASS code;" with the timers paused; its answer is never awaited.
    Outcome<Nothing> sendAccessCode(const QString& code);
    // "96,": the background timers keep running on purpose.
    Outcome<Nothing> togglePassThrough();
    // "10,0," to "13,0," for A to D, one per step of the shutdown sequence:
    // no timer is touched and the answer is never awaited.
    Outcome<Nothing> zeroSetpoint(Channel channel);

    // --- what the link and time do to the readings ---
    // The link went away (called on the exchange's linkLost) or another was
    // chosen (its chooser calls it): every reading is stale and the unit's
    // scales are forgotten.
    void linkGone();
    // Readings the update cycle refreshes that it has not for `ms`.
    void markOlderThan(qint64 ms);

signals:
    // Any reading, its time or its stale mark changed, or the output requested.
    void changed();
    // The unit acknowledged a request to switch the output on or off.
    void xrayAcknowledged(bool on);
    // What came of one monitor's read, as soon as it came (readMonitors).
    void monitorReplied(zov::core::Monitor monitor, const zov::core::MonitorOutcome& outcome);
    // A scale factor the scaled readings use changed.
    void scalesChanged();
    void unsolicitedStatus(const zov::core::CombinedStatus& status);

private:
    QByteArray exchangeOnce(const QByteArray& command);
    void readScaleIfMissing(double MainState::*factor);
    void noteScales();
    void applyCombined(const CombinedStatus& status);
    void applyFaults(std::string_view reply, StatusReport& report);
    void giveXray(bool on);
    void giveInterlock(bool open);
    void announce(SupplyEvent kind, std::optional<bool>& last, bool now, const QString& detail);
    [[nodiscard]] QDateTime now() const { return QDateTime::currentDateTime(); }

    CommandExchange& exchange_;
    MainState& state_;
    SessionEvents& events_;
    SupplyReadings readings_;
    ReportedStatus reported_;
    bool xrayRequested_ = false;
    int servicePauses_ = 0;
};

}  // namespace zov::core
