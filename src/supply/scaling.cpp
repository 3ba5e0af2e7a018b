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

// False when the pass has to end here.
bool readScale(app::CommandExchange& exchange, const QByteArray& command, double unitsPerUnit,
               double& factor) {
    exchange.outputOutputString(command);
    const QByteArray reply = exchange.inputInputString();
    if (reply.isEmpty()) {
        return true;
    }
    const auto fullScale = fullScaleFrom(app::textOf(reply));
    if (!fullScale) {
        return false;
    }
    if (const auto read = scaleFactorFor(*fullScale, unitsPerUnit)) {
        factor = *read;
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
    if (readScale(exchange, QByteArrayLiteral("SLVR ;"), kVoltageScaleUnitsPerKv,
                  state.KvScaleFactor)) {
        readScale(exchange, QByteArrayLiteral("SLIR ;"), kCurrentScaleUnitsPerMa,
                  state.mAScaleFactor);
    }
    exchange.resumeBackgroundTimers();
    if (state.KvScaleFactor != kvBefore || state.mAScaleFactor != maBefore) {
        emit window.scaleFactorsChanged();
    }
}

}  // namespace zov::supply
