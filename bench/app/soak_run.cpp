#include "soak_run.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>

#include "app/identity_area.h"
#include "app/link_selection.h"
#include "app/main_window.h"
#include "app/stale_marks.h"
#include "bench_console.h"
#include "core/monitors.h"
#include "core/setpoint_channel.h"
#include "raw_floor.h"
#include "supply/supply_areas.h"

namespace zov::bench {
namespace {

using namespace std::chrono_literals;
using sim::ScriptedReply;

constexpr int kWarmUpCycles = 3;
constexpr int kHeartbeatMs = 100;
// Past the console's 1 s reply time limit and the settling after it: the
// late reply comes while the next command waits.
constexpr auto kPastTheLimit = 1300ms;
constexpr int kLinkDownMs = 2000;
constexpr int kSettleAtEndMs = 40000;  // an outage in progress at the end recovers first
constexpr int kMismatchesShown = 5;
// How long a reading may lag the unit unmarked: the update cycle's age limit
// for a stale mark, the period of its age check, and a cycle's step.
constexpr std::chrono::milliseconds kReach{app::StaleMarks::kCycleStaleMs +
                                           app::StaleMarks::kAgeCheckMs + 100};

long residentKbFromStatm() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (::sysconf(_SC_PAGESIZE) / 1024) : -1;
}

bool showsANumber(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// Each monitor held at its own count and each setpoint at its own, so a box
// showing another command's reply shows a value that is not its own.
void pinTheUnit(sim::Simulator& sim) {
    sim.setUnsolicitedStatus(false);
    sim::SupplyModel& model = sim.model();
    model.pinMonitor(sim::Monitor::Voltage, 1111);
    model.pinMonitor(sim::Monitor::Current, 2222);
    model.pinMonitor(sim::Monitor::Filament, 3033);
    model.pinMonitor(sim::Monitor::AuxSupply, 3500);
    model.pinMonitor(sim::Monitor::Temperature, 400);
    model.setSetpoint(sim::Channel::Voltage, 1357);
    model.setSetpoint(sim::Channel::Current, 2468);
}

class SoakRun : public QObject {
public:
    SoakRun(SimulatorThread& supply, app::MainWindow& window, SoakLink link,
            ScriptedOperator* person, UnitHistory& history)
        : supply_(supply), window_(window), link_(link), operator_(person), history_(history) {}

    SoakFigures run(int seconds);

private:
    void onTransmitted(const QByteArray& frame);
    void onStatusRead();
    void onCycleEnd();
    void inject(SoakFault fault);
    void cutTheLink();
    void restoreTheLink();
    [[nodiscard]] bool linkUp();
    [[nodiscard]] bool onEthernet() const;
    void snapshotReadings();
    void checkReadings();
    void checkDisplays(const char* after);
    void checkRequest(const QByteArray& frame);
    void afterAction(Action action, bool stoppedCycleTest);
    void finish();

    SimulatorThread& supply_;
    app::MainWindow& window_;
    SoakLink link_;
    ScriptedOperator* operator_;  // none: the supply's faults alone
    UnitHistory& history_;
    SoakFigures figures_;
    QEventLoop loop_;
    QElapsedTimer clock_;
    qint64 memoryWarmMs_ = 0;
    bool memoryWarm_ = false;
    std::map<QString, QString> ownReading_;  // box name -> the text it must show
    int nextFault_ = 0;
    SoakFault lastFault_ = SoakFault::LostStatusReply;
    bool statusFaultPending_ = false;  // the next "STAT;" gets no reply in time
    bool cutAtNextStatus_ = false;
    bool outage_ = false;
    bool ethernetCut_ = false;  // which link the outage took
    bool supplyServing_ = true;
    bool stopping_ = false;
    bool finished_ = false;
};

SoakFigures SoakRun::run(int seconds) {
    core::CommandExchange& exchange = window_.exchange();
    connect(&exchange, &core::CommandExchange::transmitted, this,
            [this](const QByteArray& frame) { onTransmitted(frame); });
    connect(&exchange, &core::CommandExchange::received, this,
            [this](const QByteArray&) { ++figures_.replies; });

    QElapsedTimer& clock = clock_;
    clock.start();
    memoryWarmMs_ = seconds * 1000 / 2;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    qint64 lastBeat = clock.nsecsElapsed();
    connect(&heartbeat, &QTimer::timeout, this, [&] {
        const qint64 now = clock.nsecsElapsed();
        const double stallMs = double(now - lastBeat) / 1e6 - kHeartbeatMs;
        lastBeat = now;
        figures_.longestStallMs = std::max(figures_.longestStallMs, stallMs);
        figures_.hangs += stallMs > kStallLimitMs ? 1 : 0;
    });
    heartbeat.start(kHeartbeatMs);

    QTimer::singleShot(seconds * 1000, this, [this] {
        stopping_ = true;
        if (operator_ != nullptr) {
            operator_->stop();
        }
    });
    QTimer::singleShot(seconds * 1000 + kSettleAtEndMs, this, [this] {
        if (!finished_) {
            figures_.setupError = QStringLiteral("an outage did not end");
            finish();
        }
    });
    app::LinkSelection& links = window_.linkSelection();
    if (link_ == SoakLink::Pty) {
        links.mnu_comm1_Click();  // starts the automatic update
    } else {
        links.mnu_ethernet_Click();
    }
    if (operator_ != nullptr) {
        figures_.withOperator = true;
        operator_->start([this](Action action, bool stoppedCycleTest) {
            ++figures_.actions[static_cast<std::size_t>(action)];
            afterAction(action, stoppedCycleTest);
        });
    }
    loop_.exec();
    figures_.seconds = double(clock.elapsed()) / 1000;
    figures_.commErrors = window_.state().CommErrors;
    figures_.residentEndKb = residentKbFromStatm();
    return figures_;
}

void SoakRun::onTransmitted(const QByteArray& frame) {
    ++figures_.exchanges;
    if (operator_ != nullptr) {
        checkRequest(frame);
    }
    if (frame.contains("STAT;")) {
        onStatusRead();
    } else if (frame.contains("WDTT;")) {
        onCycleEnd();
    }
}

// Called as the read goes out, before a byte of it is written.
void SoakRun::onStatusRead() {
    if (statusFaultPending_) {
        statusFaultPending_ = false;
        ++figures_.expectedErrors;
    } else if (cutAtNextStatus_) {
        cutAtNextStatus_ = false;
        cutTheLink();
        ++figures_.expectedErrors;
    } else if (outage_) {
        if (linkUp()) {
            outage_ = false;
        } else {
            ++figures_.expectedErrors;
        }
    }
}

void SoakRun::onCycleEnd() {
    ++figures_.cycles;
    if (figures_.cycles < kWarmUpCycles) {
        return;
    }
    if (figures_.cycles == kWarmUpCycles) {
        snapshotReadings();
        figures_.residentStartKb = residentKbFromStatm();
        return;
    }
    // The operator's first uses of windows and boxes come during the first
    // half: the memory bound holds from the middle of the run on.
    if (operator_ != nullptr && !memoryWarm_ && clock_.elapsed() >= memoryWarmMs_) {
        memoryWarm_ = true;
        figures_.residentStartKb = residentKbFromStatm();
    }
    checkReadings();
    if (operator_ != nullptr) {
        checkDisplays("an update cycle");
    }
    if (outage_ || cutAtNextStatus_ || statusFaultPending_) {
        return;
    }
    if (stopping_) {
        finish();
        return;
    }
    inject(static_cast<SoakFault>(nextFault_));
    nextFault_ = (nextFault_ + 1) % kSoakFaultKinds;
}

void SoakRun::inject(SoakFault fault) {
    ++figures_.faults[static_cast<std::size_t>(fault)];
    lastFault_ = fault;
    const auto aim = [this](const char* command, const ScriptedReply& reply) {
        supply_.configure([&](sim::Simulator& sim) { sim.script(command, reply); });
    };
    switch (fault) {
        case SoakFault::LostStatusReply:
            aim("STAT;", ScriptedReply::silence());
            statusFaultPending_ = true;
            break;
        case SoakFault::LostMonitorReply:
            aim("IMON;", ScriptedReply::silence());
            break;
        case SoakFault::SplitStatusReply:
            aim("STAT;", ScriptedReply::own().splitAt({2, 5}, 30ms));
            break;
        case SoakFault::SplitMonitorReply:
            aim("VMON;", ScriptedReply::own().splitAt({1, 4, 7}, 20ms));
            break;
        case SoakFault::GarbledStatusReply:
            aim("STAT;", ScriptedReply::own().around("\x15?#", "x\r"));
            break;
        case SoakFault::GarbledMonitorReply:
            aim("TEMP;", ScriptedReply::own().around("\x7f!~", "zz"));
            break;
        case SoakFault::LateStatusReply:
            aim("STAT;", ScriptedReply::own().late(kPastTheLimit));
            statusFaultPending_ = true;
            break;
        case SoakFault::LateMonitorReply:
            aim("VMON;", ScriptedReply::own().late(kPastTheLimit));
            break;
        case SoakFault::LinkLoss:
            cutAtNextStatus_ = true;
            break;
    }
}

// The status read is on its way out: the link goes before it is written.
void SoakRun::cutTheLink() {
    outage_ = true;
    ethernetCut_ = onEthernet();
    if (!ethernetCut_) {
        supply_.configure([](sim::Simulator& sim) { sim.closePty(); });
        supplyServing_ = false;
    } else {
        supply_.configure([](sim::Simulator& sim) { sim.dropTcpConnections(); });
    }
    QTimer::singleShot(kLinkDownMs, this, [this] { restoreTheLink(); });
}

// The adapter is plugged in again (the console's watchdog reopens the port),
// or the operator chooses Ethernet again once the peer is back (unless the
// scripted operator has chosen COMM1 meanwhile).
void SoakRun::restoreTheLink() {
    if (!ethernetCut_) {
        const QString path = supply_.ptyLink();
        supply_.configure([&](sim::Simulator& sim) { supplyServing_ = sim.startPty(path); });
        return;
    }
    window_.exchange().whenIdle(this, [this] {
        if (onEthernet()) {
            window_.linkSelection().mnu_ethernet_Click();
        }
    });
}

bool SoakRun::onEthernet() const {
    return window_.state().portType == QLatin1String("ethernet");
}

bool SoakRun::linkUp() {
    core::CommandExchange& exchange = window_.exchange();
    if (!onEthernet()) {
        return supplyServing_ && exchange.serial().isOpen();
    }
    return exchange.tcp().isOpen();
}

void SoakRun::snapshotReadings() {
    QSet<QString> distinct;
    const auto keep = [&](const char* name) {
        const auto* box = window_.findChild<QLineEdit*>(QLatin1String(name));
        const QString text = box != nullptr ? box->text() : QString();
        if (!showsANumber(text)) {
            figures_.setupError = QStringLiteral("%1 shows no reading: \"%2\"").arg(name, text);
        }
        ownReading_[QLatin1String(name)] = text;
        distinct.insert(text);
    };
    for (const core::MonitorRow& row : core::kMonitors) {
        keep(row.displayBox);
    }
    // The operator's setpoints are checked against the unit's history instead.
    for (const core::Channel channel : {core::Channel::A, core::Channel::B}) {
        if (operator_ == nullptr) {
            keep(core::setpointChannel(channel).displayBox);
        }
    }
    if (distinct.size() != static_cast<qsizetype>(ownReading_.size())) {
        figures_.setupError = QStringLiteral("two boxes show the same reading");
    }
}

// A box shows its own reading, or a text that is no reading at all.
void SoakRun::checkReadings() {
    for (const auto& [name, own] : ownReading_) {
        const QString text = window_.findChild<QLineEdit*>(name)->text();
        ++figures_.readingsChecked;
        if (text != own && showsANumber(text)) {
            if (++figures_.wrongReadings <= kMismatchesShown) {
                std::fprintf(stderr, "  wrong reading in %s after %s: \"%s\" (its own: \"%s\")\n",
                             qPrintable(name), faultName(lastFault_), qPrintable(text),
                             qPrintable(own));
            }
        }
    }
}

void SoakRun::checkDisplays(const char* after) {
    const SteadyTime now = std::chrono::steady_clock::now();
    supply_.configure([this](sim::Simulator& sim) { history_.record(sim.model()); });
    const auto states = history_.since(operator_->unrefreshedSince(now, kReach));
    if (const auto wrong = wrongDisplay(window_, states, figures_.displaysChecked)) {
        if (++figures_.wrongDisplays <= kMismatchesShown) {
            const UnitState& unit = states.back();
            std::fprintf(stderr,
                         "  wrong display after %s: %s shows \"%s\"; the unit holds output %s, "
                         "interlock %s, setpoints %d/%d, HV monitor %d (%zu states)\n",
                         after, qPrintable(wrong->widget), qPrintable(wrong->shown),
                         unit.outputOn ? "on" : "off", unit.interlockOpen ? "open" : "closed",
                         unit.voltageSetpoint, unit.currentSetpoint, unit.voltageMonitor,
                         states.size());
        }
    }
}

void SoakRun::checkRequest(const QByteArray& frame) {
    if (operator_->mayRequest(requestOf(frame))) {
        return;
    }
    if (++figures_.unaskedCommands <= kMismatchesShown) {
        std::fprintf(stderr, "  unasked command \"%s\"\n", commandOf(frame).constData());
    }
}

void SoakRun::afterAction(Action action, bool stoppedCycleTest) {
    checkDisplays(actionName(action));
    if (!stoppedCycleTest || outage_ || !linkUp()) {
        return;  // an output the link could not reach is not the console's to switch off
    }
    bool on = false;
    supply_.configure([&on](sim::Simulator& sim) { on = sim.model().outputOn(); });
    if (on && ++figures_.outputsLeftOn <= kMismatchesShown) {
        std::fprintf(stderr, "  output left on after a cycle test stop\n");
    }
}

void SoakRun::finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    window_.exchange().whenIdle(this, [this] {
        window_.menuItem(QStringLiteral("mnu_MANUAL"))->trigger();
        loop_.quit();
    });
}

}  // namespace

