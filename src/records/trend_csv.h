// The trend data as CSV: one line per reading and per event, in time order,
// with ISO timestamps. A snapshot is taken on the window's thread and written
// on any thread, so a day of readings never holds the console up.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "records/trend_markers.h"
#include "records/trend_series.h"

namespace zov::records {

class TrendStore;

struct TrendSnapshot {
    std::vector<TrendSeries> series;  // in kTrendQuantities order
    MarkerLog markers{1};
    std::int64_t wallClockAtZeroMs = 0;
};

// The readings and events of [fromMs, toMs] as they are now.
[[nodiscard]] TrendSnapshot takeSnapshot(const TrendStore& store, std::int64_t fromMs,
                                         std::int64_t toMs);

// Local time with its offset and milliseconds: 2024-05-01T10:00:00.066+02:00.
[[nodiscard]] QString csvTimestamp(std::int64_t wallClockMs);

struct CsvOutcome {
    bool ok = false;
    std::int64_t lines = 0;  // data lines, header not counted
    QString error;           // why not, in an operator's words
};

// Writes `time,name,value,unit,detail`: readings under their variable name
// (KV_MON ...), events under their name with the detail. The file appears
// whole or not at all.
[[nodiscard]] CsvOutcome writeTrendCsv(const TrendSnapshot& snapshot, const QString& path);

}  // namespace zov::records
