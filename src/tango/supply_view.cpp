#include "supply_view.h"

#include <QStringList>

namespace zov::tango {
namespace {

using core::Channel;
using core::Monitor;
using core::SupplyReadings;

template <typename T, typename Convert>
Shown shownOf(const core::Reading<T>& reading, Convert convert) {
    Shown shown;
    if (reading.value) {
        shown.value = convert(*reading.value);
        shown.at = reading.at;
        shown.valid = !reading.stale && !std::holds_alternative<std::monostate>(shown.value);
    }
    return shown;
}

Shown monitor(const SupplyReadings& readings, Monitor which) {
    return shownOf(readings.monitor(which), [](const core::MonitorValue& v) -> Value {
        return v.value ? Value{*v.value} : Value{};
    });
}

Shown setpoint(const SupplyReadings& readings, Channel channel) {
    return shownOf(readings.setpoint(channel), [](const core::SetpointValue& v) -> Value {
        return v.scaled ? Value{*v.scaled} : Value{};
    });
}

Shown flag(const core::Reading<bool>& reading) {
    return shownOf(reading, [](bool on) { return Value{on}; });
}

Shown text(const core::Reading<QString>& reading) {
    return shownOf(reading, [](const QString& s) { return Value{s.toStdString()}; });
}

Shown number(const core::Reading<double>& reading) {
    return shownOf(reading, [](double v) { return Value{v}; });
}

// Valid while every flag of the fault word is.
Shown faults(const SupplyReadings& readings) {
    Shown shown;
    bool allKnown = true;
    bool allLive = true;
    for (const auto& fault : readings.faults) {
        allKnown = allKnown && fault.known();
        allLive = allLive && fault.live();
        if (fault.known() && fault.at > shown.at) {
            shown.at = fault.at;
        }
    }
    if (allKnown) {
        shown.value = raisedFaults(readings);
        shown.valid = allLive;
    }
    return shown;
}

// Counted by the server from the fault reads, so as fresh as the arc flag.
Shown arcCount(const SupplyReadings& readings) {
    const auto& arc = readings.faults[core::kArcFlag];
    Shown shown;
    shown.value = std::int32_t{readings.arcCount};
    shown.valid = arc.live();
    shown.at = arc.at;
    return shown;
}

Shown commErrors(const SupplyReadings& readings) {
    Shown shown;
    shown.value = static_cast<std::int32_t>(std::min<qint64>(readings.commErrors, INT32_MAX));
    shown.valid = true;
    return shown;
}

const char* const kFaultNames[core::kFaultFlags.size()] = {
    "arc",          "temperature",   "over-voltage", "under-voltage",
    "over-current", "under-current", "watchdog"};

}  // namespace

std::vector<std::string> raisedFaults(const SupplyReadings& readings) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < readings.faults.size(); ++i) {
        if (readings.faults[i].value.value_or(false)) {
            names.emplace_back(kFaultNames[i]);
        }
    }
    if (readings.supplyFault.value.value_or(false)) {
        names.emplace_back("supply");
    }
    return names;
}

Condition conditionOf(const SupplyReadings& readings, const DeviceSituation& situation) {
    if (!situation.settingsProblem.isEmpty() || !situation.linkUp || !readings.xrayOn.live()) {
        return Condition::Unknown;
    }
    if (readings.supplyFault.value.value_or(false)) {
        return Condition::Fault;
    }
    bool raised = readings.interlockOpen.value.value_or(false);
    for (const auto& fault : readings.faults) {
        raised = raised || fault.value.value_or(false);
    }
    if (raised) {
        return Condition::Alarm;
    }
    if (situation.seasoning) {
        return Condition::Moving;
    }
    return *readings.xrayOn.value ? Condition::On : Condition::Off;
}

std::string statusOf(const SupplyReadings& readings, const DeviceSituation& situation) {
    if (!situation.settingsProblem.isEmpty()) {
        return "The device cannot start: " + situation.settingsProblem.toStdString() + ".";
    }
    if (!situation.linkUp) {
        return "No link to the supply: " + situation.linkProblem.toStdString() + ".";
    }
    if (!readings.xrayOn.live()) {
        return readings.xrayOn.known()
                   ? "The supply does not answer: its readings are stale since " +
                         readings.xrayOn.staleSince.toString(Qt::ISODateWithMs).toStdString() + "."
                   : "Waiting for the supply's first status.";
    }
    QStringList lines;
    lines << QStringLiteral("X-ray output %1.")
                 .arg(QLatin1String(*readings.xrayOn.value ? "on" : "off"));
    if (readings.supplyFault.value.value_or(false)) {
        lines << QStringLiteral("The supply reports a supply fault.");
    }
    if (readings.interlockOpen.value.value_or(false)) {
        lines << QStringLiteral("The interlock is open.");
    }
    QStringList raised;
    for (const std::string& name : raisedFaults(readings)) {
        if (name != "supply") {
            raised << QString::fromStdString(name);
        }
    }
    if (!raised.isEmpty()) {
        lines << QStringLiteral("Fault flags raised: %1.").arg(raised.join(QStringLiteral(", ")));
    }
    if (situation.seasoning) {
        lines << QStringLiteral("A seasoning run is under way.");
    }
    if (!situation.seasoningRefusal.isEmpty()) {
        lines << QStringLiteral("The unit refused the seasoning run's %1.")
                     .arg(situation.seasoningRefusal);
    }
    return lines.join(QLatin1Char('\n')).toStdString();
}

