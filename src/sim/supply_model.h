// The simulated supply's state and behaviour, free of any wire format: the
// command replies (replies.h) read and change it, tests and the fault
// options change it directly.
#pragma once

#include <QObject>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

#include "sim/ramp.h"
#include "sim/unit_data.h"

namespace zov::sim {

// The four setpoint converter channels, A to D.
enum class Channel { Voltage, Current, FilamentLimit, FilamentPreheat };

enum class Monitor { Voltage, Current, Filament, AuxSupply, Temperature };
inline constexpr std::size_t kMonitorCount = 5;

// Faults latch until cleared and switch the output off when they latch.
// `Arc` is the unit's shutdown on arcing; `Supply` stands for any internal
// failure the fault list has no flag for.
enum class Fault {
    Arc,
    Temperature,
    OverVoltage,
    UnderVoltage,
    OverCurrent,
    UnderCurrent,
    Watchdog,
    Supply
};
inline constexpr std::size_t kFaultCount = 8;

class SupplyModel : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<std::chrono::milliseconds()>;

    static constexpr std::chrono::milliseconds kDefaultWatchdogTimeout{3000};
    static constexpr int kDefaultBaudRate = 115200;

    explicit SupplyModel(QObject* parent = nullptr);

    // Ramps are evaluated against this clock; tests substitute their own.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    Identity& identity() { return m_identity; }
    [[nodiscard]] const Identity& identity() const { return m_identity; }
    FactoryData& factory() { return m_factory; }
    [[nodiscard]] const FactoryData& factory() const { return m_factory; }
    UserOptions& options() { return m_options; }
    [[nodiscard]] const UserOptions& options() const { return m_options; }

    [[nodiscard]] int setpoint(Channel channel) const;
    // Refused (false) outside 0..4095 counts.
    bool setSetpoint(Channel channel, int count);

    [[nodiscard]] bool outputOn() const { return m_outputOn; }
    // Switching on is refused (false) while the interlock is open or a fault
    // is latched; switching off always succeeds.
    bool setOutput(bool on);

    [[nodiscard]] bool interlockOpen() const { return m_interlockOpen; }
    void setInterlockOpen(bool open);

    [[nodiscard]] bool fault(Fault fault) const;
    [[nodiscard]] bool anyFault() const;
    void setFault(Fault fault, bool latched);
    void clearFaults();

    // An arc in the tube while the output is on: flagged for the next fault
    // read; the output quenches and re-ramps, or switches off when re-ramp is
    // off, or shuts down with the arc fault latched in single-arc mode.
    void arc();
    // Whether an arc happened since the last call or the arc fault is latched.
    bool takeArcFlag();

    // Converter counts as the unit's monitors read them now.
    [[nodiscard]] int monitor(Monitor monitor);
    // A monitor held at `count` whatever the unit does, as with a calibrator
    // on its input; nothing lets it follow the unit again.
    void pinMonitor(Monitor monitor, std::optional<int> count);
    // A few counts of converter noise on the monitors that are not pinned; on by default.
    void setMonitorNoise(bool on) { m_noise = on; }

    [[nodiscard]] bool watchdogEnabled() const { return m_watchdogEnabled; }
    void setWatchdogEnabled(bool enabled);
    void setWatchdogTimeout(std::chrono::milliseconds timeout);
    void keepAlive();

    [[nodiscard]] bool remote() const { return m_remote; }
    void setRemote(bool remote) { m_remote = remote; }
    [[nodiscard]] bool currentMode() const { return m_currentMode; }
    void setCurrentMode(bool on) { m_currentMode = on; }
    [[nodiscard]] int baudRate() const { return m_baudRate; }
    void setBaudRate(int baud) { m_baudRate = baud; }
    [[nodiscard]] bool passThrough() const { return m_passThrough; }
    void togglePassThrough() { m_passThrough = !m_passThrough; }

    // The service access codes unlock factory programming ("7955") and the
    // serial number ("9858") until power is lost; any other code is refused.
    bool unlock(std::string_view code);
    [[nodiscard]] bool factoryUnlocked() const { return m_factoryUnlocked; }
    [[nodiscard]] bool serialNumberUnlocked() const { return m_serialUnlocked; }

signals:
    // The X-ray state, the interlock or the supply fault summary changed.
    void statusChanged();

private:
    struct Summary {
        bool xray;
        bool interlock;
        bool fault;
        bool operator==(const Summary& other) const {
            return xray == other.xray && interlock == other.interlock && fault == other.fault;
        }
    };
    [[nodiscard]] Summary summary() const { return {m_outputOn, m_interlockOpen, anyFault()}; }
    void announceIfChanged(const Summary& before);
    void switchOff();
    void rampTo(Ramp& ramp, int target);
    [[nodiscard]] double filamentAmps() const;
    [[nodiscard]] int nextNoise();

    Clock m_clock;
    Identity m_identity;
    FactoryData m_factory;
    UserOptions m_options;
    std::array<int, 4> m_setpoints{};
    std::array<bool, kFaultCount> m_faults{};
    std::array<std::optional<int>, kMonitorCount> m_pinned{};
    Ramp m_voltage;
    Ramp m_current;
    QTimer m_watchdog;
    unsigned m_noiseStep = 0;
    int m_baudRate = kDefaultBaudRate;
    bool m_outputOn = false;
    bool m_interlockOpen = false;
    bool m_arcFlag = false;
    bool m_noise = true;
    bool m_watchdogEnabled = false;
    bool m_remote = false;
    bool m_currentMode = false;
    bool m_passThrough = false;
    bool m_factoryUnlocked = false;
    bool m_serialUnlocked = false;
};

}  // namespace zov::sim