long long SoakFigures::faultsInjected() const {
    long long sum = 0;
    for (const long long n : faults) {
        sum += n;
    }
    return sum;
}

long long SoakFigures::actionsTaken() const {
    long long sum = 0;
    for (const long long n : actions) {
        sum += n;
    }
    return sum;
}

// The operator's own exchanges meet the faults and the outages too, so with
// an operator the communication errors are shown but not foretold.
bool SoakFigures::passed() const {
    // A short run with an operator may first open a window after its middle,
    // so its memory is only shown.
    const bool memoryJudged = !withOperator || seconds >= kOperatorMemorySeconds;
    const bool console = setupError.isEmpty() && faultsInjected() > 0 && hangs == 0 &&
                         wrongReadings == 0 && readingsChecked > 0 && residentStartKb > 0 &&
                         (!memoryJudged || residentEndKb - residentStartKb < kGrowthLimitKb);
    if (!withOperator) {
        return console && commErrors == expectedErrors;
    }
    return console && actionsTaken() > 0 && displaysChecked > 0 && wrongDisplays == 0 &&
           outputsLeftOn == 0 && unaskedCommands == 0;
}

SoakFigures runSoak(SoakLink link, int seconds, std::optional<quint32> operatorSeed) {
    UnitHistory history;  // outlives the supply that records into it
    SimulatorThread supply;
    if (!supply.isRunning()) {
        SoakFigures figures;
        figures.setupError = QStringLiteral("cannot start the simulated supply");
        return figures;
    }
    supply.configure([&history](sim::Simulator& sim) {
        pinTheUnit(sim);
        QObject::connect(
            &sim, &sim::Simulator::handled, &sim,
            [&history, &sim](const sim::Handling&) { history.record(sim.model()); },
            Qt::DirectConnection);
    });
    SilentPrompter prompter;
    app::MainWindow window(prompter);
    answerDialogsWithOk(window);
    app::IdentityArea& identity = app::installIdentityArea(window);
    const supply::SupplyAreas areas = supply::installSupplyAreas(window, identity);
    std::optional<ScriptedOperator> person;
    if (operatorSeed) {
        person.emplace(window, areas, prompter, supply, *operatorSeed);
    }
    window.show();
    window.linkSelection().useSimulatedSupply(supply.ptyLink(), QStringLiteral("127.0.0.1"),
                                              supply.tcpPort());
    SoakRun run(supply, window, link, person ? &*person : nullptr, history);
    return run.run(seconds);
}

