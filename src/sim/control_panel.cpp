#include "control_panel.h"

#include <array>
#include <map>
#include <utility>

#include "sim/control_phrases.h"
#include "sim/control_words.h"

namespace zov::sim {

const char* const ControlPanel::kHelp = R"(Control lines (--do, or --control PIPE and from a shell
echo 'interlock open' > PIPE):
  The unit
    interlock open|closed
    fault <flag> on|off            arc temperature over-voltage under-voltage
                                   over-current under-current watchdog supply
    fault clear                    every latched fault cleared, as "CLR;" does
    arc                            one arc now (while the output is on)
    arc every <ms>|off             an arc every <ms> while the output is on
    current-mode on|off
    remote on|off
    monitor <name> <count>|free    voltage current filament aux temperature:
                                   held at <count>, or following the unit again
    noise on|off                   a few counts of converter noise on the monitors
    watchdog on|off
    watchdog trip <ms>             how long the watchdog waits for a keep-alive
    baud 9600|115200               the unit's serial speed, as "BAUD" sets it
  Replies to one command, tried in the order given; the first one aimed at a
  command answers it, so several lines for one command make a sequence
    reply <pattern> [<content>] [<shape>] [times <n>|forever]   (default: once)
    replies clear
      <pattern>  the command as sent ("SLVR ;", STAT;), or a prefix and * (ENBL*)
      <content>  text <reply> | raw <bytes> | refuse | silent | own (the default)
                 The unit carries out every command it answers, except refused ones.
      <shape>    delay <ms> | split <pieces> | split-at <offset>,<offset>...
                 | split-gap <ms> | garbage <bytes> | trailing <bytes>
  Status messages on TCP
    status [<content>] [<shape>]   one now: the unit's own, or text or bytes
    status auto on|off [<shape>]   the unit's own on every X-ray, interlock or fault
                                   change (20 ms after what goes before it)
  Link faults, for every command or only those aimed at
    link <setting> <value> ...     only <pattern>|all, drop-every <n>, drop-share <0..1>,
                                   seed <n>, refuse all|set|none, tcp-drop-every <n>,
                                   pace <baud>|unit|off, and the <shape> words
                                   except split-at
    link clear                     no faults, every count starts afresh
    drop-connections               closes every TCP connection
  Words are separated by blanks; "quoted words" may hold blanks and \" \\ \r \n
  \t \xHH. Lines starting with # are comments.
)";

namespace {

using Action = ControlPanel::Action;
using Error = ControlPanel::Error;

constexpr long long kMaxMonitorCount = 65535;

constexpr std::array<std::pair<std::string_view, Fault>, kFaultCount> kFaultNames{{
    {"arc", Fault::Arc},
    {"temperature", Fault::Temperature},
    {"over-voltage", Fault::OverVoltage},
    {"under-voltage", Fault::UnderVoltage},
    {"over-current", Fault::OverCurrent},
    {"under-current", Fault::UnderCurrent},
    {"watchdog", Fault::Watchdog},
    {"supply", Fault::Supply},
}};

constexpr std::array<std::pair<std::string_view, Monitor>, kMonitorCount> kMonitorNames{{
    {"voltage", Monitor::Voltage},
    {"current", Monitor::Current},
    {"filament", Monitor::Filament},
    {"aux", Monitor::AuxSupply},
    {"temperature", Monitor::Temperature},
}};

template <typename Value, std::size_t size>
std::optional<Value> takeName(Words& words,
                              const std::array<std::pair<std::string_view, Value>, size>& names,
                              const std::string& what) {
    const auto word = words.take(what);
    if (!word) {
        return std::nullopt;
    }
    for (const auto& [name, value] : names) {
        if (name == *word) {
            return value;
        }
    }
    words.fail("no " + what + " \"" + *word + '"');
    return std::nullopt;
}

Action does(std::function<void()> change) {
    return [change = std::move(change)]() -> Error {
        change();
        return std::nullopt;
    };
}

Action switched(Words& words, std::string_view on, std::string_view off,
                std::function<void(bool)> change) {
    const auto value = words.takeSwitch(on, off);
    if (!value) {
        return {};
    }
    return does([change = std::move(change), value] { change(*value); });
}

}  // namespace

ControlPanel::ControlPanel(Simulator& sim, QObject* parent)
    : QObject(parent), m_sim(sim), m_arcs(this) {
    connect(&m_arcs, &QTimer::timeout, &m_sim.model(), &SupplyModel::arc);
}

std::optional<std::string> ControlPanel::run(std::string_view line) {
    static const std::map<std::string_view, Parser> parsers{
        {"interlock", &ControlPanel::interlock},
        {"fault", &ControlPanel::fault},
        {"arc", &ControlPanel::arc},
        {"current-mode", &ControlPanel::currentMode},
        {"remote", &ControlPanel::remote},
        {"monitor", &ControlPanel::monitor},
        {"noise", &ControlPanel::noise},
        {"watchdog", &ControlPanel::watchdog},
        {"baud", &ControlPanel::baud},
        {"reply", &ControlPanel::reply},
        {"replies", &ControlPanel::replies},
        {"status", &ControlPanel::status},
        {"link", &ControlPanel::link},
        {"drop-connections", &ControlPanel::dropConnections},
    };
    auto split = splitWords(line);
    if (!split) {
        return "an unclosed quote or a bad escape";
    }
    if (split->empty() || std::string_view(split->front()).substr(0, 1) == "#") {
        return std::nullopt;
    }
    Words words(std::move(*split));
    const std::string verb = *words.take("command");
    const auto parser = parsers.find(verb);
    if (parser == parsers.end()) {
        return "no control command \"" + verb + '"';
    }
    const Action action = (this->*parser->second)(words);
    if (!action || words.failed()) {
        return words.failed() ? words.error() : "incomplete";
    }
    if (!words.empty()) {
        return "unexpected \"" + *words.take("word") + '"';
    }
    return action();
}

