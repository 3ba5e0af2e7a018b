#include "trend_series.h"

#include <algorithm>

namespace zov::records {

TrendSeries::TrendSeries(std::size_t capacity)
    : capacity_(std::max<std::size_t>(capacity, 1)), pyramid_(capacity_) {}

TrendSeries::TrendSeries(const TrendSeries& source, std::size_t first, std::size_t end)
    : TrendSeries(end - first) {
    // Copied as stored and summed up in one pass, not point by point.
    ring_.reserve(end - first);
    for (std::size_t i = first; i < end; ++i) {
        ring_.push_back(source.ring_[source.slot(i)]);
    }
    count_ = ring_.size();
    baseMs_ = source.baseMs_;
    pyramid_.rebuild(ring_);
}

void TrendSeries::append(std::int64_t timeMs, float value) {
    if (count_ == 0) {
        baseMs_ = timeMs;
    } else {
        timeMs = std::max(timeMs, newest().timeMs);
    }
    if (timeMs - baseMs_ > std::int64_t{UINT32_MAX}) {
        rebase(timeMs);
    }
    const PackedPoint packed{static_cast<std::uint32_t>(timeMs - baseMs_), value};
    std::size_t written = head_;
    if (count_ < capacity_) {
        written = slot(count_);
        if (ring_.size() < capacity_) {
            // Reserved whole, not touched: the system gives the pages as the
            // readings fill them, so an idle console holds nothing, and the
            // ring is never copied to grow (nor leaves the copies behind).
            ring_.reserve(capacity_);
            ring_.push_back(packed);
        } else {
            ring_[written] = packed;
        }
        ++count_;
    } else {
        ring_[head_] = packed;
        head_ = (head_ + 1) % capacity_;
    }
    pyramid_.update(ring_, written);
}

void TrendSeries::clear() {
    ring_.clear();
    pyramid_.clear();
    head_ = 0;
    count_ = 0;
}

TrendPoint TrendSeries::at(std::size_t i) const {
    return pointIn(slot(i));
}

TrendPoint TrendSeries::pointIn(std::size_t slot) const {
    const PackedPoint& p = ring_[slot];
    return {baseMs_ + p.offsetMs, p.value};
}

void TrendSeries::dropOldest(std::size_t n) {
    n = std::min(n, count_);
    head_ = (head_ + n) % capacity_;
    count_ -= n;
}

void TrendSeries::rebase(std::int64_t newestMs) {
    // Readings months apart: what is older than the span goes, the rest is
    // counted from the oldest one left.
    dropOldest(lowerBound(newestMs - kMaxSpanMs));
    const std::int64_t newBase = count_ > 0 ? oldest().timeMs : newestMs;
    const auto shift = static_cast<std::uint32_t>(newBase - baseMs_);
    for (std::size_t i = 0; i < count_; ++i) {
        ring_[slot(i)].offsetMs -= shift;
    }
    baseMs_ = newBase;
}

std::size_t TrendSeries::lowerBound(std::int64_t timeMs) const {
    return firstNotBefore(0, count_, timeMs);
}

std::size_t TrendSeries::firstNotBefore(std::size_t low, std::size_t high,
                                        std::int64_t timeMs) const {
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (at(mid).timeMs < timeMs) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

std::size_t TrendSeries::upperBound(std::int64_t timeMs) const {
    std::size_t low = 0;
    std::size_t high = count_;
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (at(mid).timeMs <= timeMs) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

std::size_t TrendSeries::lowerBoundFrom(std::size_t from, std::int64_t timeMs) const {
    if (from >= count_ || at(from).timeMs >= timeMs) {
        return from;
    }
    // Everything before `low` is earlier than timeMs; `high` is not, or the end.
    std::size_t low = from + 1;
    std::size_t high = count_;
    const std::int64_t kept = std::max<std::int64_t>(newest().timeMs - oldest().timeMs, 1);
    const auto ahead = static_cast<std::size_t>((timeMs - at(from).timeMs) *
                                                static_cast<std::int64_t>(count_ - 1) / kept);
    std::size_t probe = std::min(from + std::max<std::size_t>(ahead, 1), count_ - 1);
    std::size_t step = 1;
    if (at(probe).timeMs < timeMs) {
        while (probe < count_ && at(probe).timeMs < timeMs) {
            low = probe + 1;
            probe = low + step;
            step *= 2;
        }
        high = std::min(probe, count_);
    } else {
        high = probe;
        while (high - low > step && at(high - step).timeMs >= timeMs) {
            high -= step;
            step *= 2;
        }
        low = std::max(low, high > step ? high - step : low);
    }
    return firstNotBefore(low, high, timeMs);
}

Extremes TrendSeries::extremes(std::size_t first, std::size_t end) const {
    // The indices are one run of slots, or two where the ring wraps.
    Extremes found;
    const std::size_t from = slot(first);
    const std::size_t length = end - first;
    const std::size_t beforeWrap = std::min(length, capacity_ - from);
    pyramid_.scan(ring_, from, from + beforeWrap, found);
    pyramid_.scan(ring_, 0, length - beforeWrap, found);
    return found;
}

std::vector<TrendPoint> TrendSeries::decimated(std::int64_t fromMs, std::int64_t toMs,
                                               int buckets) const {
    std::vector<TrendPoint> out;
    if (count_ == 0 || buckets <= 0 || toMs <= fromMs) {
        return out;
    }
    const std::size_t first = lowerBound(fromMs);
    const std::size_t end = upperBound(toMs);
    const std::size_t inside = end - first;
    const auto perBucket = static_cast<std::size_t>(buckets) * 2;
    out.reserve(std::min(inside, perBucket) + 2);
    if (first > 0) {
        out.push_back(at(first - 1));
    }
    if (inside <= perBucket) {
        for (std::size_t i = first; i < end; ++i) {
            out.push_back(at(i));
        }
    } else {
        // Bucket b holds the times t with (t - fromMs) * buckets / span >= b
        // (the last one also toMs itself): it starts at the first point at or
        // after fromMs + ceil(b * span / buckets).
        const std::int64_t span = toMs - fromMs;
        std::size_t bucketStart = first;
        for (std::int64_t b = 1; b <= buckets; ++b) {
            const std::size_t bucketEnd =
                b == buckets
                    ? end
                    : lowerBoundFrom(bucketStart, fromMs + (b * span + buckets - 1) / buckets);
            if (bucketEnd > bucketStart) {
                const Extremes e = extremes(bucketStart, bucketEnd);
                const TrendPoint low = pointIn(e.low);
                const TrendPoint high = pointIn(e.high);
                const bool lowFirst = (e.low + capacity_ - head_) % capacity_ <=
                                      (e.high + capacity_ - head_) % capacity_;
                out.push_back(lowFirst ? low : high);
                if (e.low != e.high) {
                    out.push_back(lowFirst ? high : low);
                }
            }
            bucketStart = std::max(bucketStart, bucketEnd);
        }
    }
    if (end < count_) {
        out.push_back(at(end));
    }
    return out;
}

}  // namespace zov::records
