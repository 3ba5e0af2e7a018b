// What a ZovSupply device shows of the readings, without Tango: the device's
// condition and its status in words, and every attribute's value, validity
// and time, read from one copy of the supply's readings. A value is valid
// only while the unit confirms it (the core's stale mark), so a client never
// takes an old value for a live one.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/setpoint_channel.h"
#include "core/supply_readings.h"

namespace zov::tango {

enum class Condition {
    On,       // X-ray output on
    Off,      // output off, nothing wrong
    Alarm,    // interlock open or a fault flag raised
    Fault,    // the supply reports a supply fault
    Unknown,  // no answer to the status read, or the link is down
    Moving,   // a seasoning run is under way
};

struct DeviceSituation {
    bool linkUp = false;
    QString linkProblem;  // why the link is down, when it is
    bool seasoning = false;
    QString seasoningRefusal;  // the run's last setpoint the unit refused ("VREF 6825;, step 1")
    QString settingsProblem;   // a property that keeps the device from starting
};

[[nodiscard]] Condition conditionOf(const core::SupplyReadings& readings,
                                    const DeviceSituation& situation);
[[nodiscard]] std::string statusOf(const core::SupplyReadings& readings,
                                   const DeviceSituation& situation);

// The names of the raised fault flags, in the order of the unit's fault word.
[[nodiscard]] std::vector<std::string> raisedFaults(const core::SupplyReadings& readings);

using Value =
    std::variant<std::monostate, double, bool, std::int32_t, std::string, std::vector<std::string>>;
struct Shown {
    Value value;  // monostate: the unit has not given it
    bool valid = false;
    QDateTime at;
    bool operator==(const Shown& other) const {
        return value == other.value && valid == other.valid && at == other.at;
    }
};

enum class Kind { Double, Bool, Long, String, Strings };

struct AttributeRow {
    const char* name;
    Kind kind;
    std::optional<core::Channel> writes;  // a READ_WRITE attribute programs this channel
    const char* unit;
    const char* format;
    const char* label;
    const char* description;
    Shown (*read)(const core::SupplyReadings& readings);
};

// The fault names a Faults spectrum may hold at most.
inline constexpr long kMaxFaultNames = 8;

[[nodiscard]] const std::vector<AttributeRow>& attributeRows();

// What the setpoint a READ_WRITE attribute programs holds now, in its unit.
[[nodiscard]] std::optional<double> setpointValue(const core::SupplyReadings& readings,
                                                  core::Channel channel);

}  // namespace zov::tango
