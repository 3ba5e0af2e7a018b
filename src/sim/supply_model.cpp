#include "supply_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace zov::sim {
namespace {

// The auxiliary supply reads -15 V: 3972 counts is 0 V, 0.006224 V per count.
constexpr int kAuxSupplyCounts = 6382;
// 13.65 counts per degree Celsius: 25 degrees normally, 75 when overheated.
constexpr int kRoomTemperatureCounts = 341;
constexpr int kOverTemperatureCounts = 1024;
// Amps per count of the filament converters and of the filament monitor.
constexpr double kFilamentLimitAmps = 5.0 / kFullScaleCount;
constexpr double kFilamentPreheatAmps = 2.5 / kFullScaleCount;
constexpr double kFilamentMonitorAmps = 6.0 / kFullScaleCount;
// A few counts of converter noise, repeating so that tests stay deterministic.
constexpr std::array<int, 8> kNoise{0, 1, -1, 2, -2, 1, 0, -1};

const std::string_view kFactoryCode = "7955";
const std::string_view kSerialNumberCode = "9858";

std::chrono::milliseconds steadyNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

int toCount(double value) {
    return std::clamp(static_cast<int>(std::lround(value)), 0, kFullScaleCount);
}

}  // namespace

SupplyModel::SupplyModel(QObject* parent) : QObject(parent), m_clock(steadyNow), m_watchdog(this) {
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(kDefaultWatchdogTimeout);
    connect(&m_watchdog, &QTimer::timeout, this, [this] { setFault(Fault::Watchdog, true); });
}

int SupplyModel::setpoint(Channel channel) const {
    return m_setpoints[static_cast<std::size_t>(channel)];
}

bool SupplyModel::setSetpoint(Channel channel, int count) {
    if (count < 0 || count > kFullScaleCount) {
        return false;
    }
    m_setpoints[static_cast<std::size_t>(channel)] = count;
    if (m_outputOn && channel == Channel::Voltage) {
        rampTo(m_voltage, count);
    } else if (m_outputOn && channel == Channel::Current) {
        rampTo(m_current, count);
    }
    return true;
}

bool SupplyModel::setOutput(bool on) {
    if (on && (m_interlockOpen || anyFault())) {
        return false;
    }
    const Summary before = summary();
    if (!on) {
        switchOff();
    } else if (!m_outputOn) {
        m_outputOn = true;
        rampTo(m_voltage, setpoint(Channel::Voltage));
        rampTo(m_current, setpoint(Channel::Current));
    }
    announceIfChanged(before);
    return true;
}

void SupplyModel::setInterlockOpen(bool open) {
    const Summary before = summary();
    m_interlockOpen = open;
    if (open) {
        switchOff();
    }
    announceIfChanged(before);
}

bool SupplyModel::fault(Fault fault) const {
    return m_faults[static_cast<std::size_t>(fault)];
}

bool SupplyModel::anyFault() const {
    return std::any_of(m_faults.begin(), m_faults.end(), [](bool latched) { return latched; });
}

void SupplyModel::setFault(Fault fault, bool latched) {
    const Summary before = summary();
    m_faults[static_cast<std::size_t>(fault)] = latched;
    if (latched) {
        switchOff();
    }
    announceIfChanged(before);
}

void SupplyModel::clearFaults() {
    const Summary before = summary();
    m_faults.fill(false);
    m_arcFlag = false;
    // The watchdog keeps watching: without keep-alives it trips again.
    keepAlive();
    announceIfChanged(before);
}

void SupplyModel::arc() {
    if (!m_outputOn) {
        return;
    }
    m_arcFlag = true;
    if (m_factory.arcMode == 1) {
        setFault(Fault::Arc, true);
    } else if (m_options.reRamp == 0) {
        setOutput(false);
    } else {
        m_voltage.moveTo(0.0, m_clock(), 0.0);
        m_current.moveTo(0.0, m_clock(), 0.0);
        rampTo(m_voltage, setpoint(Channel::Voltage));
        rampTo(m_current, setpoint(Channel::Current));
    }
}

bool SupplyModel::takeArcFlag() {
    return std::exchange(m_arcFlag, false) || fault(Fault::Arc);
}

int SupplyModel::monitor(Monitor monitor) {
    if (const auto pinned = m_pinned[static_cast<std::size_t>(monitor)]) {
        return *pinned;
    }
    const int noise = m_noise ? nextNoise() : 0;
    switch (monitor) {
        case Monitor::Voltage:
            return toCount(m_voltage.valueAt(m_clock()) + noise);
        case Monitor::Current:
            return toCount(m_current.valueAt(m_clock()) + noise);
        case Monitor::Filament:
            return toCount(filamentAmps() / kFilamentMonitorAmps + noise);
        case Monitor::AuxSupply:
            return kAuxSupplyCounts + noise;
        case Monitor::Temperature:
            return (fault(Fault::Temperature) ? kOverTemperatureCounts : kRoomTemperatureCounts) +
                   noise / 2;
    }
    return 0;
}

void SupplyModel::pinMonitor(Monitor monitor, std::optional<int> count) {
    m_pinned[static_cast<std::size_t>(monitor)] = count;
}

void SupplyModel::setWatchdogEnabled(bool enabled) {
    m_watchdogEnabled = enabled;
    if (enabled) {
        m_watchdog.start();
    } else {
        m_watchdog.stop();
    }
}

void SupplyModel::setWatchdogTimeout(std::chrono::milliseconds timeout) {
    m_watchdog.setInterval(timeout);
}

void SupplyModel::keepAlive() {
    if (m_watchdogEnabled) {
        m_watchdog.start();
    }
}

bool SupplyModel::unlock(std::string_view code) {
    if (code == kFactoryCode) {
        m_factoryUnlocked = true;
    } else if (code == kSerialNumberCode) {
        m_serialUnlocked = true;
    } else {
        return false;
    }
    return true;
}

void SupplyModel::announceIfChanged(const Summary& before) {
    if (!(summary() == before)) {
        emit statusChanged();
    }
}

void SupplyModel::switchOff() {
    m_outputOn = false;
    m_voltage.moveTo(0.0, m_clock(), 0.0);
    m_current.moveTo(0.0, m_clock(), 0.0);
}

void SupplyModel::rampTo(Ramp& ramp, int target) {
    const double perMs =
        m_options.rampTenths > 0 ? kFullScaleCount / (m_options.rampTenths * 100.0) : 0.0;
    ramp.moveTo(target, m_clock(), perMs);
}

// The filament idles at its preheat current and, with the output on, is
// driven towards its limit as the tube current demand rises.
double SupplyModel::filamentAmps() const {
    const double preheat = setpoint(Channel::FilamentPreheat) * kFilamentPreheatAmps;
    const double limit = setpoint(Channel::FilamentLimit) * kFilamentLimitAmps;
    const double demand = m_current.valueAt(m_clock()) / kFullScaleCount;
    return std::max(preheat, preheat + (limit - preheat) * demand);
}

int SupplyModel::nextNoise() {
    return kNoise[m_noiseStep++ % kNoise.size()];
}

}  // namespace zov::sim
