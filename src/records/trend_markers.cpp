#include "trend_markers.h"

#include <QRegularExpression>
#include <algorithm>

namespace zov::records {

using core::SupplyEvent;

MarkerLane laneOf(SupplyEvent kind, const QString& detail) {
    static const QRegularExpression off(QStringLiteral("\\bOFF\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto xrayLane = [&] {
        return off.match(detail).hasMatch() ? MarkerLane::XrayOff : MarkerLane::XrayOn;
    };
    switch (kind) {
        case SupplyEvent::XrayRequested:
        case SupplyEvent::XrayAcknowledged:
            return xrayLane();
        case SupplyEvent::StatusChanged:
            // The output as the unit reports it ("X-RAY ON"), whoever switched it.
            return detail.startsWith(QStringLiteral("X-RAY")) ? xrayLane() : MarkerLane::Session;
        case SupplyEvent::FaultChanged:
            return MarkerLane::Fault;
        case SupplyEvent::InterlockChanged:
            return MarkerLane::Interlock;
        case SupplyEvent::ArcCounted:
            return MarkerLane::Arc;
        default:
            return MarkerLane::Session;
    }
}

MarkerLog::MarkerLog(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void MarkerLog::append(std::int64_t timeMs, SupplyEvent kind, const QString& detail) {
    if (!markers_.empty()) {
        timeMs = std::max(timeMs, markers_.back().timeMs);
    }
    if (markers_.size() == capacity_) {
        markers_.pop_front();
    }
    markers_.push_back({timeMs, kind, laneOf(kind, detail), detail.left(kMaxDetail)});
}

std::size_t MarkerLog::lowerBound(std::int64_t timeMs) const {
    return static_cast<std::size_t>(
        std::lower_bound(markers_.begin(), markers_.end(), timeMs,
                         [](const Marker& m, std::int64_t t) { return m.timeMs < t; }) -
        markers_.begin());
}

std::size_t MarkerLog::upperBound(std::int64_t timeMs) const {
    return static_cast<std::size_t>(
        std::upper_bound(markers_.begin(), markers_.end(), timeMs,
                         [](std::int64_t t, const Marker& m) { return t < m.timeMs; }) -
        markers_.begin());
}

std::vector<std::size_t> MarkerLog::visible(MarkerLane lane, std::int64_t fromMs, std::int64_t toMs,
                                            int buckets) const {
    std::vector<std::size_t> out;
    if (buckets <= 0 || toMs <= fromMs) {
        return out;
    }
    const std::int64_t span = toMs - fromMs;
    std::int64_t last = -1;
    for (std::size_t i = lowerBound(fromMs), end = upperBound(toMs); i < end; ++i) {
        const Marker& m = markers_[i];
        if (m.lane != lane) {
            continue;
        }
        const std::int64_t b =
            std::min<std::int64_t>(buckets - 1, (m.timeMs - fromMs) * buckets / span);
        if (b != last) {
            out.push_back(i);
            last = b;
        }
    }
    return out;
}

}  // namespace zov::records
