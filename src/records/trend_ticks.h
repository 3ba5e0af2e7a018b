// Where the trend panes put their ticks. Time at round steps of the clock
// (1, 2, 5, 10, 15, 30 s; 1, 2, 5, 10, 15, 30 min; 1, 2, 3, 6, 12 h) counted
// in local time, so "10:15" means 10:15:00.000, labelled with what the step
// needs; values at 1, 2, 2.5 or 5 times a power of ten, so a pane reads
// 0, 0.25, 0.5 ... and never 0.3333.
#pragma once

#include <QStringList>
#include <cstdint>
#include <vector>

namespace zov::records {

struct TimeTicks {
    std::int64_t stepMs = 0;
    std::vector<std::int64_t> wallMs;  // each tick, milliseconds since the epoch
    QStringList labels;                // one a tick, all different
};

// At most `maxTicks` ticks (at least one step's worth) in [fromWallMs,
// toWallMs]; `utcOffsetSeconds` is the local time's offset from UTC.
[[nodiscard]] TimeTicks timeTicks(std::int64_t fromWallMs, std::int64_t toWallMs, int maxTicks,
                                  int utcOffsetSeconds);

struct ValueScale {
    double min;
    double max;
    double step;
    int ticks;     // min and max included
    int decimals;  // shows every tick exactly
};

// Round bounds around [low, high] with at most `intervals` steps between them.
[[nodiscard]] ValueScale valueScale(double low, double high, int intervals);

}  // namespace zov::records
