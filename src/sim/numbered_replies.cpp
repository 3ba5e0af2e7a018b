// Replies to the numbered dialect ("16,", "12,819,", "99,1," ...).
#include <array>
#include <map>

#include "sim/reply_values.h"

namespace zov::sim {
namespace {

using Value = std::optional<std::string>;
using Handler = Value (*)(SupplyModel&, const Command&);

struct Entry {
    Handler handler;
    CommandKind kind;
};

constexpr CommandKind kQuery = CommandKind::Query;
constexpr CommandKind kSetting = CommandKind::Setting;

const Value kAck = std::string(kDone);

// The order in which "27," reports and "09," programs the user options.
constexpr std::array<int UserOptions::*, 9> kOptionOrder{
    &UserOptions::rov,      &UserOptions::overVoltage, &UserOptions::rampTenths,
    &UserOptions::aol,      &UserOptions::arcCount,    &UserOptions::arcPeriod,
    &UserOptions::quenchMs, &UserOptions::reRamp,      &UserOptions::noArcDetect};

// "09," answers "1" when the arc limit allows more than one arc per second
// (the options are then discarded), "2" when they were taken with arc
// detection off.
constexpr std::string_view kArcRateTooHigh = "1";
constexpr std::string_view kNoArcDetectOn = "2";

template <Channel channel>
Value programSetpoint(SupplyModel& model, const Command& command) {
    const auto count = parseWholeNumber(command.arg(0));
    return count && model.setSetpoint(channel, *count) ? kAck : std::nullopt;
}

template <Channel channel>
Value readSetpoint(SupplyModel& model, const Command&) {
    return std::to_string(model.setpoint(channel));
}

Value readOptions(SupplyModel& model, const Command&) {
    std::string fields;
    for (const auto field : kOptionOrder) {
        fields += std::to_string(model.options().*field) + ',';
    }
    fields.pop_back();
    return fields;
}

// An empty field leaves that option as it is: a console that could not read
// the options sends the ones it never learned as empty texts.
Value programOptions(SupplyModel& model, const Command& command) {
    if (command.args.size() != kOptionOrder.size()) {
        return std::nullopt;
    }
    UserOptions options = model.options();
    for (std::size_t i = 0; i < kOptionOrder.size(); ++i) {
        if (command.args[i].empty()) {
            continue;
        }
        const auto number = parseWholeNumber(command.args[i]);
        if (!number || *number < 0) {
            return std::nullopt;
        }
        options.*kOptionOrder[i] = *number;
    }
    if (options.arcCount > options.arcPeriod) {
        return std::string(kArcRateTooHigh);
    }
    model.options() = options;
    return options.noArcDetect != 0 ? std::string(kNoArcDetectOn) : kAck;
}

Value setRemote(SupplyModel& model, const Command& command) {
    if (command.arg(0) != "0" && command.arg(0) != "1") {
        return std::nullopt;
    }
    model.setRemote(command.arg(0) == "1");
    return kAck;
}

Value setHardwareRevision(SupplyModel& model, const Command& command) {
    if (command.arg(0).size() != 3 || !isStorableText(command.arg(0), 3)) {
        return std::nullopt;
    }
    model.identity().hardwareRevision = std::string(command.arg(0));
    return kAck;
}

const std::map<std::string_view, Entry>& table() {
    static const std::map<std::string_view, Entry> entries{
        {"10", {programSetpoint<Channel::Voltage>, kSetting}},
        {"11", {programSetpoint<Channel::Current>, kSetting}},
        {"12", {programSetpoint<Channel::FilamentLimit>, kSetting}},
        {"13", {programSetpoint<Channel::FilamentPreheat>, kSetting}},
        {"16", {readSetpoint<Channel::FilamentLimit>, kQuery}},
        {"17", {readSetpoint<Channel::FilamentPreheat>, kQuery}},
        {"22", {[](SupplyModel& m, const Command&) -> Value { return statusFlags(m); }, kQuery}},
        {"27", {readOptions, kQuery}},
        {"09", {programOptions, kSetting}},
        // The unit keeps no hours figure that can be read back.
        {"30", {[](SupplyModel&, const Command&) { return kAck; }, kSetting}},
        {"40", {setHardwareRevision, kSetting}},
        {"96",
         {[](SupplyModel& m, const Command&) {
              m.togglePassThrough();
              return kAck;
          },
          kSetting}},
        {"99", {setRemote, kSetting}},
    };
    return entries;
}

}  // namespace

std::optional<std::string> numberedReply(SupplyModel& model, const Command& command) {
    const auto found = table().find(command.name);
    if (found == table().end()) {
        return std::nullopt;
    }
    const Value value = found->second.handler(model, command);
    return value ? std::optional<std::string>(numberedText(command.name, *value)) : std::nullopt;
}

std::optional<CommandKind> numberedKind(std::string_view name) {
    const auto found = table().find(name);
    if (found == table().end()) {
        return std::nullopt;
    }
    return found->second.kind;
}

}  // namespace zov::sim