ControlPanel::Action ControlPanel::interlock(Words& words) {
    return switched(words, "open", "closed",
                    [this](bool open) { m_sim.model().setInterlockOpen(open); });
}

ControlPanel::Action ControlPanel::fault(Words& words) {
    if (words.takeIf("clear")) {
        return does([this] { m_sim.model().clearFaults(); });
    }
    const auto flag = takeName(words, kFaultNames, "fault flag");
    const auto on = words.takeSwitch();
    if (!flag || !on) {
        return {};
    }
    return does([this, flag, on] { m_sim.model().setFault(*flag, *on); });
}

ControlPanel::Action ControlPanel::arc(Words& words) {
    if (!words.takeIf("every")) {
        return does([this] { m_sim.model().arc(); });
    }
    if (words.takeIf("off")) {
        return does([this] { m_arcs.stop(); });
    }
    const auto period = words.takeMs("arc period in ms");
    if (period && period->count() == 0) {
        words.fail("the arc period must be at least 1 ms");
    }
    if (!period || words.failed()) {
        return {};
    }
    return does([this, period] { m_arcs.start(*period); });
}

ControlPanel::Action ControlPanel::currentMode(Words& words) {
    return switched(words, "on", "off", [this](bool on) { m_sim.model().setCurrentMode(on); });
}

ControlPanel::Action ControlPanel::remote(Words& words) {
    return switched(words, "on", "off", [this](bool on) { m_sim.model().setRemote(on); });
}

ControlPanel::Action ControlPanel::monitor(Words& words) {
    const auto which = takeName(words, kMonitorNames, "monitor");
    if (words.takeIf("free")) {
        return which ? does([this, which] { m_sim.model().pinMonitor(*which, std::nullopt); })
                     : Action();
    }
    const auto count = words.takeNumber("count or free", kMaxMonitorCount);
    if (!which || !count) {
        return {};
    }
    return does(
        [this, which, count] { m_sim.model().pinMonitor(*which, static_cast<int>(*count)); });
}

ControlPanel::Action ControlPanel::noise(Words& words) {
    return switched(words, "on", "off", [this](bool on) { m_sim.model().setMonitorNoise(on); });
}

ControlPanel::Action ControlPanel::watchdog(Words& words) {
    if (!words.takeIf("trip")) {
        return switched(words, "on", "off",
                        [this](bool on) { m_sim.model().setWatchdogEnabled(on); });
    }
    const auto trip = words.takeMs("trip time in ms");
    if (trip && trip->count() == 0) {
        words.fail("the trip time must be at least 1 ms");
    }
    if (!trip || words.failed()) {
        return {};
    }
    return does([this, trip] { m_sim.model().setWatchdogTimeout(*trip); });
}

ControlPanel::Action ControlPanel::baud(Words& words) {
    const auto rate = words.takeNumber("baud rate", 4'000'000);
    if (rate && *rate != 9600 && *rate != 115200) {
        words.fail("the unit runs at 9600 or 115200 baud");
    }
    if (!rate || words.failed()) {
        return {};
    }
    return does([this, rate] { m_sim.model().setBaudRate(static_cast<int>(*rate)); });
}

ControlPanel::Action ControlPanel::reply(Words& words) {
    const auto pattern = words.take("command pattern");
    const auto message = takeMessage(words);
    int calls = 1;
    if (words.takeIf("forever")) {
        calls = kUntilCleared;
    } else if (words.takeIf("times")) {
        assign(calls, words.takeNumber("number of times", kMaxCount));
        if (calls == 0) {
            words.fail("a reply must be given at least once");
        }
    }
    if (!pattern || !message || words.failed()) {
        return {};
    }
    return [this, pattern = *pattern, message = *message, calls]() -> Error {
        if (!m_sim.script(pattern, message, calls)) {
            return "the script is full; clear it with \"replies clear\"";
        }
        return std::nullopt;
    };
}

ControlPanel::Action ControlPanel::replies(Words& words) {
    if (!words.takeIf("clear")) {
        words.fail("replies clear");
        return {};
    }
    return does([this] { m_sim.clearScripts(); });
}

ControlPanel::Action ControlPanel::status(Words& words) {
    if (!words.takeIf("auto")) {
        const auto message = takeMessage(words);
        return message ? does([this, message] { m_sim.sendStatus(*message); }) : Action();
    }
    const auto on = words.takeSwitch();
    Shape shape;
    bool shaped = false;
    while (takeShapeWord(words, shape)) {
        shaped = true;
    }
    if (!on || words.failed()) {
        return {};
    }
    return does([this, on, shaped, shape] {
        m_sim.setUnsolicitedStatus(*on);
        if (shaped) {
            m_sim.setStatusShape(shape);
        }
    });
}

ControlPanel::Action ControlPanel::link(Words& words) {
    if (words.takeIf("clear")) {
        return does([this] { m_sim.clearFaults(); });
    }
    FaultPlan plan = m_sim.faults();
    Shape shape = shapeOf(plan);
    bool any = false;
    while (takeShapeWord(words, shape) || takeLinkWord(words, plan)) {
        any = true;
    }
    if (!shape.splitAt.empty()) {
        words.fail("link faults split into equal pieces; split-at is for reply and status");
    }
    if (!any && !words.failed()) {
        words.fail("missing link setting");
    }
    if (words.failed()) {
        return {};
    }
    setShape(plan, shape);
    return does([this, plan] { m_sim.faults() = plan; });
}

ControlPanel::Action ControlPanel::dropConnections(Words&) {
    return does([this] { m_sim.dropTcpConnections(); });
}

}  // namespace zov::sim