std::optional<double> setpointValue(const SupplyReadings& readings, Channel channel) {
    const auto& reading = readings.setpoint(channel);
    return reading.value ? reading.value->scaled : std::nullopt;
}

const std::vector<AttributeRow>& attributeRows() {
    using R = const SupplyReadings&;
    static const std::vector<AttributeRow> rows{
        {"Voltage", Kind::Double, Channel::A, "kV", "%7.3f", "High voltage",
         "Reads the unit's voltage monitor; a write programs the voltage setpoint",
         [](R r) { return monitor(r, Monitor::Voltage); }},
        {"Current", Kind::Double, Channel::B, "mA", "%6.3f", "Tube current",
         "Reads the unit's current monitor; a write programs the current setpoint",
         [](R r) { return monitor(r, Monitor::Current); }},
        {"VoltageSetpoint", Kind::Double, std::nullopt, "kV", "%7.3f", "Voltage setpoint",
         "The voltage setpoint the unit reports holding",
         [](R r) { return setpoint(r, Channel::A); }},
        {"CurrentSetpoint", Kind::Double, std::nullopt, "mA", "%6.3f", "Current setpoint",
         "The current setpoint the unit reports holding",
         [](R r) { return setpoint(r, Channel::B); }},
        {"FilamentCurrent", Kind::Double, std::nullopt, "A", "%5.3f", "Filament current",
         "The unit's filament current monitor", [](R r) { return monitor(r, Monitor::Filament); }},
        {"FilamentLimit", Kind::Double, Channel::C, "A", "%5.3f", "Filament limit",
         "The filament current limit the unit holds; a write programs it",
         [](R r) { return setpoint(r, Channel::C); }},
        {"FilamentPreheat", Kind::Double, Channel::D, "A", "%5.3f", "Filament preheat",
         "The filament preheat current the unit holds; a write programs it",
         [](R r) { return setpoint(r, Channel::D); }},
        {"AuxVoltage", Kind::Double, std::nullopt, "V", "%6.2f", "Auxiliary supply",
         "The unit's low-voltage auxiliary supply monitor",
         [](R r) { return monitor(r, Monitor::AuxSupply); }},
        {"Temperature", Kind::Double, std::nullopt, "degC", "%5.1f", "Temperature",
         "The unit's temperature monitor", [](R r) { return monitor(r, Monitor::Temperature); }},
        {"XrayOn", Kind::Bool, std::nullopt, "", "", "X-ray on",
         "Whether the unit reports its X-ray output on", [](R r) { return flag(r.xrayOn); }},
        {"InterlockOpen", Kind::Bool, std::nullopt, "", "", "Interlock open",
         "Whether the unit reports its interlock open", [](R r) { return flag(r.interlockOpen); }},
        {"Faults", Kind::Strings, std::nullopt, "", "", "Faults",
         "The fault flags the unit reports raised: arc, temperature, over-voltage, "
         "under-voltage, over-current, under-current, watchdog, supply",
         [](R r) { return faults(r); }},
        {"ArcCount", Kind::Long, std::nullopt, "", "%d", "Arcs",
         "Arcs counted from the unit's fault reads while the output was requested on; "
         "ClearArcCount starts it again",
         [](R r) { return arcCount(r); }},
        {"Remote", Kind::Bool, std::nullopt, "", "", "Remote",
         "Whether the unit reports remote control", [](R r) { return flag(r.remote); }},
        {"CommErrors", Kind::Long, std::nullopt, "", "%d", "Communication errors",
         "Commands the unit did not answer, or answered with something unreadable",
         [](R r) { return commErrors(r); }},
        {"Model", Kind::String, std::nullopt, "", "", "Model", "The unit's model",
         [](R r) { return text(r.identity.model); }},
        {"SerialNumber", Kind::String, std::nullopt, "", "", "Serial number",
         "The unit's serial number", [](R r) { return text(r.identity.serialNumber); }},
        {"HardwareRevision", Kind::String, std::nullopt, "", "", "Hardware revision",
         "The unit's hardware revision", [](R r) { return text(r.identity.hardwareRevision); }},
        {"SoftwareRevision", Kind::String, std::nullopt, "", "", "Software revision",
         "The unit's software revision", [](R r) { return text(r.identity.softwareRevision); }},
        {"SoftwareBuild", Kind::String, std::nullopt, "", "", "Software build",
         "The unit's software build", [](R r) { return text(r.identity.softwareBuild); }},
        {"VoltageFullScale", Kind::Double, std::nullopt, "kV", "%7.3f", "Voltage full scale",
         "The unit's own voltage full scale; Voltage takes values from 0 to it",
         [](R r) { return number(r.voltageFullScaleKv); }},
        {"CurrentFullScale", Kind::Double, std::nullopt, "mA", "%6.3f", "Current full scale",
         "The unit's own current full scale; Current takes values from 0 to it",
         [](R r) { return number(r.currentFullScaleMa); }},
    };
    return rows;
}

}  // namespace zov::tango
