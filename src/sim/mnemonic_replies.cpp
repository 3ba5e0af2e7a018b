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

struct Entry {
    Handler handler;
    Lock lock = Lock::None;
};

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

// Stored texts must not carry the reply's own separators.
bool isStorableText(std::string_view argument, std::size_t maxLength) {
    return !argument.empty() && argument.size() <= maxLength &&
           argument.find_first_of(",;") == std::string_view::npos;
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
        {"VSET", {readSetpoint<Channel::Voltage>}},
        {"ISET", {readSetpoint<Channel::Current>}},
        {"VREF", {programSetpoint<Channel::Voltage>}},
        {"IREF", {programSetpoint<Channel::Current>}},
        {"ENBL", {enable}},
        {"STAT",
         {[](SupplyModel& m, std::string_view) -> Value { return m.outputOn() ? "1" : "0"; }}},
        {"FLT", {faultFlags}},
        {"CLR", {[](SupplyModel& m, std::string_view) {
             m.clearFaults();
             return kAck;
         }}},
        {"VMON", {readMonitor<Monitor::Voltage>}},
        {"IMON", {readMonitor<Monitor::Current>}},
        {"FMON", {readMonitor<Monitor::Filament>}},
        {"LVPS", {readMonitor<Monitor::AuxSupply>}},
        {"TEMP", {readMonitor<Monitor::Temperature>}},
        {"SLVR", {[](SupplyModel& m, std::string_view) -> Value {
             return fourDigits(m.factory().fullScaleVoltage);
         }}},
        {"SLIR", {[](SupplyModel& m, std::string_view) -> Value {
             return fourDigits(m.factory().fullScaleCurrent);
         }}},
        {"HWVR",
         {[](SupplyModel& m, std::string_view) -> Value { return m.identity().hardwareRevision; }}},
        {"MODR", {[](SupplyModel& m, std::string_view) -> Value { return m.identity().model; }}},
        // Revision in the first eleven characters, the build after "BLD".
        {"FREV", {[](SupplyModel& m, std::string_view) -> Value {
             return m.identity().softwareRevision + ",BLD" + m.identity().softwareBuild + ',';
         }}},
        {"SOFT",
         {[](SupplyModel& m, std::string_view) -> Value { return m.identity().softwareBuild; }}},
        {"SNUR",
         {[](SupplyModel& m, std::string_view) -> Value { return m.identity().serialNumber; }}},
        {"PASS", {[](SupplyModel& m, std::string_view code) { return ackIf(m.unlock(code)); }}},
        {"CONF", {configuration}},
        {"HWVP", {programHardwareRevision, Lock::Factory}},
        {"MODP", {programIdentityText<&Identity::model, 15>, Lock::Factory}},
        {"SLVP", {programFactoryNumber<&FactoryData::fullScaleVoltage, 0>, Lock::Factory}},
        {"SLIP", {programFactoryNumber<&FactoryData::fullScaleCurrent, 0>, Lock::Factory}},
        {"FILP",
         {programFactoryNumber<&FactoryData::filamentPreheat, kFullScaleCount>, Lock::Factory}},
        {"RAMP", {programFactoryNumber<&FactoryData::rampSpeed, 1>, Lock::Factory}},
        {"ARCP", {programFactoryNumber<&FactoryData::arcMode, 1>, Lock::Factory}},
        {"FTON",
         {programFactoryNumber<&FactoryData::filamentTurnOn, kFullScaleCount>, Lock::Factory}},
        {"SNUS", {programIdentityText<&Identity::serialNumber, 31>, Lock::SerialNumber}},
        {"WDTE", {[](SupplyModel& m, std::string_view on) -> Value {
             if (on != "0" && on != "1") {
                 return std::nullopt;
             }
             m.setWatchdogEnabled(on == "1");
             return kAck;
         }}},
        {"WDTT", {[](SupplyModel& m, std::string_view) {
             m.keepAlive();
             return kAck;
         }}},
        {"BAUD", {[](SupplyModel& m, std::string_view code) -> Value {
             if (code != "1" && code != "2") {
                 return std::nullopt;
             }
             m.setBaudRate(code == "1" ? 115200 : 9600);
             return kAck;
         }}},
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

std::optional<std::string> mnemonicValue(SupplyModel& model, const Command& command) {
    const auto found = table().find(command.name);
    if (found == table().end() || !unlocked(model, found->second.lock)) {
        return std::nullopt;
    }
    return found->second.handler(model, command.arg(0));
}

}  // namespace zov::sim
