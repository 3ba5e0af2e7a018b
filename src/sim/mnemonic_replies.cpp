// Replies to the mnemonic dialect ("VSET;", "VREF 2048;", "ENBL 1;" ...).
#include <cstdio>
#include <map>

#include "sim/reply_values.h"

namespace zov::sim {
namespace {

using Value = std::optional<std::string>;
using Handler = Value (*)(SupplyModel&, std::string_view argument);

// Commands that change factory data or the serial number need the matching
// access code first.
enum class Lock { None, Factory, SerialNumber };

// Most replies close with ";"; a field list closes with its last field's ",".
enum class Closing { Semicolon, LastField };

struct Entry {
    Handler handler;
    CommandKind kind;
    Lock lock = Lock::None;
    Closing closing = Closing::Semicolon;
};

constexpr CommandKind kQuery = CommandKind::Query;
constexpr CommandKind kSetting = CommandKind::Setting;

const Value kAck = std::string();

std::string text(int number) {
    return std::to_string(number);
}

// Full-scale values keep four digits: the console cuts them by position.
std::string fourDigits(int number) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d", number);
    return buffer;
}

Value ackIf(bool accepted) {
    return accepted ? kAck : std::nullopt;
}

template <Channel channel>
Value readSetpoint(SupplyModel& model, std::string_view) {
    return text(model.setpoint(channel));
}

template <Channel channel>
Value programSetpoint(SupplyModel& model, std::string_view argument) {
    const auto count = parseWholeNumber(argument);
    return ackIf(count && model.setSetpoint(channel, *count));
}

template <Monitor monitor>
Value readMonitor(SupplyModel& model, std::string_view) {
    return text(model.monitor(monitor));
}

Value enable(SupplyModel& model, std::string_view argument) {
    if (argument != "0" && argument != "1") {
        return std::nullopt;
    }
    return ackIf(model.setOutput(argument == "1"));
}

Value faultFlags(SupplyModel& model, std::string_view) {
    std::string flags;
    flags += model.takeArcFlag() ? '1' : '0';
    for (const Fault fault : {Fault::Temperature, Fault::OverVoltage, Fault::UnderVoltage,
                              Fault::OverCurrent, Fault::UnderCurrent, Fault::Watchdog}) {
        flags += model.fault(fault) ? '1' : '0';
    }
    flags += model.interlockOpen() ? '1' : '0';
    return flags;
}

Value configuration(SupplyModel& model, std::string_view) {
    const Identity& identity = model.identity();
    const FactoryData& factory = model.factory();
    std::string fields;
    for (const std::string& field :
         {identity.hardwareRevision, identity.model, fourDigits(factory.fullScaleVoltage),
          fourDigits(factory.fullScaleCurrent), text(factory.filamentPreheat),
          text(factory.rampSpeed), text(factory.arcMode), text(factory.filamentTurnOn)}) {
        fields += field + ',';
    }
    return fields;
}

// A factory value in 0..max, or a positive one when max is 0.
template <int FactoryData::*field, int max>
Value programFactoryNumber(SupplyModel& model, std::string_view argument) {
    const auto number = parseWholeNumber(argument);
    const bool valid = number && (max == 0 ? *number > 0 : *number >= 0 && *number <= max);
    if (valid) {
        model.factory().*field = *number;
    }
    return ackIf(valid);
}

template <std::string Identity::*field, std::size_t maxLength>
Value programIdentityText(SupplyModel& model, std::string_view argument) {
    const bool valid = isStorableText(argument, maxLength);
    if (valid) {
        model.identity().*field = std::string(argument);
    }
    return ackIf(valid);
}

Value programHardwareRevision(SupplyModel& model, std::string_view argument) {
    if (argument.size() != 3) {
        return std::nullopt;
    }
    return programIdentityText<&Identity::hardwareRevision, 3>(model, argument);
}

const std::map<std::string_view, Entry>& table() {
    static const std::map<std::string_view, Entry> entries{
        {"VSET", {readSetpoint<Channel::Voltage>, kQuery}},
        {"ISET", {readSetpoint<Channel::Current>, kQuery}},
        {"VREF", {programSetpoint<Channel::Voltage>, kSetting}},
        {"IREF", {programSetpoint<Channel::Current>, kSetting}},
        {"ENBL", {enable, kSetting}},
        {"STAT",
         {[](SupplyModel& m, std::string_view) -> Value { return m.outputOn() ? "1" : "0"; },
          kQuery}},
        {"FLT", {faultFlags, kQuery}},
        {"CLR",
         {[](SupplyModel& m, std::string_view) {
              m.clearFaults();
              return kAck;
          },
          kSetting}},
        {"VMON", {readMonitor<Monitor::Voltage>, kQuery}},
        {"IMON", {readMonitor<Monitor::Current>, kQuery}},
        {"FMON", {readMonitor<Monitor::Filament>, kQuery}},
        {"LVPS", {readMonitor<Monitor::AuxSupply>, kQuery}},
        {"TEMP", {readMonitor<Monitor::Temperature>, kQuery}},
        {"SLVR",
         {[](SupplyModel& m, std::string_view) -> Value {
              return fourDigits(m.factory().fullScaleVoltage);
          },
          kQuery}},
        {"SLIR",
         {[](SupplyModel& m, std::string_view) -> Value {
              return fourDigits(m.factory().fullScaleCurrent);
          },
          kQuery}},
        {"HWVR",
         {[](SupplyModel& m, std::string_view) -> Value { return m.identity().hardwareRevision; },
          kQuery}},
        {"MODR",
         {[](SupplyModel& m, std::string_view) -> Value { return m.identity().model; }, kQuery}},
        // Revision in the first eleven characters, the build after "BLD".
        {"FREV",
         {[](SupplyModel& m, std::string_view) -> Value {
              return m.identity().softwareRevision + ",BLD" + m.identity().softwareBuild + ',';
          },
          kQuery}},
        {"SOFT",
         {[](SupplyModel& m, std::string_view) -> Value { return m.identity().softwareBuild; },
          kQuery}},
        {"SNUR",
         {[](SupplyModel& m, std::string_view) -> Value { return m.identity().serialNumber; },
          kQuery}},
        {"PASS",
         {[](SupplyModel& m, std::string_view code) { return ackIf(m.unlock(code)); }, kSetting}},
        {"CONF", {configuration, kQuery, Lock::None, Closing::LastField}},
        {"HWVP", {programHardwareRevision, kSetting, Lock::Factory}},
        {"MODP", {programIdentityText<&Identity::model, 15>, kSetting, Lock::Factory}},
        {"SLVP",
         {programFactoryNumber<&FactoryData::fullScaleVoltage, 0>, kSetting, Lock::Factory}},
        {"SLIP",
         {programFactoryNumber<&FactoryData::fullScaleCurrent, 0>, kSetting, Lock::Factory}},
        {"FILP",
         {programFactoryNumber<&FactoryData::filamentPreheat, kFullScaleCount>, kSetting,
          Lock::Factory}},
        {"RAMP", {programFactoryNumber<&FactoryData::rampSpeed, 1>, kSetting, Lock::Factory}},
        {"ARCP", {programFactoryNumber<&FactoryData::arcMode, 1>, kSetting, Lock::Factory}},
        {"FTON",
         {programFactoryNumber<&FactoryData::filamentTurnOn, kFullScaleCount>, kSetting,
          Lock::Factory}},
        {"SNUS", {programIdentityText<&Identity::serialNumber, 31>, kSetting, Lock::SerialNumber}},
        {"WDTE",
         {[](SupplyModel& m, std::string_view on) -> Value {
              if (on != "0" && on != "1") {
                  return std::nullopt;
              }
              m.setWatchdogEnabled(on == "1");
              return kAck;
          },
          kSetting}},
        {"WDTT",
         {[](SupplyModel& m, std::string_view) {
              m.keepAlive();
              return kAck;
          },
          kSetting}},
        {"BAUD",
         {[](SupplyModel& m, std::string_view code) -> Value {
              if (code != "1" && code != "2") {
                  return std::nullopt;
              }
              m.setBaudRate(code == "1" ? 115200 : 9600);
              return kAck;
          },
          kSetting}},
    };
    return entries;
}

bool unlocked(const SupplyModel& model, Lock lock) {
    switch (lock) {
        case Lock::Factory:
            return model.factoryUnlocked();
        case Lock::SerialNumber:
            return model.serialNumberUnlocked();
        case Lock::None:
            break;
    }
    return true;
}

}  // namespace

std::optional<std::string> mnemonicReply(SupplyModel& model, const Command& command) {
    const auto found = table().find(command.name);
    if (found == table().end() || !unlocked(model, found->second.lock)) {
        return std::nullopt;
    }
    const Entry& entry = found->second;
    const Value value = entry.handler(model, command.arg(0));
    if (!value || entry.closing == Closing::LastField) {
        return value;
    }
    return *value + ';';
}

std::optional<CommandKind> mnemonicKind(std::string_view name) {
    const auto found = table().find(name);
    if (found == table().end()) {
        return std::nullopt;
    }
    return found->second.kind;
}

}  // namespace zov::sim
