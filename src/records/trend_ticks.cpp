#include "trend_ticks.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <cmath>

namespace zov::records {
namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::array<std::int64_t, 17> kTimeSteps{
    kSecond, 2 * kSecond, 5 * kSecond, 10 * kSecond, 15 * kSecond, 30 * kSecond,
    kMinute, 2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute,
    kHour,   2 * kHour,   3 * kHour,   6 * kHour,    12 * kHour};
// Longer than this, a span may hold the same time of day twice: its labels
// carry the date.
constexpr std::int64_t kSpanWithDates = 20 * kHour;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

int decimalsOf(double step) {
    for (int decimals = 0; decimals < 6; ++decimals) {
        const double scaled = step * std::pow(10.0, decimals);
        if (std::abs(scaled - std::round(scaled)) < 1e-6 * scaled) {
            return decimals;
        }
    }
    return 6;
}

}  // namespace

TimeTicks timeTicks(std::int64_t fromWallMs, std::int64_t toWallMs, int maxTicks,
                    int utcOffsetSeconds) {
    TimeTicks ticks;
    if (toWallMs <= fromWallMs) {
        return ticks;
    }
    const std::int64_t span = toWallMs - fromWallMs;
    const auto fits = [&](std::int64_t step) { return span / step + 1 <= maxTicks; };
    const auto chosen = std::find_if(kTimeSteps.begin(), kTimeSteps.end(), fits);
    ticks.stepMs = chosen == kTimeSteps.end() ? kTimeSteps.back() : *chosen;
    const QString format = ticks.stepMs < kMinute  ? QStringLiteral("hh:mm:ss")
                           : span > kSpanWithDates ? QStringLiteral("dd.MM hh:mm")
                                                   : QStringLiteral("hh:mm");
    // Counted on the local clock, so hours fall on the local hour in any zone.
    const std::int64_t offsetMs = std::int64_t{utcOffsetSeconds} * 1000;
    const std::int64_t first =
        (floorDiv(fromWallMs + offsetMs - 1, ticks.stepMs) + 1) * ticks.stepMs - offsetMs;
    for (std::int64_t at = first; at <= toWallMs; at += ticks.stepMs) {
        ticks.wallMs.push_back(at);
        ticks.labels << QDateTime::fromMSecsSinceEpoch(at, Qt::OffsetFromUTC, utcOffsetSeconds)
                            .toString(format);
    }
    return ticks;
}

ValueScale valueScale(double low, double high, int intervals) {
    intervals = std::max(intervals, 1);
    if (!(high > low)) {
        high = low + 1;
    }
    double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / intervals)));
    for (;;) {
        for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
            const double step = factor * magnitude;
            const double min = std::floor(low / step) * step;
            const double max = std::max(std::ceil(high / step) * step, min + step);
            const auto steps = int(std::lround((max - min) / step));
            if (steps <= intervals) {
                return {min, max, step, steps + 1, decimalsOf(step)};
            }
        }
        magnitude *= 10;
    }
}

}  // namespace zov::records
