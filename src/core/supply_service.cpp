// The Supply's service operations: factory data, user options, serial
// number, hardware revision, hours, watchdog, access code, pass-through and
// the shutdown's zeroed setpoints. Each sends what its window always sent,
// with the same timers paused or deliberately left running.
#include <iterator>

#include "core/service_commands.h"
#include "core/status_flags.h"
#include "core/supply.h"
#include "protocol/reply.h"

namespace zov::core {
namespace {

constexpr std::size_t kRevisionLength = 3;
constexpr int kNumberedValuePosition = 5;
constexpr int kMnemonicValuePosition = 2;
constexpr char kNumberedDone = '$';
constexpr char kRefusal = '1';
constexpr const char* kZeroSetpoints[] = {"10,0,", "11,0,", "12,0,", "13,0,"};

// A numbered setting's answer: "$" done, "1" refused, at character 5 after
// the echoed number.
Answer numberedAnswer(const QByteArray& reply, std::string_view command) {
    const std::string_view text = textOf(reply);
    if (reply.isEmpty()) {
        return Answer::NoAnswer;
    }
    if (!protocol::echoesCommand(text, command)) {
        return Answer::Unreadable;
    }
    const auto value = protocol::charAt(text, kNumberedValuePosition);
    if (value == kNumberedDone) {
        return Answer::Done;
    }
    return value == kRefusal ? Answer::Refused : Answer::Unreadable;
}

// A mnemonic setting's answer: ";" done, "1;" refused.
Answer mnemonicAnswer(const QByteArray& reply) {
    switch (enableAnswerFrom(textOf(reply))) {
        case EnableAnswer::Acknowledged:
            return Answer::Done;
        case EnableAnswer::Refused:
            return Answer::Refused;
        case EnableAnswer::NoReply:
            return Answer::NoAnswer;
        case EnableAnswer::Other:
            break;
    }
    return Answer::Unreadable;
}

// A query refused the mnemonic way, "1;" in place of its value.
bool isRefusedQuery(const QByteArray& reply) {
    const std::string_view text = textOf(reply);
    return protocol::charAt(text, kMnemonicValuePosition) == kRefusal &&
           protocol::charAt(text, kMnemonicValuePosition + 1) == ';';
}

}  // namespace

std::optional<std::string> hardwareRevisionCommand(std::string_view answer) {
    if (answer.size() != kRevisionLength) {
        return std::nullopt;
    }
    return "40," + std::string(answer) + ',';
}

bool revisionTaken(std::string_view reply) {
    return protocol::echoesCommand(reply, "40,") &&
           protocol::charAt(reply, kNumberedValuePosition) == kNumberedDone;
}

const char* watchdogToggleCommand(bool enabled) {
    return enabled ? "WDTE 0;" : "WDTE 1;";
}

Supply::ServicePause::ServicePause(Supply& supply) : supply_(supply) {
    if (supply_.servicePauses_++ == 0) {
        supply_.exchange_.suspendBackgroundTimers();
    }
}

Supply::ServicePause::~ServicePause() {
    if (--supply_.servicePauses_ == 0) {
        supply_.exchange_.resumeBackgroundTimers();
    }
}

Outcome<Configuration> Supply::readConfiguration() {
    const ServicePause pause(*this);
    Outcome<Configuration> outcome;
    outcome.reply = exchangeOnce(QByteArray(kReadConfiguration));
    outcome.value = configurationFrom(textOf(outcome.reply));
    if (outcome.reply.isEmpty()) {
        outcome.answer = Answer::NoAnswer;
    } else if (isRefusedQuery(outcome.reply)) {
        outcome.answer = Answer::Refused;
    } else if (outcome.value.shown.size() == std::size(kProgrammingButtons)) {
        outcome.answer = Answer::Done;
    } else {
        outcome.answer = Answer::Unreadable;
    }
    return outcome;
}

Outcome<FieldProgrammed> Supply::programFactoryField(const ProgrammingButton& button,
                                                     const std::string& entry,
                                                     std::string_view kvVoltage) {
    Outcome<FieldProgrammed> outcome;
    FieldProgrammed& programmed = outcome.value;
    const auto sendUnawaited = [&](const std::string& command) {
        exchange_.outputOutputString(QByteArray::fromStdString(command));
        programmed.sent.push_back(command);
    };
    switch (button.conversion) {
        case Conversion::AsTyped:
            sendUnawaited(textCommand(button.mnemonic, entry));
            break;
        case Conversion::Scaling: {
            // The current goes out whatever the voltage's answer, so the unit
            // is never left with half of the scaling asked for.
            const ScalingEntry scaling = scalingFrom(entry);
            programmed.kvVoltage = scaling.kvVoltage;
            if (scaling.commands) {
                sendUnawaited(scaling.commands->first);
                outcome.reply = exchange_.inputInputString();
                if (mnemonicAnswer(outcome.reply) == Answer::Refused) {
                    outcome.answer = Answer::Refused;
                }
                sendUnawaited(scaling.commands->second);
            }
            break;
        }
        case Conversion::Preheat: {
            const Preheat preheat = preheatCommand(entry);
            programmed.outOfRange = preheat.outOfRange;
            if (!preheat.outOfRange && preheat.command) {
                sendUnawaited(*preheat.command);
            }
            break;
        }
        case Conversion::TurnOn: {
            const TurnOn turnOn = turnOnCommand(entry, state_.KvScaleFactor, kvVoltage);
            programmed.scalingUnknown = turnOn.scalingUnknown;
            programmed.outOfRange = !turnOn.scalingUnknown && turnOn.outOfRange;
            programmed.fullScaleKv = turnOn.fullScaleKv;
            if (!turnOn.scalingUnknown && !turnOn.outOfRange && turnOn.command) {
                sendUnawaited(*turnOn.command);
            }
            break;
        }
    }
    return outcome;
}

Outcome<std::vector<std::string>> Supply::readUserOptions() {
    const ServicePause pause(*this);
    Outcome<std::vector<std::string>> outcome;
    outcome.reply = exchangeOnce(QByteArray(kReadOptions));
    outcome.value = optionFieldsFrom(textOf(outcome.reply));
    if (outcome.reply.isEmpty()) {
        outcome.answer = Answer::NoAnswer;
    } else if (outcome.value.size() == kOptionCount) {
        outcome.answer = Answer::Done;
    } else if (outcome.value == std::vector<std::string>{std::string(1, kRefusal)}) {
        outcome.answer = Answer::Refused;
    } else {
        outcome.answer = Answer::Unreadable;
    }
    return outcome;
}

Outcome<SaveVerdict> Supply::saveUserOptions(const OptionTexts& texts) {
    const ServicePause pause(*this);
    const std::string command = saveCommand(texts);
    Outcome<SaveVerdict> outcome;
    outcome.reply = exchangeOnce(QByteArray::fromStdString(command));
    outcome.value = verdictFrom(textOf(outcome.reply));
    // Taken with arc detection off is taken; a rejected arc rate is the
    // unit's refusal of the whole set.
    outcome.answer = outcome.value == SaveVerdict::NoArcDetectOn
                         ? Answer::Done
                         : numberedAnswer(outcome.reply, command);
    return outcome;
}

Outcome<Nothing> Supply::setSerialNumber(const std::string& serialNumber) {
    const ServicePause pause(*this);
    exchange_.outputOutputString(QByteArray::fromStdString(textCommand("SNUS", serialNumber)));
    return {};
}

Outcome<Nothing> Supply::setHardwareRevision(std::string_view revision) {
    Outcome<Nothing> outcome;
    const auto command = hardwareRevisionCommand(revision);
    if (!command) {
        outcome.answer = Answer::Refused;
        return outcome;
    }
    outcome.reply = exchangeOnce(QByteArray::fromStdString(*command));
    outcome.answer = revisionTaken(textOf(outcome.reply)) ? Answer::Done
                                                          : numberedAnswer(outcome.reply, *command);
    return outcome;
}

Outcome<Nothing> Supply::resetTotalHours() {
    const ServicePause pause(*this);
    Outcome<Nothing> outcome;
    outcome.reply = exchangeOnce(QByteArrayLiteral("30,"));
    outcome.answer = numberedAnswer(outcome.reply, "30,");
    return outcome;
}

Outcome<Nothing> Supply::setWatchdog(bool on) {
    const ServicePause pause(*this);
    Outcome<Nothing> outcome;
    outcome.reply = exchangeOnce(QByteArray(watchdogToggleCommand(!on)));
    outcome.answer = mnemonicAnswer(outcome.reply);
    return outcome;
}

Outcome<Nothing> Supply::sendAccessCode(const QString& code) {
    const ServicePause pause(*this);
    exchange_.outputOutputString(QByteArrayLiteral("PASS ") + code.toLatin1() + ';');
    return {};
}

Outcome<Nothing> Supply::togglePassThrough() {
    Outcome<Nothing> outcome;
    outcome.reply = exchangeOnce(QByteArrayLiteral("96,"));
    if (outcome.reply.isEmpty()) {
        exchange_.countCommError();
    }
    outcome.answer = numberedAnswer(outcome.reply, "96,");
    return outcome;
}

Outcome<Nothing> Supply::zeroSetpoint(Channel channel) {
    exchange_.outputOutputString(QByteArray(kZeroSetpoints[static_cast<std::size_t>(channel)]));
    return {};
}

}  // namespace zov::core
