// The supply events kept for the trend view as markers on its time axis, in
// the lane an operator looks for them: X-ray on/off, faults, interlock, arcs,
// and the rest of the session (links, setpoints, seasoning steps, errors).
// Bounded like the readings: a flapping interlock cannot grow it.
#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <vector>

#include "core/session_events.h"

namespace zov::records {

enum class MarkerLane { XrayOn, XrayOff, Fault, Interlock, Arc, Session };
inline constexpr int kMarkerLanes = 6;

struct Marker {
    std::int64_t timeMs;
    core::SupplyEvent kind;
    MarkerLane lane;
    QString detail;
};

// Which lane an event goes in: an X-ray request or acknowledgement whose
// detail says OFF is an "off" marker, any other is "on".
[[nodiscard]] MarkerLane laneOf(core::SupplyEvent kind, const QString& detail);

class MarkerLog {
public:
    explicit MarkerLog(std::size_t capacity);

    // Times are kept non-decreasing as in TrendSeries; the detail is cut to
    // kMaxDetail characters.
    void append(std::int64_t timeMs, core::SupplyEvent kind, const QString& detail);

    [[nodiscard]] std::size_t size() const { return markers_.size(); }
    [[nodiscard]] std::size_t capacity() const { return capacity_; }
    [[nodiscard]] bool empty() const { return markers_.empty(); }
    [[nodiscard]] const Marker& at(std::size_t i) const { return markers_[i]; }
    [[nodiscard]] std::size_t lowerBound(std::int64_t timeMs) const;
    [[nodiscard]] std::size_t upperBound(std::int64_t timeMs) const;

    // The markers of `lane` in [fromMs, toMs], at most one per bucket (the
    // first), for drawing; a flood of arcs stays a row of dots.
    [[nodiscard]] std::vector<std::size_t> visible(MarkerLane lane, std::int64_t fromMs,
                                                   std::int64_t toMs, int buckets) const;

    static constexpr int kMaxDetail = 160;

private:
    std::size_t capacity_;
    std::deque<Marker> markers_;
};

}  // namespace zov::records
