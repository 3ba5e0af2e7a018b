// What the unit last reported, as a plain value: every reading with the time
// the unit gave it and its stale mark. The panel, zovctl and a device server
// all read this; nothing in it was ever converted with a scale the unit did
// not give, and a refused or unanswered command leaves the reading it would
// have refreshed as it was, marked stale.
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "core/monitors.h"
#include "core/setpoint_channel.h"
#include "core/status_flags.h"

namespace zov::core {

template <typename T>
struct Reading {
    std::optional<T> value;  // nothing: the unit has not given it on this link
    QDateTime at;            // when it did
    bool stale = false;      // it has not been confirmed since (see staleSince)
    QDateTime staleSince;

    [[nodiscard]] bool known() const { return value.has_value(); }
    [[nodiscard]] bool live() const { return value.has_value() && !stale; }
    void give(T given, const QDateTime& now) {
        value = std::move(given);
        at = now;
        stale = false;
        staleSince = {};
    }
    void markStale(const QDateTime& now) {
        if (value && !stale) {
            stale = true;
            staleSince = now;
        }
    }
};

// A setpoint as the unit holds it: its converter count, and the value in
// kV, mA or A when the channel's scale is known (the unit's own for A and B).
struct SetpointValue {
    int count = 0;
    std::optional<double> scaled;
    std::string display;  // as the panel shows it ("40.000 kV", "no scale")
    std::string raw;      // the count as the unit sent it, or as programmed
};

// One monitor: the count as sent, and the value in its unit when it has one.
struct MonitorValue {
    std::string raw;
    std::optional<double> value;  // kV, mA, A, V, degrees Celsius
    std::string display;
};

struct Identity {
    Reading<QString> hardwareRevision, model, softwareRevision, softwareBuild, serialNumber;
};

struct SupplyReadings {
    std::array<Reading<SetpointValue>, kSetpointChannels.size()> setpoints;  // by Channel
    std::array<Reading<MonitorValue>, kMonitors.size()> monitors;           // by Monitor
    Reading<bool> xrayOn;
    Reading<bool> interlockOpen;
    Reading<bool> supplyFault;
    Reading<bool> remote;
    Reading<bool> currentMode;
    Reading<bool> rov;
    Reading<bool> aol;
    Reading<bool> watchdogOn;
    std::array<Reading<bool>, kFaultFlags.size()> faults;  // true: raised
    Reading<double> voltageFullScaleKv;
    Reading<double> currentFullScaleMa;
    Identity identity;
    std::int16_t arcCount = 0;
    qint64 commErrors = 0;

    [[nodiscard]] Reading<SetpointValue>& setpoint(Channel channel) {
        return setpoints[static_cast<std::size_t>(channel)];
    }
    [[nodiscard]] const Reading<SetpointValue>& setpoint(Channel channel) const {
        return setpoints[static_cast<std::size_t>(channel)];
    }
    [[nodiscard]] Reading<MonitorValue>& monitor(Monitor which) {
        return monitors[static_cast<std::size_t>(which)];
    }
    [[nodiscard]] const Reading<MonitorValue>& monitor(Monitor which) const {
        return monitors[static_cast<std::size_t>(which)];
    }
    // Calls `visit` with every reading that takes a stale mark.
    template <typename Visit>
    void forEachReading(Visit&& visit) {
        for (auto& reading : setpoints) visit(reading);
        for (auto& reading : monitors) visit(reading);
        for (auto* flag : {&xrayOn, &interlockOpen, &supplyFault, &remote, &currentMode, &rov,
                           &aol, &watchdogOn}) {
            visit(*flag);
        }
        for (auto& reading : faults) visit(reading);
        visit(voltageFullScaleKv);
        visit(currentFullScaleMa);
        for (auto* text : {&identity.hardwareRevision, &identity.model, &identity.softwareRevision,
                           &identity.softwareBuild, &identity.serialNumber}) {
            visit(*text);
        }
    }
};

}  // namespace zov::core