const char* faultName(SoakFault fault) {
    switch (fault) {
        case SoakFault::LostStatusReply:
            return "lost-status";
        case SoakFault::LostMonitorReply:
            return "lost-monitor";
        case SoakFault::SplitStatusReply:
            return "split-status";
        case SoakFault::SplitMonitorReply:
            return "split-monitor";
        case SoakFault::GarbledStatusReply:
            return "garbage-status";
        case SoakFault::GarbledMonitorReply:
            return "garbage-monitor";
        case SoakFault::LateStatusReply:
            return "late-status";
        case SoakFault::LateMonitorReply:
            return "late-monitor";
        case SoakFault::LinkLoss:
            return "link-loss";
    }
    return "?";
}

QString resultLine(const SoakFigures& f) {
    QStringList pairs{
        QStringLiteral("seconds=%1").arg(f.seconds, 0, 'f', 1),
        QStringLiteral("exchanges=%1").arg(f.exchanges),
        QStringLiteral("replies=%1").arg(f.replies),
        QStringLiteral("cycles=%1").arg(f.cycles),
        QStringLiteral("commErrors=%1").arg(f.commErrors),
        QStringLiteral("expectedErrors=%1").arg(f.expectedErrors),
        QStringLiteral("hangs=%1").arg(f.hangs),
        QStringLiteral("longestStallMs=%1").arg(f.longestStallMs, 0, 'f', 1),
        QStringLiteral("residentStartKb=%1").arg(f.residentStartKb),
        QStringLiteral("residentEndKb=%1").arg(f.residentEndKb),
        QStringLiteral("wrongReadings=%1").arg(f.wrongReadings),
        QStringLiteral("readingsChecked=%1").arg(f.readingsChecked),
    };
    if (f.withOperator) {
        pairs << QStringLiteral("operator=1")
              << QStringLiteral("wrongDisplays=%1").arg(f.wrongDisplays)
              << QStringLiteral("displaysChecked=%1").arg(f.displaysChecked)
              << QStringLiteral("outputsLeftOn=%1").arg(f.outputsLeftOn)
              << QStringLiteral("unaskedCommands=%1").arg(f.unaskedCommands);
        for (int i = 0; i < kActionKinds; ++i) {
            pairs << QStringLiteral("%1=%2")
                         .arg(QLatin1String(actionName(static_cast<Action>(i))))
                         .arg(f.actions[static_cast<std::size_t>(i)]);
        }
    }
    for (int i = 0; i < kSoakFaultKinds; ++i) {
        pairs << QStringLiteral("%1=%2")
                     .arg(QLatin1String(faultName(static_cast<SoakFault>(i))))
                     .arg(f.faults[static_cast<std::size_t>(i)]);
    }
    if (!f.setupError.isEmpty()) {
        pairs << QStringLiteral("setupError=") + QString(f.setupError).replace(' ', '_');
    }
    return pairs.join(' ');
}

