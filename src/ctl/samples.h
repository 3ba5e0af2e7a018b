// Readings of the supply as zovctl prints them: a name, the value in the
// unit's own units (or in converter counts where the unit has not given the
// scale), its time and stale mark. `read` and `watch` print the same names.
#pragma once

#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <vector>

#include "core/poller.h"
#include "core/supply_readings.h"

namespace zov::ctl {

struct Sample {
    QString variable;
    QString unit;  // empty for a flag (1 raised or on, 0 not)
    bool known = false;
    bool stale = false;
    QDateTime at;
    QDateTime staleSince;
    QString text;     // the value as CSV and plain text write it
    QJsonValue json;  // the value as JSON writes it
};

// Setpoints are named by their channel's caption (KV_PROG, MA_PROG,
// FIL_LIMIT, FIL_PREHEAT), monitors by the variable the session record names
// (KV_MON, EmMon, Fil_I_Mon, LVPS24, AmbTemp).
[[nodiscard]] Sample setpointSample(const core::SupplyReadings& readings, core::Channel channel);
[[nodiscard]] Sample monitorSample(const core::SupplyReadings& readings, core::Monitor monitor);
[[nodiscard]] Sample flagSample(const QString& variable, const core::Reading<bool>& reading);

// The names of the seven fault flags as status prints them: arc,
// temperature, over-voltage, under-voltage, over-current, under-current,
// watchdog; and as watch does, by their lamps' labels: ARC, TEMP, OV, UV,
// OC, UC, wdtFault.
[[nodiscard]] QString faultWord(std::size_t flag);
[[nodiscard]] QString faultVariable(std::size_t flag);

// What one step of the update cycle reads, as samples.
[[nodiscard]] std::vector<Sample> stepSamples(const core::SupplyReadings& readings,
                                              core::UpdateStep step);

}  // namespace zov::ctl
