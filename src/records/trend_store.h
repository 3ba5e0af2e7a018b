// What the trend view keeps from start-up: the five monitors' readings and the
// supply events, fed by the session's announcements whether or not the window
// is open, so opening it shows the history. It never sends and never waits.
#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>

#include "core/session_events.h"
#include "records/trend_markers.h"
#include "records/trend_series.h"

namespace zov::records {

struct Quantity {
    const char* variable;  // the shared variable the reading is kept in
    const char* caption;   // as the panel names it
    const char* unit;
    const char* title;  // a pane's and its check box's
};

inline constexpr int kQuantities = 5;
inline constexpr std::array<Quantity, kQuantities> kTrendQuantities{{
    {"KV_MON", "HV Monitor", "kV", "HV Monitor (kV)"},
    {"EmMon", "MA Current", "mA", "MA Current (mA)"},
    {"Fil_I_Mon", "FIL Monitor", "A", "FIL Monitor (A)"},
    {"LVPS24", "LVPS -15 V", "V", "LVPS -15 V"},
    {"AmbTemp", "Temperature", "\u00b0C", "Temperature (\u00b0C)"},
}};

// A day of readings at the 66 ms step of the update cycle, for each monitor.
inline constexpr std::size_t kSeriesCapacity = 24 * 3600 * 1000 / 66;
inline constexpr std::size_t kMarkerCapacity = 100000;

class TrendStore : public QObject {
    Q_OBJECT
public:
    // Milliseconds on a steady clock; tests replace it.
    using Clock = std::function<std::int64_t()>;

    explicit TrendStore(QObject* parent = nullptr, std::size_t seriesCapacity = kSeriesCapacity,
                        std::size_t markerCapacity = kMarkerCapacity);

    // Listens to the session's readings and events from now on.
    void follow(const core::SessionEvents& events);
    void setClock(Clock clock, std::int64_t wallClockAtZeroMs);

    void addReading(const QString& variable, double value);
    void addEvent(core::SupplyEvent kind, const QString& detail);

    [[nodiscard]] const TrendSeries& series(int quantity) const { return series_.at(quantity); }
    [[nodiscard]] const MarkerLog& markers() const { return markers_; }
    [[nodiscard]] std::int64_t now() const { return clock_(); }
    // Milliseconds since the epoch of a time on the store's clock.
    [[nodiscard]] std::int64_t wallClockMs(std::int64_t timeMs) const {
        return wallAtZero_ + timeMs;
    }
    // The span of everything kept; {now, now} when nothing is.
    [[nodiscard]] std::int64_t oldestTime() const;
    [[nodiscard]] std::int64_t newestTime() const;
    [[nodiscard]] std::size_t bytesHeld() const;

signals:
    // Something was added; a window redraws at its own pace, not per reading.
    void appended();

private:
    std::array<TrendSeries, kQuantities> series_;
    MarkerLog markers_;
    Clock clock_;
    std::int64_t wallAtZero_ = 0;
};

}  // namespace zov::records