bool parseResultLine(const QString& line, SoakFigures& f) {
    std::map<QString, QString> values;
    for (const QString& pair : line.split(' ', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0) {
            values[pair.left(equals)] = pair.mid(equals + 1);
        }
    }
    if (values.count(QStringLiteral("exchanges")) == 0) {
        return false;
    }
    const auto number = [&](const char* key) { return values[QLatin1String(key)].toLongLong(); };
    f.seconds = values[QStringLiteral("seconds")].toDouble();
    f.exchanges = number("exchanges");
    f.replies = number("replies");
    f.cycles = number("cycles");
    f.commErrors = number("commErrors");
    f.expectedErrors = number("expectedErrors");
    f.hangs = number("hangs");
    f.longestStallMs = values[QStringLiteral("longestStallMs")].toDouble();
    f.residentStartKb = static_cast<long>(number("residentStartKb"));
    f.residentEndKb = static_cast<long>(number("residentEndKb"));
    f.wrongReadings = number("wrongReadings");
    f.readingsChecked = number("readingsChecked");
    for (int i = 0; i < kSoakFaultKinds; ++i) {
        f.faults[static_cast<std::size_t>(i)] = number(faultName(static_cast<SoakFault>(i)));
    }
    f.withOperator = number("operator") != 0;
    f.wrongDisplays = number("wrongDisplays");
    f.displaysChecked = number("displaysChecked");
    f.outputsLeftOn = number("outputsLeftOn");
    f.unaskedCommands = number("unaskedCommands");
    for (int i = 0; i < kActionKinds; ++i) {
        f.actions[static_cast<std::size_t>(i)] = number(actionName(static_cast<Action>(i)));
    }
    f.setupError = QString(values[QStringLiteral("setupError")]).replace('_', ' ');
    return true;
}

}  // namespace zov::bench
