#include "scaling.h"

#include <cmath>

#include "app/main_window.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace zov::supply {
namespace {

constexpr int kValueStart = 2;
// A one- or two-character value is not a full scale: the ";" is searched from here.
constexpr int kDelimiterSearchStart = 5;

struct ScaleRead {
    const char* command;
    double unitsPerUnit;
    double app::MainState::*factor;
    bool app::MainState::*read;
};
constexpr ScaleRead kVoltageScale{"SLVR ;", kVoltageScaleUnitsPerKv, &app::MainState::KvScaleFactor,
                                  &app::MainState::KvScaleRead};
constexpr ScaleRead kCurrentScale{"SLIR ;", kCurrentScaleUnitsPerMa, &app::MainState::mAScaleFactor,
                                  &app::MainState::mAScaleRead};

const ScaleRead* scaleReadOf(double app::MainState::*factor) {
    if (factor == kVoltageScale.factor) {
        return &kVoltageScale;
    }
    if (factor == kCurrentScale.factor) {
        return &kCurrentScale;
    }
    return nullptr;
}

// False when the pass has to end here.
bool readScale(app::CommandExchange& exchange, const ScaleRead& scale, app::MainState& state) {
    exchange.outputOutputString(QByteArray(scale.command));
    const QByteArray reply = exchange.inputInputString();
    if (reply.isEmpty()) {
        return true;
    }
    const auto fullScale = fullScaleFrom(app::textOf(reply));
    if (!fullScale) {
        return false;
    }
    if (const auto read = scaleFactorFor(*fullScale, scale.unitsPerUnit)) {
        state.*scale.factor = *read;
        state.*scale.read = true;
    }
    return true;
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

void getScaling(app::MainWindow& window) {
    app::CommandExchange& exchange = window.exchange();
    app::MainState& state = window.state();
    const double kvBefore = state.KvScaleFactor;
    const double maBefore = state.mAScaleFactor;
    exchange.suspendBackgroundTimers();
    if (readScale(exchange, kVoltageScale, state)) {
        readScale(exchange, kCurrentScale, state);
    }
    exchange.resumeBackgroundTimers();
    if (state.KvScaleFactor != kvBefore || state.mAScaleFactor != maBefore) {
        emit window.scaleFactorsChanged();
    }
}

std::optional<double> unitScale(const app::MainState& state, double app::MainState::*factor) {
    const ScaleRead* scale = scaleReadOf(factor);
    if (scale == nullptr || !(state.*scale->read)) {
        return std::nullopt;
    }
    return state.*factor;
}

void readScaleIfMissing(app::MainWindow& window, double app::MainState::*factor) {
    app::MainState& state = window.state();
    const ScaleRead* scale = scaleReadOf(factor);
    if (scale == nullptr || state.*scale->read) {
        return;
    }
    const double before = state.*factor;
    readScale(window.exchange(), *scale, state);
    if (state.*factor != before) {
        emit window.scaleFactorsChanged();
    }
}

void forgetUnitScales(app::MainState& state) {
    state.KvScaleRead = false;
    state.mAScaleRead = false;
}

}  // namespace zov::supply
