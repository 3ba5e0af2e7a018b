#include "samples.h"

#include <iterator>

#include "protocol/numbers.h"

namespace zov::ctl {
namespace {

constexpr const char* kFaultWords[] = {"arc",           "temperature",  "over-voltage",
                                       "under-voltage", "over-current", "under-current",
                                       "watchdog"};
static_assert(std::size(kFaultWords) == core::kFaultFlags.size());

// The monitors' units; the temperature's display has no suffix.
constexpr const char* kMonitorUnits[] = {"kV", "mA", "A", "V", "degC"};
static_assert(std::size(kMonitorUnits) == core::kMonitors.size());

// The channels' captions in the console's editor.
constexpr const char* kSetpointVariables[] = {"KV_PROG", "MA_PROG", "FIL_LIMIT", "FIL_PREHEAT"};
static_assert(std::size(kSetpointVariables) == core::kSetpointChannels.size());

const char* const kCounts = "counts";

template <typename T>
Sample timed(const QString& variable, const core::Reading<T>& reading) {
    Sample sample;
    sample.variable = variable;
    sample.known = reading.known();
    sample.stale = reading.stale;
    sample.at = reading.at;
    sample.staleSince = reading.staleSince;
    return sample;
}

void giveNumber(Sample& sample, const QString& text, const QString& unit) {
    sample.text = text;
    sample.json = text.toDouble();
    sample.unit = unit;
}

Sample fullScaleSample(const QString& variable, const core::Reading<double>& reading,
                       const QString& unit) {
    Sample sample = timed(variable, reading);
    if (reading.value) {
        giveNumber(sample, QString::fromStdString(protocol::plainNumber(*reading.value)), unit);
    }
    return sample;
}

}  // namespace

Sample setpointSample(const core::SupplyReadings& readings, core::Channel channel) {
    const auto& reading = readings.setpoint(channel);
    Sample sample =
        timed(QLatin1String(kSetpointVariables[static_cast<std::size_t>(channel)]), reading);
    if (!reading.value) {
        return sample;
    }
    const core::SetpointChannel& row = core::setpointChannel(channel);
    if (reading.value->scaled) {
        giveNumber(
            sample,
            QString::fromStdString(protocol::formatPattern(*reading.value->scaled, row.pattern)),
            QString::fromLatin1(row.suffix).trimmed());
    } else {
        giveNumber(sample, QString::number(reading.value->count), QLatin1String(kCounts));
    }
    return sample;
}

Sample monitorSample(const core::SupplyReadings& readings, core::Monitor monitor) {
    const auto& reading = readings.monitor(monitor);
    Sample sample = timed(QLatin1String(core::monitorRow(monitor).variableName), reading);
    if (!reading.value) {
        return sample;
    }
    if (reading.value->value) {
        giveNumber(sample, QString::fromStdString(protocol::plainNumber(*reading.value->value)),
                   QLatin1String(kMonitorUnits[static_cast<std::size_t>(monitor)]));
    } else if (const auto count = protocol::parseNumber(reading.value->raw)) {
        giveNumber(sample, QString::fromStdString(protocol::plainNumber(*count)),
                   QLatin1String(kCounts));
    } else {
        sample.known = false;  // a text, no number: nothing to print as a value
    }
    return sample;
}

Sample flagSample(const QString& variable, const core::Reading<bool>& reading) {
    Sample sample = timed(variable, reading);
    if (reading.value) {
        sample.text = *reading.value ? QStringLiteral("1") : QStringLiteral("0");
        sample.json = *reading.value;
    }
    return sample;
}

QString faultWord(std::size_t flag) {
    return QLatin1String(kFaultWords[flag]);
}

QString faultVariable(std::size_t flag) {
    return QLatin1String(core::kFaultFlags[flag].label).mid(QLatin1String("lbl_").size());
}

std::vector<Sample> stepSamples(const core::SupplyReadings& readings, core::UpdateStep step) {
    std::vector<Sample> samples;
    const auto monitors = [&](std::initializer_list<core::Monitor> which) {
        for (const core::Monitor monitor : which) {
            samples.push_back(monitorSample(readings, monitor));
        }
    };
    switch (step) {
        case core::UpdateStep::HvMonitors:
            monitors(core::kHvMonitors);
            break;
        case core::UpdateStep::SetpointA:
            samples.push_back(setpointSample(readings, core::Channel::A));
            break;
        case core::UpdateStep::SetpointB:
            samples.push_back(setpointSample(readings, core::Channel::B));
            break;
        case core::UpdateStep::Status: {
            samples.push_back(flagSample(QStringLiteral("XRAY"), readings.xrayOn));
            for (std::size_t i = 0; i < readings.faults.size(); ++i) {
                samples.push_back(flagSample(faultVariable(i), readings.faults[i]));
            }
            samples.push_back(flagSample(QStringLiteral("INTERLOCK"), readings.interlockOpen));
            // Counted on the arc flag's reads, so it has their time.
            Sample arcs = timed(QStringLiteral("ARC_COUNT"), readings.faults[core::kArcFlag]);
            if (arcs.known) {
                giveNumber(arcs, QString::number(readings.arcCount), QString());
            }
            samples.push_back(arcs);
            break;
        }
        case core::UpdateStep::AuxMonitors:
            monitors(core::kAuxMonitors);
            break;
        case core::UpdateStep::Scaling:
            samples.push_back(fullScaleSample(QStringLiteral("KV_FULL_SCALE"),
                                              readings.voltageFullScaleKv, QStringLiteral("kV")));
            samples.push_back(fullScaleSample(QStringLiteral("MA_FULL_SCALE"),
                                              readings.currentFullScaleMa, QStringLiteral("mA")));
            break;
        case core::UpdateStep::KeepAlive:
        case core::UpdateStep::Nothing:
            break;
    }
    return samples;
}

}  // namespace zov::ctl
