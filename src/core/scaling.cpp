#include "scaling.h"

#include <algorithm>
#include <cmath>

#include "core/command_exchange.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace zov::core {
namespace {

constexpr int kValueStart = 2;
// A one- or two-character value is not a full scale: the ";" is searched from here.
constexpr int kDelimiterSearchStart = 5;

struct ScaleRead {
    const char* command;
    double unitsPerUnit;
    double MainState::*factor;
    bool MainState::*read;
};
constexpr ScaleRead kVoltageScale{"SLVR ;", kVoltageScaleUnitsPerKv, &MainState::KvScaleFactor,
                                  &MainState::KvScaleRead};
constexpr ScaleRead kCurrentScale{"SLIR ;", kCurrentScaleUnitsPerMa, &MainState::mAScaleFactor,
                                  &MainState::mAScaleRead};

const ScaleRead* scaleReadOf(double MainState::*factor) {
    if (factor == kVoltageScale.factor) {
        return &kVoltageScale;
    }
    if (factor == kCurrentScale.factor) {
        return &kCurrentScale;
    }
    return nullptr;
}

enum class ScaleAnswer { Given, NotGiven, EndOfPass };

ScaleAnswer readScale(CommandExchange& exchange, const ScaleRead& scale, MainState& state) {
    exchange.outputOutputString(QByteArray(scale.command));
    const QByteArray reply = exchange.inputInputString();
    if (reply.isEmpty()) {
        return ScaleAnswer::NotGiven;
    }
    const auto fullScale = fullScaleFrom(textOf(reply));
    if (!fullScale) {
        return ScaleAnswer::EndOfPass;
    }
    const auto read = scaleFactorFor(*fullScale, scale.unitsPerUnit);
    if (!read) {
        return ScaleAnswer::NotGiven;
    }
    state.*scale.factor = *read;
    state.*scale.read = true;
    return ScaleAnswer::Given;
}

}  // namespace

std::optional<double> fullScaleFrom(std::string_view reply) {
    const auto value = protocol::cutUntil(reply, kValueStart, ';', kDelimiterSearchStart);
    if (!value) {
        return std::nullopt;
    }
    return protocol::parseNumber(*value);
}

std::optional<double> scaleFactorFor(double fullScale, double unitsPerEngineeringUnit) {
    // Every scaled display divides by or multiplies with this factor.
    const double factor = fullScale / unitsPerEngineeringUnit / kFullScaleCounts;
    if (!(factor > 0.0) || !std::isfinite(factor)) {
        return std::nullopt;
    }
    return factor;
}

std::optional<double> unitScale(const MainState& state, double MainState::*factor) {
    const ScaleRead* scale = scaleReadOf(factor);
    if (scale == nullptr || !(state.*scale->read)) {
        return std::nullopt;
    }
    return state.*factor;
}

std::optional<std::int16_t> countWithinFullScale(double value, double scale) {
    constexpr double kMaxCount = kFullScaleCounts;
    if (!(scale > 0.0) || !(value >= 0.0)) {
        return std::nullopt;
    }
    const double counts = value / scale;
    if (!(counts <= kMaxCount + 0.5)) {
        return std::nullopt;
    }
    return protocol::roundHalfEvenToInt16(std::min(counts, kMaxCount));
}

void forgetUnitScales(MainState& state) {
    state.KvScaleRead = false;
    state.mAScaleRead = false;
}

bool readScaling(CommandExchange& exchange, MainState& state) {
    const ScaleAnswer voltage = readScale(exchange, kVoltageScale, state);
    if (voltage == ScaleAnswer::EndOfPass) {
        return false;
    }
    return readScale(exchange, kCurrentScale, state) == ScaleAnswer::Given &&
           voltage == ScaleAnswer::Given;
}

void readScaleIfMissing(CommandExchange& exchange, MainState& state, double MainState::*factor) {
    const ScaleRead* scale = scaleReadOf(factor);
    if (scale != nullptr && !(state.*scale->read)) {
        readScale(exchange, *scale, state);
    }
}

}  // namespace zov::core
