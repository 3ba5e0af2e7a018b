#include "factory_data.h"

#include <cmath>

#include "core/reply_fields.h"
#include "core/scaling.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace zov::core {
namespace {

constexpr int kValueStart = 2;
constexpr std::size_t kConfigurationFields = 8;
// The voltage field is in hundredths of a kV, the current field in
// thousandths of a mA.
constexpr double kVoltageFieldUnitsPerKv = 100.0;
constexpr char kFullScaleVoltagePattern[] = "#0.00";
constexpr double kCurrentFieldUnitsPerMa = 1000.0;
constexpr char kFullScaleCurrentPattern[] = "0.000";
constexpr char kTurnOnPattern[] = "#0.00";

using protocol::parseNumber;
using protocol::plainNumber;

std::string numberCommand(std::string_view mnemonic, double value) {
    return textCommand(mnemonic, plainNumber(value));
}

}  // namespace

std::optional<std::string> fullScaleVoltageText(std::string_view field) {
    const auto value = parseNumber(field);
    if (!value) {
        return std::nullopt;
    }
    // Written from the value rather than by putting a point into the digits:
    // "999" is 9.99 kV, not "99.9", and "08000" or "+8000" are 80.00 kV too.
    return protocol::formatPattern(*value / kVoltageFieldUnitsPerKv, kFullScaleVoltagePattern);
}

std::optional<std::string> fullScaleCurrentText(std::string_view field) {
    const auto value = parseNumber(field);
    if (!value) {
        return std::nullopt;
    }
    return protocol::formatPattern(*value / kCurrentFieldUnitsPerMa, kFullScaleCurrentPattern);
}

Configuration configurationFrom(std::string_view reply) {
    const std::vector<std::string> fields = commaFields(reply, kValueStart, kConfigurationFields);
    Configuration taken;
    auto& shown = taken.shown;
    const auto has = [&fields](std::size_t number) { return fields.size() >= number; };

    if (!has(1)) {
        return taken;
    }
    shown.emplace_back(FactoryField::HardwareRevision, fields[0]);
    if (!has(2)) {
        return taken;
    }
    shown.emplace_back(FactoryField::Model, fields[1]);
    const auto kv = has(3) ? fullScaleVoltageText(fields[2]) : std::nullopt;
    if (!kv) {
        return taken;
    }
    taken.kvVoltage = kv;
    const auto ma = has(4) ? fullScaleCurrentText(fields[3]) : std::nullopt;
    if (!ma) {
        return taken;
    }
    shown.emplace_back(FactoryField::Scaling, *kv + ',' + *ma);
    const auto preheat = has(5) ? parseNumber(fields[4]) : std::nullopt;
    if (!preheat) {
        return taken;
    }
    shown.emplace_back(FactoryField::Preheat,
                       plainNumber(*preheat * kPreheatFullScaleAmps / kFullScaleCounts));
    if (!has(6)) {
        return taken;
    }
    shown.emplace_back(FactoryField::RampRate, fields[5]);
    if (!has(7)) {
        return taken;
    }
    shown.emplace_back(FactoryField::Arc, fields[6]);
    const auto turnOn = has(8) ? parseNumber(fields[7]) : std::nullopt;
    const auto fullScale = parseNumber(*kv);
    if (turnOn && fullScale) {
        const double volts = *turnOn * *fullScale / kFullScaleCounts;
        if (std::isfinite(volts)) {
            shown.emplace_back(FactoryField::FilamentTurnOn,
                               protocol::formatPattern(volts, kTurnOnPattern));
        }
    }
    return taken;
}

std::string textCommand(std::string_view mnemonic, std::string_view entry) {
    std::string command(mnemonic);
    command += ' ';
    command += entry;
    command += ';';
    return command;
}

ScalingEntry scalingFrom(std::string_view entry) {
    ScalingEntry scaling;
    const auto comma = entry.find(',');
    if (comma == std::string_view::npos) {
        return scaling;
    }
    scaling.kvVoltage = std::string(entry.substr(0, comma));
    const auto kv = parseNumber(*scaling.kvVoltage);
    const auto ma = parseNumber(entry.substr(comma + 1));
    if (!kv || !ma) {
        return scaling;
    }
    const double voltage = *kv * kVoltageScaleUnitsPerKv;
    const double current = *ma * kCurrentScaleUnitsPerMa;
    if (std::isfinite(voltage) && std::isfinite(current)) {
        scaling.commands.emplace(numberCommand("SLVP", voltage), numberCommand("SLIP", current));
    }
    return scaling;
}

bool fitsConverter(double counts) {
    return counts >= 0.0 && counts <= kFullScaleCounts;
}

Preheat preheatCommand(std::string_view entry) {
    const auto amps = parseNumber(entry);
    if (!amps) {
        return {};
    }
    // + 0.0: "-0" is sent as 0.
    const double counts = std::floor(*amps * kFullScaleCounts / kPreheatFullScaleAmps) + 0.0;
    if (!fitsConverter(counts)) {
        return {std::nullopt, true};
    }
    return {numberCommand("FILP", counts), false};
}

TurnOn turnOnCommand(std::string_view entry, double kvScaleFactor, std::string_view kvVoltage) {
    double fullScaleKv = 0.0;
    if (kvScaleFactor > 0.0) {
        fullScaleKv = kvScaleFactor * kFullScaleCounts;
    } else if (const auto known = parseNumber(kvVoltage); known && *known > 0.0) {
        fullScaleKv = *known;
    } else {
        return {std::nullopt, true};
    }
    const auto kv = parseNumber(entry);
    if (!kv) {
        return {};
    }
    const auto counts = protocol::roundHalfEvenToInt16(*kv * kFullScaleCounts / fullScaleKv);
    if (!counts || !fitsConverter(*counts)) {
        return {std::nullopt, false, true, fullScaleKv};
    }
    return {textCommand("FTON", std::to_string(*counts)), false, false, fullScaleKv};
}

}  // namespace zov::core
