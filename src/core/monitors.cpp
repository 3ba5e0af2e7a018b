#include "monitors.h"

#include <cmath>

#include "core/scaling.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace zov::core {
namespace {

constexpr int kValueStart = 2;

}  // namespace

const MonitorRow& monitorRow(Monitor monitor) {
    return kMonitors[static_cast<std::size_t>(monitor)];
}

MonitorOutcome monitorOutcome(const MonitorRow& row, std::string_view reply,
                              const MainState& state) {
    if (reply.empty()) {
        return NoMonitorReply{};
    }
    auto raw = protocol::cutUntil(reply, kValueStart, ';');
    if (!raw) {
        return UnreadableMonitor{};
    }
    const auto count = protocol::parseNumber(*raw);
    const auto factor = row.scale != nullptr ? unitScale(state, row.scale) : row.fixedFactor;
    const double value = count ? (*count - row.offset) * factor.value_or(1.0) / row.divisor : 0.0;
    if (!count || !std::isfinite(value)) {
        return MonitorText{std::move(*raw)};
    }
    if (!factor) {
        return MonitorUnscaled{std::move(*raw)};
    }
    const std::string number = protocol::formatPattern(value, row.pattern);
    return MonitorReading{std::move(*raw), number + row.suffix,
                          protocol::parseNumber(number).value_or(value)};
}

}  // namespace zov::core
