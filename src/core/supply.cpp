// SPDX-License-Identifier: Apache-2.0
#include "supply.h"

#include <variant>

#include "core/dac_editor.h"
#include "core/scaling.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace zov::core {
namespace {

constexpr int kValueStart = 2;
constexpr int kHardwareRevisionLength = 3;
constexpr int kSoftwareRevisionLength = 11;
constexpr int kBuildStart = 17;
constexpr int kRemoteAcknowledgePosition = 5;
constexpr int kResetAcknowledgePosition = 2;
constexpr char kRemoteAcknowledge = '$';
constexpr char kClearingAcknowledge = '$';

// Pauses the background timers for the scope of one operation.
class Bracket {
public:
    explicit Bracket(CommandExchange& exchange) : exchange_(exchange) {
        exchange_.suspendBackgroundTimers();
    }
    ~Bracket() { exchange_.resumeBackgroundTimers(); }
    Bracket(const Bracket&) = delete;
    Bracket& operator=(const Bracket&) = delete;

private:
    CommandExchange& exchange_;
};

QString fromReply(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<double> scaledValue(const std::string& raw, std::optional<double> scale) {
    const auto count = protocol::parseNumber(raw);
    if (!count || !scale) {
        return std::nullopt;
    }
    return *count * *scale;
}

}  // namespace

const char* answerName(Answer answer) {
    switch (answer) {
        case Answer::Done:
            return "done";
        case Answer::Refused:
            return "refused";
        case Answer::NoAnswer:
            return "no answer";
        case Answer::Unreadable:
            return "unreadable";
    }
    return "";
}

Supply::Supply(CommandExchange& exchange, MainState& state, SessionEvents& events, QObject* parent)
    : QObject(parent), exchange_(exchange), state_(state), events_(events) {
    connect(&exchange_, &CommandExchange::unsolicitedMessage, this,
            [this](const QByteArray& message) {
                const CombinedStatus status = unsolicitedStatusFrom(textOf(message));
                applyCombined(status);
                emit unsolicitedStatus(status);
                emit changed();
            });
    // Whatever stands behind the link when it comes back may be another unit.
    connect(&exchange_, &CommandExchange::linkLost, this, &Supply::linkGone);
    connect(&exchange_, &CommandExchange::commErrorsChanged, this, [this](qint64 count) {
        readings_.commErrors = count;
        emit changed();
    });
}

QByteArray Supply::exchangeOnce(const QByteArray& command) {
    exchange_.outputOutputString(command);
    return exchange_.inputInputString();
}

void Supply::readScaleIfMissing(double MainState::*factor) {
    const double before = factor != nullptr ? state_.*factor : 0.0;
    core::readScaleIfMissing(exchange_, state_, factor);
    if (factor != nullptr && state_.*factor != before) {
        noteScales();
        emit scalesChanged();
    }
}

void Supply::noteScales() {
    const QDateTime at = now();
    if (const auto kv = unitScale(state_, &MainState::KvScaleFactor)) {
        readings_.voltageFullScaleKv.give(*kv * kFullScaleCounts, at);
    }
    if (const auto ma = unitScale(state_, &MainState::mAScaleFactor)) {
        readings_.currentFullScaleMa.give(*ma * kFullScaleCounts, at);
    }
}

// --- setpoints ---

Outcome<SetpointValue> Supply::readSetpoint(Channel channel) {
    const SetpointChannel& row = setpointChannel(channel);
    Outcome<SetpointValue> outcome;
    {
        Bracket bracket(exchange_);
        readScaleIfMissing(row.scaleFactor);
        outcome.reply = exchangeOnce(QByteArray(row.readCommand));
        const auto scale = shownScaleOf(row, state_);
        if (const auto reading = readingFrom(row, textOf(outcome.reply), scale)) {
            outcome.answer = Answer::Done;
            outcome.value = {static_cast<int>(protocol::parseNumber(reading->raw).value_or(0)),
                             scaledValue(reading->raw, scale), reading->display, reading->raw};
            readings_.setpoint(channel).give(outcome.value, now());
            state_.CommStatusFlag = true;
        } else if (outcome.reply.isEmpty()) {
            readings_.setpoint(channel).markStale(now());
        } else {
            outcome.answer = Answer::Unreadable;
        }
    }
    emit changed();
    return outcome;
}

Outcome<SetpointValue> Supply::program(Channel channel, std::int16_t count) {
    const EditorChannel& row = editorChannel(channel);
    exchange_.suspendBackgroundTimers();
    const std::string command = programCommand(row, count);
    Outcome<SetpointValue> outcome;
    outcome.reply = exchangeOnce(QByteArray::fromStdString(command));
    if (!outcome.reply.isEmpty()) {
        state_.CommStatusFlag = true;
    }
    const ProgramAnswer answer = programAnswerFrom(row, command, textOf(outcome.reply));
    emit events_.supplyEvent(SupplyEvent::SetpointProgrammed,
                             QString::fromStdString(programmedDetail(command, answer)));
    switch (answer) {
        case ProgramAnswer::Acknowledged: {
            const SetpointChannel& setpoint = setpointChannel(channel);
            readScaleIfMissing(setpoint.scaleFactor);
            const auto scale = shownScaleOf(setpoint, state_);
            outcome.answer = Answer::Done;
            outcome.value = {count, scale ? std::optional<double>(count * *scale) : std::nullopt,
                             confirmationOf(row, count, scale), std::to_string(count)};
            readings_.setpoint(channel).give(outcome.value, now());
            break;
        }
        case ProgramAnswer::Refused:
            outcome.answer = Answer::Refused;
            emit events_.supplyEvent(SupplyEvent::Error,
                                     QString::fromStdString(command + " refused"));
            break;
        case ProgramAnswer::Failed:
            outcome.answer = outcome.reply.isEmpty() ? Answer::NoAnswer : Answer::Unreadable;
            exchange_.countCommError();
            break;
    }
    // Only the update cycle goes on; the serial receive timer stays as it is.
    if (state_.AutoUpdate) {
        exchange_.tmr_UPDATE().start();
    }
    exchange_.keepStatusPollRunning();
    emit changed();
    return outcome;
}

Outcome<Nothing> Supply::revert(Channel channel, std::int16_t count) {
    const EditorChannel& row = editorChannel(channel);
    exchange_.tmr_RCVTIMER().stop();
    exchange_.setNetPollEnabled(false);
    const std::string command = revertCommand(row, count);
    exchange_.outputOutputString(QByteArray::fromStdString(command));
    emit events_.supplyEvent(SupplyEvent::SetpointProgrammed,
                             QString::fromStdString(command + " (reverted)"));
    // The unit answers the revert too; its answer is taken here, so a step of
    // the update cycle (deferred meanwhile) never reads it as its own.
    Outcome<Nothing> outcome;
    outcome.reply = exchange_.inputInputString();
    switch (programAnswerFrom(row, command, textOf(outcome.reply))) {
        case ProgramAnswer::Acknowledged:
            outcome.answer = Answer::Done;
            break;
        case ProgramAnswer::Refused:
            outcome.answer = Answer::Refused;
            break;
        case ProgramAnswer::Failed:
            outcome.answer = outcome.reply.isEmpty() ? Answer::NoAnswer : Answer::Unreadable;
            break;
    }
    // As before the reply was taken: the serial receive timer stays off.
    exchange_.tmr_RCVTIMER().stop();
    exchange_.keepStatusPollRunning();
    return outcome;
}

// --- output, status and faults ---

Outcome<bool> Supply::setXray(bool on) {
    Bracket bracket(exchange_);
    xrayRequested_ = on;
    emit changed();  // the request shows before the command goes out
    const QString requested = on ? QStringLiteral("ON") : QStringLiteral("OFF");
    exchange_.outputOutputString(on ? QByteArrayLiteral("ENBL 1;") : QByteArrayLiteral("ENBL 0;"));
    emit events_.supplyEvent(SupplyEvent::XrayRequested, requested);
    Outcome<bool> outcome;
    outcome.reply = exchange_.inputInputString();
    switch (enableAnswerFrom(textOf(outcome.reply))) {
        case EnableAnswer::Acknowledged:
            state_.CommStatusFlag = true;
            outcome.answer = Answer::Done;
            outcome.value = on;
            readings_.xrayOn.give(on, now());
            emit events_.supplyEvent(SupplyEvent::XrayAcknowledged, requested);
            emit xrayAcknowledged(on);
            break;
        case EnableAnswer::Refused:
            // What was requested stands until a status report corrects it.
            outcome.answer = Answer::Refused;
            emit events_.supplyEvent(SupplyEvent::Error, QStringLiteral("X-ray ") + requested +
                                                             QStringLiteral(" refused"));
            break;
        case EnableAnswer::NoReply:
            outcome.answer = Answer::NoAnswer;
            readings_.xrayOn.markStale(now());
            exchange_.countCommError();
            break;
        case EnableAnswer::Other:
            outcome.answer = Answer::Unreadable;
            break;
    }
    emit changed();
    return outcome;
}

Outcome<StatusReport> Supply::readStatus() {
    Outcome<StatusReport> outcome;
    {
        Bracket bracket(exchange_);
        const QByteArray status = exchangeOnce(QByteArrayLiteral("STAT;"));
        if (status.isEmpty()) {
            exchange_.countCommError();
            readings_.xrayOn.markStale(now());
        } else {
            state_.CommStatusFlag = true;
            outcome.value.xrayOn = flagAt(textOf(status), kXrayStatePosition);
            if (outcome.value.xrayOn) {
                giveXray(*outcome.value.xrayOn);
            }
        }
        outcome.reply = exchangeOnce(QByteArrayLiteral("FLT;"));
        applyFaults(textOf(outcome.reply), outcome.value);
        if (status.isEmpty() || outcome.reply.isEmpty()) {
            outcome.answer = Answer::NoAnswer;
        } else if (isFaultReadRefused(textOf(outcome.reply))) {
            outcome.answer = Answer::Refused;
        } else if (outcome.value.xrayOn && outcome.value.interlockOpen) {
            outcome.answer = Answer::Done;
        } else {
            outcome.answer = Answer::Unreadable;
        }
    }
    emit changed();
    return outcome;
}

void Supply::applyFaults(std::string_view reply, StatusReport& report) {
    if (reply.empty()) {
        for (auto& fault : readings_.faults) {
            fault.markStale(now());
        }
        readings_.interlockOpen.markStale(now());
        return;
    }
    if (isFaultReadRefused(reply)) {
        return;
    }
    for (std::size_t i = 0; i < kFaultFlags.size(); ++i) {
        const FaultFlag& flag = kFaultFlags[i];
        const auto fault = flagAt(reply, flag.position);
        report.faults[i] = fault;
        if (fault) {
            readings_.faults[i].give(*fault, now());
            announce(SupplyEvent::FaultChanged, reported_.faults[i], *fault,
                     QLatin1String(*fault ? flag.faultCaption : flag.okCaption));
        }
        if (i == kArcFlag) {
            countArc(fault);
        }
    }
    report.interlockOpen = flagAt(reply, kInterlockPosition);
    if (report.interlockOpen) {
        giveInterlock(*report.interlockOpen);
    }
}

void Supply::countArc(std::optional<bool> arcFault) {
    const ArcCounter counted =
        afterArcRead({state_.ArcArmed, state_.ArcCount}, arcFault, xrayRequested_);
    state_.ArcArmed = counted.armed;
    if (counted.count != state_.ArcCount) {
        state_.ArcCount = counted.count;
        readings_.arcCount = counted.count;
        emit events_.supplyEvent(SupplyEvent::ArcCounted, QString::number(counted.count));
    }
}

void Supply::clearArcCount() {
    state_.ArcArmed = 1;
    state_.ArcCount = 0;
    readings_.arcCount = 0;
    emit changed();
}

Outcome<CombinedStatus> Supply::readCombinedStatus() {
    Outcome<CombinedStatus> outcome;
    {
        Bracket bracket(exchange_);
        outcome.reply = exchangeOnce(QByteArrayLiteral("22,"));
        if (outcome.reply.isEmpty()) {
            exchange_.countCommError();
            for (auto* flag : {&readings_.xrayOn, &readings_.interlockOpen, &readings_.supplyFault,
                               &readings_.remote, &readings_.currentMode, &readings_.rov,
                               &readings_.aol, &readings_.watchdogOn}) {
                flag->markStale(now());
            }
        } else {
            state_.CommStatusFlag = true;
            outcome.value = combinedStatusFrom(textOf(outcome.reply));
            applyCombined(outcome.value);
            outcome.answer = outcome.value.xrayOn ? Answer::Done : Answer::Unreadable;
        }
    }
    emit changed();
    return outcome;
}

void Supply::applyCombined(const CombinedStatus& status) {
    const QDateTime at = now();
    if (status.xrayOn) {
        giveXray(*status.xrayOn);
    }
    if (status.interlockOpen) {
        giveInterlock(*status.interlockOpen);
    }
    if (status.supplyFault) {
        readings_.supplyFault.give(*status.supplyFault, at);
        announce(
            SupplyEvent::FaultChanged, reported_.supplyFault, *status.supplyFault,
            *status.supplyFault ? QStringLiteral("P.S. FAULT") : QStringLiteral("NO P.S. FAULT"));
    }
    const std::pair<const std::optional<bool>*, Reading<bool>*> plain[] = {
        {&status.remote, &readings_.remote},
        {&status.currentMode, &readings_.currentMode},
        {&status.rov, &readings_.rov},
        {&status.aol, &readings_.aol},
        {&status.watchdogOn, &readings_.watchdogOn}};
    for (const auto& [reported, reading] : plain) {
        if (*reported) {
            reading->give(**reported, at);
        }
    }
    if (status.watchdogOn) {
        state_.wdtEnabled = *status.watchdogOn;
    }
}

void Supply::giveXray(bool on) {
    readings_.xrayOn.give(on, now());
    xrayRequested_ = on;
    announce(SupplyEvent::StatusChanged, reported_.xrayOn, on,
             on ? QStringLiteral("X-RAY ON") : QStringLiteral("X-RAY OFF"));
}

void Supply::giveInterlock(bool open) {
    readings_.interlockOpen.give(open, now());
    announce(SupplyEvent::InterlockChanged, reported_.interlockOpen, open,
             open ? QStringLiteral("OPEN") : QStringLiteral("CLOSED"));
    if (open) {
        xrayRequested_ = false;  // an open interlock holds the output off
    }
}

void Supply::announce(SupplyEvent kind, std::optional<bool>& last, bool now,
                      const QString& detail) {
    if (reportChanged(last, now)) {
        emit events_.supplyEvent(kind, detail);
    }
}

Outcome<Nothing> Supply::resetFaults() {
    Bracket bracket(exchange_);
    Outcome<Nothing> outcome;
    outcome.reply = exchangeOnce(QByteArrayLiteral("CLR;"));
    // A unit acknowledges the reset like any setting, or with "$" while it clears.
    const bool clearing =
        protocol::charAt(textOf(outcome.reply), kResetAcknowledgePosition) == kClearingAcknowledge;
    switch (clearing ? EnableAnswer::Acknowledged : enableAnswerFrom(textOf(outcome.reply))) {
        case EnableAnswer::Acknowledged:
            outcome.answer = Answer::Done;
            break;
        case EnableAnswer::Refused:
            outcome.answer = Answer::Refused;
            break;
        case EnableAnswer::NoReply:
            outcome.answer = Answer::NoAnswer;
            break;
        case EnableAnswer::Other:
            outcome.answer = Answer::Unreadable;
            break;
    }
    return outcome;
}

// --- monitors, identity, scaling, control ---

Outcome<Nothing> Supply::readMonitors(std::initializer_list<Monitor> monitors) {
    Outcome<Nothing> outcome;
    outcome.answer = Answer::Done;
    {
        Bracket bracket(exchange_);
        for (const Monitor monitor : monitors) {
            readScaleIfMissing(monitorRow(monitor).scale);
        }
        for (const Monitor monitor : monitors) {
            const MonitorRow& row = monitorRow(monitor);
            outcome.reply = exchangeOnce(QByteArray(row.command));
            if (!outcome.reply.isEmpty()) {
                state_.CommStatusFlag = true;
            }
            Reading<MonitorValue>& reading = readings_.monitor(monitor);
            const auto keep = [&](const std::string& raw) {
                state_.*row.variable = QString::fromStdString(raw);
            };
            const auto error = [&](const char* what) {
                emit events_.supplyEvent(SupplyEvent::Error,
                                         QLatin1String(what) + QLatin1String(row.command));
            };
            const MonitorOutcome read = monitorOutcome(row, textOf(outcome.reply), state_);
            bool goOn = true;
            if (std::holds_alternative<NoMonitorReply>(read)) {
                error("no reply to ");
                reading.markStale(now());
                outcome.answer = Answer::NoAnswer;
            } else if (std::holds_alternative<UnreadableMonitor>(read)) {
                error("unreadable reply to ");
                outcome.answer = Answer::Unreadable;
                goOn = false;
            } else if (const auto* text = std::get_if<MonitorText>(&read)) {
                keep(text->raw);
                error("no number in the reply to ");
                outcome.answer = Answer::Unreadable;
                goOn = false;
            } else if (const auto* count = std::get_if<MonitorUnscaled>(&read)) {
                keep(count->raw);
                reading.give({count->raw, std::nullopt, kNoScaleText}, now());
            } else {
                const auto& value = std::get<MonitorReading>(read);
                keep(value.raw);
                reading.give({value.raw, value.shown, value.display}, now());
                emit events_.monitorRead(QLatin1String(row.variableName), value.shown);
            }
            emit monitorReplied(monitor, read);
            if (!goOn) {
                break;
            }
        }
    }
    emit changed();
    return outcome;
}

Outcome<QString> Supply::readIdentity(IdentityItem item) {
    struct Query {
        const char* command;
        Reading<QString> Identity::*reading;
    };
    static constexpr Query kQueries[] = {{"HWVR;", &Identity::hardwareRevision},
                                         {"MODR;", &Identity::model},
                                         {"FREV;", &Identity::softwareRevision},
                                         {"SOFT;", &Identity::softwareBuild},
                                         {"SNUR;", &Identity::serialNumber}};
    const Query& query = kQueries[static_cast<std::size_t>(item)];
    Reading<QString>& reading = readings_.identity.*query.reading;
    Outcome<QString> outcome;
    {
        Bracket bracket(exchange_);
        outcome.reply = exchangeOnce(QByteArray(query.command));
        const std::string_view reply = textOf(outcome.reply);
        if (outcome.reply.isEmpty()) {
            // Shown as unknown, not as the old value.
            reading = {};
            if (item == IdentityItem::SoftwareRevision) {
                readings_.identity.softwareBuild = {};
            }
            exchange_.countCommError();
        } else {
            std::optional<std::string> value;
            switch (item) {
                case IdentityItem::HardwareRevision:
                    // A short reply gives whatever follows the STX.
                    value = protocol::cutFixed(reply, kValueStart, kHardwareRevisionLength);
                    break;
                case IdentityItem::SoftwareRevision:
                    // The revision stands even when the build after it cannot be cut.
                    reading.give(
                        fromReply(protocol::cutFixed(reply, kValueStart, kSoftwareRevisionLength)),
                        now());
                    value = protocol::cutUntil(reply, kBuildStart, ',');
                    if (value) {
                        readings_.identity.softwareBuild.give(fromReply(*value), now());
                        value = protocol::cutFixed(reply, kValueStart, kSoftwareRevisionLength);
                    }
                    break;
                default:
                    value = protocol::cutUntil(reply, kValueStart, ';');
                    break;
            }
            if (value) {
                state_.CommStatusFlag = true;
                outcome.answer = Answer::Done;
                outcome.value = fromReply(*value);
                reading.give(outcome.value, now());
            } else {
                outcome.answer = Answer::Unreadable;
            }
        }
    }
    emit changed();
    return outcome;
}

Outcome<Nothing> Supply::readScaling() {
    Outcome<Nothing> outcome;
    const double kvBefore = state_.KvScaleFactor;
    const double maBefore = state_.mAScaleFactor;
    {
        Bracket bracket(exchange_);
        outcome.answer = core::readScaling(exchange_, state_) ? Answer::Done : Answer::NoAnswer;
    }
    noteScales();
    if (state_.KvScaleFactor != kvBefore || state_.mAScaleFactor != maBefore) {
        emit scalesChanged();
    }
    emit changed();
    return outcome;
}

Outcome<bool> Supply::setRemote(bool remote) {
    Bracket bracket(exchange_);
    const QByteArray command = remote ? QByteArrayLiteral("99,1,") : QByteArrayLiteral("99,0,");
    Outcome<bool> outcome;
    outcome.reply = exchangeOnce(command);
    const auto acknowledge = protocol::charAt(textOf(outcome.reply), kRemoteAcknowledgePosition);
    if (outcome.reply.isEmpty()) {
        outcome.answer = Answer::NoAnswer;
    } else if (!acknowledge || !protocol::echoesCommand(textOf(outcome.reply), textOf(command))) {
        // Another command's reply is treated like one that cannot be read.
        outcome.answer = Answer::Unreadable;
    } else if (*acknowledge == kRemoteAcknowledge) {
        outcome.answer = Answer::Done;
        outcome.value = remote;
        readings_.remote.give(remote, now());
        emit changed();
    } else {
        outcome.answer = Answer::Refused;
    }
    return outcome;
}

void Supply::keepAlive() {
    exchange_.sendWatchdogKeepAlive();
}

Outcome<QByteArray> Supply::send(const QByteArray& command) {
    Bracket bracket(exchange_);
    Outcome<QByteArray> outcome;
    outcome.reply = exchangeOnce(command);
    if (outcome.reply.isEmpty()) {
        exchange_.countCommError();
    } else {
        outcome.answer = Answer::Done;
        outcome.value = outcome.reply;
    }
    return outcome;
}

// --- what the link and time do to the readings ---

void Supply::linkGone() {
    const QDateTime at = now();
    readings_.forEachReading([&at](auto& reading) { reading.markStale(at); });
    forgetUnitScales(state_);
    emit changed();
}

void Supply::markOlderThan(qint64 ms) {
    const QDateTime at = now();
    const QDateTime limit = at.addMSecs(-ms);
    bool marked = false;
    const auto age = [&](auto& reading) {
        if (reading.live() && reading.at < limit) {
            reading.markStale(at);
            marked = true;
        }
    };
    for (auto& reading : readings_.monitors) age(reading);
    age(readings_.setpoint(Channel::A));
    age(readings_.setpoint(Channel::B));
    age(readings_.xrayOn);
    for (auto& reading : readings_.faults) age(reading);
    age(readings_.interlockOpen);
    if (marked) {
        emit changed();
    }
}

}  // namespace zov::core
