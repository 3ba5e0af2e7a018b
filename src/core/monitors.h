// The supply's analog monitors: which command reads each, where its value
// is kept and shown, and how a count becomes the value an operator reads.
#pragma once

#include <QString>
#include <array>
#include <string>
#include <string_view>
#include <variant>

#include "core/main_state.h"

namespace zov::core {

enum class Monitor { Voltage, Current, Filament, AuxSupply, Temperature };

// Shown: prefix, then ((count - offset) * factor / divisor) with the
// pattern, then the suffix. The factor is the unit's scale where `scale` is
// set, else `fixedFactor`.
struct MonitorRow {
    Monitor monitor;
    const char* command;
    QString MainState::*variable;
    const char* variableName;  // its name, as readings are announced
    int rawIndex;              // txt_DATA(index) of the unscaled-data window
    const char* displayBox;
    const char* caption;
    const char* startText;
    const char* toolTip;  // empty: none
    double MainState::*scale;
    double fixedFactor;
    double offset;
    double divisor;
    const char* pattern;
    const char* suffix;
};

// The auxiliary supply is the -15 V rail: 3972 counts is 0 V, 6.224 mV a count,
// shown negated. Temperature: 13.65 counts a degree Celsius. Filament: 6 A
// over 4095 counts.
inline constexpr std::array<MonitorRow, 5> kMonitors{{
    {Monitor::Voltage, "VMON;", &MainState::KV_MON, "KV_MON", 2, "txt_ADC2", "HV Monitor",
     "Channel 2", "Ch. 2, CR26", &MainState::KvScaleFactor, 0.0, 0, 1, "#0.000", " kV"},
    {Monitor::Current, "IMON;", &MainState::EmMon, "EmMon", 3, "txt_ADC3", "MA Current",
     "Channel 3", "Ch. 3, CR46", &MainState::mAScaleFactor, 0.0, 0, 1, "0.000", " mA"},
    {Monitor::Filament, "FMON;", &MainState::Fil_I_Mon, "Fil_I_Mon", 4, "txt_ADC13", "FIL Monitor",
     "", "", nullptr, 0.0014652, 0, 1, "0.##0", " A"},
    {Monitor::AuxSupply, "LVPS;", &MainState::LVPS24, "LVPS24", 1, "txt_ADC1", "LVPS -15 V",
     "Channel 1", "Ch. 1, CR31", nullptr, -0.006224, 3972, 1, "##.#0", " V"},
    {Monitor::Temperature, "TEMP;", &MainState::AmbTemp, "AmbTemp", 0, "txt_ADC6",
     "Temperature \u00b0C", "N/A", "Ch. 6, CR44", nullptr, 1.0, 0, 13.65, "##.0", ""},
}};

[[nodiscard]] const MonitorRow& monitorRow(Monitor monitor);

// What one monitor reply gives.
struct NoMonitorReply {};     // go on with the next row
struct UnreadableMonitor {};  // no ";" after the value: the reads stop here
struct MonitorText {          // kept and shown raw; not a number, so the reads stop
    std::string raw;
};
struct MonitorUnscaled {  // a count, kept raw; the unit's scale is not known here
    std::string raw;
};
struct MonitorReading {
    std::string raw;
    std::string display;
    double shown;  // the number of `display`, as rounded there
};
using MonitorOutcome =
    std::variant<NoMonitorReply, UnreadableMonitor, MonitorText, MonitorUnscaled, MonitorReading>;

[[nodiscard]] MonitorOutcome monitorOutcome(const MonitorRow& row, std::string_view reply,
                                            const MainState& state);

}  // namespace zov::core
