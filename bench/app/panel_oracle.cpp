#include "panel_oracle.h"

#include <QLabel>
#include <QLineEdit>
#include <functional>

#include "app/main_window.h"
#include "app/stale_marks.h"
#include "protocol/frame.h"
#include "protocol/numbers.h"
#include "sim/supply_model.h"
#include "sim/unit_data.h"

namespace zov::bench {
namespace {

// Beyond the longest reach of any check: the oldest state still asked for.
constexpr std::chrono::seconds kKept{60};

bool holdsANumber(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

QString kilovolts(double kv) {
    return QString::fromStdString(protocol::formatPattern(kv, "#0.000")) + QStringLiteral(" kV");
}

QString milliamps(double ma) {
    return QString::fromStdString(protocol::formatPattern(ma, "0.000")) + QStringLiteral(" mA");
}

struct Shown {
    const char* widget;
    bool isLabel;
    // What the widget shows for this state of the unit.
    std::function<QString(const UnitState&)> text;
};

const Shown kShown[] = {
    {"lbl_HVSTAT", true,
     [](const UnitState& u) { return QString::fromLatin1(u.outputOn ? "X-RAY ON" : "X-RAY OFF"); }},
    {"lbl_INTRLKSTAT", true,
     [](const UnitState& u) {
         return QString::fromLatin1(u.interlockOpen ? "Interlock Open" : "Interlock Closed");
     }},
    {"txt_DACA", false,
     [](const UnitState& u) { return kilovolts(u.voltageSetpoint * u.kvPerCount); }},
    {"txt_DACB", false,
     [](const UnitState& u) { return milliamps(u.currentSetpoint * u.maPerCount); }},
    {"txt_ADC2", false,
     [](const UnitState& u) { return kilovolts(u.voltageMonitor * u.kvPerCount); }},
};

// Texts that are no reading of the unit: start texts and the words for none.
bool holdsNoReading(const Shown& shown, const QString& text) {
    if (shown.isLabel) {
        return !text.startsWith(QLatin1String("X-RAY")) &&
               !text.startsWith(QLatin1String("Interlock "));
    }
    return !holdsANumber(text);
}

}  // namespace

void UnitHistory::record(sim::SupplyModel& model) {
    const sim::FactoryData& factory = model.factory();
    UnitState state;
    state.at = std::chrono::steady_clock::now();
    state.voltageSetpoint = model.setpoint(sim::Channel::Voltage);
    state.currentSetpoint = model.setpoint(sim::Channel::Current);
    state.voltageMonitor = model.monitor(sim::Monitor::Voltage);
    state.kvPerCount = factory.fullScaleVoltage / 100.0 / sim::kFullScaleCount;
    state.maPerCount = factory.fullScaleCurrent / 1000.0 / sim::kFullScaleCount;
    state.outputOn = model.outputOn();
    state.interlockOpen = model.interlockOpen();
    const QMutexLocker lock(&mutex_);
    states_.push_back(state);
    // One state from before the oldest moment asked for is the one that held then.
    while (states_.size() > 2 && states_[1].at < state.at - kKept) {
        states_.pop_front();
    }
}

std::deque<UnitState> UnitHistory::since(SteadyTime since) const {
    const QMutexLocker lock(&mutex_);
    std::deque<UnitState> held;
    for (auto it = states_.rbegin(); it != states_.rend(); ++it) {
        held.push_front(*it);
        if (it->at <= since) {
            break;
        }
    }
    return held;
}

QByteArray commandOf(const QByteArray& frame) {
    // STX command ETX on TCP; STX command checksum CR LF on the serial link.
    const bool tcp = frame.endsWith(protocol::kEtx);
    return frame.mid(1, frame.size() - (tcp ? 2 : 4));
}

Request requestOf(const QByteArray& frame) {
    const QByteArray command = commandOf(frame);
    if (command == "ENBL 1;") {
        return Request::XrayOn;
    }
    if (command == "ENBL 0;") {
        return Request::XrayOff;
    }
    for (const char* setpoint : {"VREF ", "IREF ", "10,", "11,", "12,", "13,"}) {
        if (command.startsWith(setpoint)) {
            return Request::Setpoint;
        }
    }
    // The update cycle's, the status request's, the identity's and the scale reads.
    static const QList<QByteArray> kReads{
        "STAT;", "FLT;", "VMON;", "IMON;",  "FMON;",  "LVPS;", "TEMP;", "VSET;", "ISET;", "16,",
        "17,",   "22,",  "WDTT;", "SLVR ;", "SLIR ;", "HWVR;", "MODR;", "FREV;", "SOFT;", "SNUR;"};
    return kReads.contains(command) ? Request::Read : Request::Other;
}

std::optional<Mismatch> wrongDisplay(const app::MainWindow& window,
                                     const std::deque<UnitState>& states, long long& checked) {
    for (const Shown& shown : kShown) {
        const auto* widget = window.findChild<QWidget*>(QLatin1String(shown.widget));
        const auto* label = qobject_cast<const QLabel*>(widget);
        const auto* box = qobject_cast<const QLineEdit*>(widget);
        const QString text = label != nullptr ? label->text()
                             : box != nullptr ? box->text()
                                              : QString();
        ++checked;
        if (widget == nullptr || app::showsStale(widget) || holdsNoReading(shown, text)) {
            continue;
        }
        const bool explained = std::any_of(states.begin(), states.end(), [&](const UnitState& u) {
            return shown.text(u) == text;
        });
        if (!explained) {
            return Mismatch{QLatin1String(shown.widget), text};
        }
    }
    return std::nullopt;
}

}  // namespace zov::bench
