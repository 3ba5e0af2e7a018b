// The readings of one monitor kept for the trend view: a ring of compact
// points bounded by count, so a week of polling holds the last day and never
// more, and a min/max reduction of any time window to a few points per pixel
// column for display, read from a min/max pyramid beside the ring so a day
// costs about what a minute does. Pure C++: no Qt, no widgets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "records/trend_pyramid.h"

namespace zov::records {

// A point as the trend view takes it: milliseconds on the console's steady
// clock and the value the panel showed.
struct TrendPoint {
    std::int64_t timeMs;
    float value;
};

class TrendSeries {
public:
    // Holds at most `capacity` points; the oldest go first.
    explicit TrendSeries(std::size_t capacity);
    // The points [first, end) of `source`, held in a ring just that large.
    TrendSeries(const TrendSeries& source, std::size_t first, std::size_t end);

    // Times are taken as non-decreasing: a time before the newest point is
    // kept as the newest point's time, so the series stays in order.
    void append(std::int64_t timeMs, float value);
    void clear();

    [[nodiscard]] std::size_t size() const { return count_; }
    [[nodiscard]] std::size_t capacity() const { return capacity_; }
    [[nodiscard]] bool empty() const { return count_ == 0; }
    // i = 0 is the oldest kept point.
    [[nodiscard]] TrendPoint at(std::size_t i) const;
    [[nodiscard]] TrendPoint oldest() const { return at(0); }
    [[nodiscard]] TrendPoint newest() const { return at(count_ - 1); }
    // Index of the first point at or after timeMs (size() when none).
    [[nodiscard]] std::size_t lowerBound(std::int64_t timeMs) const;
    // Index of the first point after timeMs (size() when none).
    [[nodiscard]] std::size_t upperBound(std::int64_t timeMs) const;

    // The points of [fromMs, toMs] reduced to at most two per bucket (the
    // bucket's lowest and highest, the earliest of equals, in time order) for
    // `buckets` equal time buckets, plus the nearest point outside each end so
    // a line reaches the edges. A window with few points comes back whole.
    // Costs about buckets * log(size()), however many points the window holds.
    [[nodiscard]] std::vector<TrendPoint> decimated(std::int64_t fromMs, std::int64_t toMs,
                                                    int buckets) const;

    // Bytes held by the points and their pyramid (allocated, whether filled or not).
    [[nodiscard]] std::size_t bytesHeld() const {
        return ring_.capacity() * sizeof(PackedPoint) + pyramid_.bytesHeld();
    }

private:
    // Points further apart than this cannot share a base; older ones go.
    static constexpr std::int64_t kMaxSpanMs = std::int64_t{1} << 31;

    // Without a division: both parts are below the capacity.
    [[nodiscard]] std::size_t slot(std::size_t i) const {
        const std::size_t s = head_ + i;
        return s < capacity_ ? s : s - capacity_;
    }
    void rebase(std::int64_t newestMs);
    void dropOldest(std::size_t n);
    // lowerBound(timeMs) for a time at or after that of index `from`: readings
    // come at a steady pace, so the search starts where the mean step puts
    // the time and widens from there, in a few steps near each other.
    [[nodiscard]] std::size_t lowerBoundFrom(std::size_t from, std::int64_t timeMs) const;
    // The first index in [low, high) whose time is not before timeMs, by
    // bisection (high when there is none).
    [[nodiscard]] std::size_t firstNotBefore(std::size_t low, std::size_t high,
                                             std::int64_t timeMs) const;
    // The lowest and highest point of the indices [first, end), the earliest of equals.
    [[nodiscard]] Extremes extremes(std::size_t first, std::size_t end) const;
    [[nodiscard]] TrendPoint pointIn(std::size_t slot) const;

    std::size_t capacity_;
    std::vector<PackedPoint> ring_;
    MinMaxPyramid pyramid_;
    std::size_t head_ = 0;  // slot of the oldest point
    std::size_t count_ = 0;
    std::int64_t baseMs_ = 0;
};

}  // namespace zov::records
