#include "setpoint_channel.h"

#include <cmath>

#include "core/scaling.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace zov::core {

const SetpointChannel& setpointChannel(Channel channel) {
    return kSetpointChannels[static_cast<std::size_t>(channel)];
}

double scaleOf(const SetpointChannel& row, const MainState& state) {
    return row.scaleFactor != nullptr ? state.*row.scaleFactor : row.fixedScale;
}

std::optional<double> shownScaleOf(const SetpointChannel& row, const MainState& state) {
    if (row.scaleFactor == nullptr) {
        return row.fixedScale;
    }
    return unitScale(state, row.scaleFactor);
}

std::optional<SetpointReading> readingFrom(const SetpointChannel& row, std::string_view reply,
                                           std::optional<double> scale) {
    if (!protocol::echoesCommand(reply, row.readCommand)) {
        return std::nullopt;
    }
    auto raw = protocol::cutUntil(reply, row.valueStart, row.delimiter);
    if (!raw) {
        return std::nullopt;
    }
    const auto count = protocol::parseNumber(*raw);
    // A value too long for a double reads as infinite; it is no count.
    if (!count || !std::isfinite(*count * scale.value_or(1.0))) {
        return std::nullopt;
    }
    if (!scale) {
        return SetpointReading{std::move(*raw), kNoScaleText};
    }
    return SetpointReading{std::move(*raw),
                           protocol::formatPattern(*count * *scale, row.pattern) + row.suffix};
}

}  // namespace zov::core
