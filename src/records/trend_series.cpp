#include "trend_series.h"

#include <algorithm>

namespace zov::records {

TrendSeries::TrendSeries(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void TrendSeries::append(std::int64_t timeMs, float value) {
    if (count_ == 0) {
        baseMs_ = timeMs;
    } else {
        timeMs = std::max(timeMs, newest().timeMs);
    }
    if (timeMs - baseMs_ > std::int64_t{UINT32_MAX}) {
        rebase(timeMs);
    }
    const Packed packed{static_cast<std::uint32_t>(timeMs - baseMs_), value};
    if (count_ < capacity_) {
        // The ring grows as readings come, up to its capacity, so an idle
        // console holds nothing.
        if (ring_.size() < capacity_) {
            if (ring_.size() == ring_.capacity()) {
                ring_.reserve(std::min(capacity_, std::max<std::size_t>(1024, ring_.size() * 2)));
            }
            ring_.push_back(packed);
        } else {
            ring_[slot(count_)] = packed;
        }
        ++count_;
    } else {
        ring_[head_] = packed;
        head_ = (head_ + 1) % capacity_;
    }
}

void TrendSeries::clear() {
    ring_.clear();
    head_ = 0;
    count_ = 0;
}

TrendPoint TrendSeries::at(std::size_t i) const {
    const Packed& p = ring_[slot(i)];
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
    std::size_t low = 0;
    std::size_t high = count_;
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
        const std::int64_t span = toMs - fromMs;
        std::int64_t bucket = -1;
        TrendPoint low{};
        TrendPoint high{};
        const auto flush = [&] {
            if (bucket < 0) {
                return;
            }
            const bool lowFirst = low.timeMs <= high.timeMs;
            out.push_back(lowFirst ? low : high);
            if (low.timeMs != high.timeMs || low.value != high.value) {
                out.push_back(lowFirst ? high : low);
            }
        };
        for (std::size_t i = first; i < end; ++i) {
            const TrendPoint p = at(i);
            const std::int64_t b =
                std::min<std::int64_t>(buckets - 1, (p.timeMs - fromMs) * buckets / span);
            if (b != bucket) {
                flush();
                bucket = b;
                low = p;
                high = p;
            } else if (p.value < low.value) {
                low = p;
            } else if (p.value > high.value) {
                high = p;
            }
        }
        flush();
    }
    if (end < count_) {
        out.push_back(at(end));
    }
    return out;
}

}  // namespace zov::records
