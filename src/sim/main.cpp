// zov-sim: a simulated ZOV supply on a pseudo-terminal and/or a TCP port,
// serving until it is killed, driven from its command line and its control
// channel.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <climits>
#include <csignal>
#include <cstdio>
#include <memory>

#include "sim/command_log.h"
#include "sim/control_channel.h"
#include "sim/control_panel.h"
#include "sim/simulator.h"

namespace {

using zov::sim::ControlPanel;
using zov::sim::Fault;
using zov::sim::Simulator;

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(g_signalPipe[1], &byte, 1);
}

// Quit through the event loop on SIGINT/SIGTERM so the port's link is removed.
void quitOnSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

struct Options {
    QCommandLineOption pty{"pty", "Serve the serial side on a pseudo-terminal linked as <link>.",
                           "link"};
    QCommandLineOption tcp{"tcp", "Listen on 127.0.0.1:<port>.", "port"};
    QCommandLineOption log{
        "log", "Append a line to <file> for every command and what became of it.", "file"};
    QCommandLineOption control{
        "control", "Read control lines from the named pipe <path> (created), or - for stdin.",
        "path"};
    QCommandLineOption run{"do", "Carry out a control line at start (repeatable).", "line"};
    QCommandLineOption only{
        "only", "Aim the link fault options at the commands <pattern> matches (see reply).",
        "pattern"};
    QCommandLineOption dropEvery{"drop-every", "Leave every <n>th reply unsent.", "n"};
    QCommandLineOption dropFraction{"drop-fraction", "Leave this share (0..1) of replies unsent.",
                                    "share"};
    QCommandLineOption seed{"seed", "Seed for --drop-fraction.", "seed", "1"};
    QCommandLineOption delay{"delay", "Start each reply <ms> late.", "ms"};
    QCommandLineOption split{"split", "Send each reply in <n> pieces.", "n"};
    QCommandLineOption splitGap{"split-gap", "Gap between reply pieces.", "ms", "20"};
    QCommandLineOption garbage{"garbage", "Send <text> before each reply's STX.", "text"};
    QCommandLineOption trailing{"trailing", "Send <text> after each reply's terminator.", "text"};
    QCommandLineOption refuseAll{"refuse-all", "Refuse every command."};
    QCommandLineOption refuseSet{"refuse-set", "Refuse the commands that set something."};
    QCommandLineOption baud{"baud",
                            "The unit's serial speed at start (9600 or 115200); the serial side "
                            "is paced at the unit's speed and a host at another speed is noise.",
                            "rate"};
    QCommandLineOption tcpDropEvery{"tcp-drop-every",
                                    "Close the TCP connection at every <n>th command.", "n"};
    QCommandLineOption noStatus{"no-status", "Send no unsolicited status messages on TCP."};
    QCommandLineOption interlockOpen{"interlock-open", "Start with the interlock open."};
    QCommandLineOption supplyFault{"supply-fault", "Start with a supply fault latched."};
    QCommandLineOption arcEvery{"arc-every", "An arc every <ms> while the output is on.", "ms"};
    QCommandLineOption watchdog{"watchdog", "Start with the unit watchdog on or off (off).",
                                "on|off"};
    QCommandLineOption watchdogTrip{
        "watchdog-trip", "The watchdog trips <ms> after the last keep-alive (3000).", "ms"};

    void addTo(QCommandLineParser& parser) const {
        parser.addOptions({pty,         tcp,       log,          control,     run,
                           only,        dropEvery, dropFraction, seed,        delay,
                           split,       splitGap,  garbage,      trailing,    refuseAll,
                           refuseSet,   baud,      tcpDropEvery, noStatus,    interlockOpen,
                           supplyFault, arcEvery,  watchdog,     watchdogTrip});
    }
};

// Reads the numeric options; a text that is no number in the option's range
// is named, so "--tcp abc" does not listen on a port of the system's choice.
class NumberOptions {
public:
    explicit NumberOptions(const QCommandLineParser& parser) : parser_(parser) {}

    long long whole(const QCommandLineOption& option, long long lowest, long long highest) {
        if (!parser_.isSet(option) && option.defaultValues().isEmpty()) {
            return 0;
        }
        bool ok = false;
        const long long value = parser_.value(option).toLongLong(&ok);
        if (!ok || value < lowest || value > highest) {
            refuse(option, QStringLiteral("a whole number from %1 to %2").arg(lowest).arg(highest));
            return lowest;
        }
        return value;
    }

    double share(const QCommandLineOption& option) {
        if (!parser_.isSet(option)) {
            return 0.0;
        }
        bool ok = false;
        const double value = parser_.value(option).toDouble(&ok);
        if (!ok || !(value >= 0.0 && value <= 1.0)) {
            refuse(option, QStringLiteral("a share from 0 to 1"));
            return 0.0;
        }
        return value;
    }

    // The first option that was refused, as a line for stderr; empty if none.
    const QString& error() const { return error_; }

private:
    void refuse(const QCommandLineOption& option, const QString& wanted) {
        if (error_.isEmpty()) {
            error_ = QStringLiteral("--%1 wants %2, not '%3'")
                         .arg(option.names().constFirst(), wanted, parser_.value(option));
        }
    }

    const QCommandLineParser& parser_;
    QString error_;
};

constexpr long long kLongestMs = 3'600'000;
constexpr long long kMostPieces = 1000;

// The link fault options; false (with the reason on stderr) if one is no number.
bool applyFaults(const QCommandLineParser& parser, const Options& o, Simulator& sim) {
    NumberOptions numbers(parser);
    auto& plan = sim.faults();
    plan.only = parser.value(o.only).toStdString();
    plan.dropEvery = static_cast<int>(numbers.whole(o.dropEvery, 0, INT_MAX));
    plan.dropFraction = numbers.share(o.dropFraction);
    plan.seed = static_cast<unsigned>(numbers.whole(o.seed, 0, UINT_MAX));
    plan.delay = std::chrono::milliseconds(numbers.whole(o.delay, 0, kLongestMs));
    plan.splitPieces = static_cast<int>(std::max(1LL, numbers.whole(o.split, 0, kMostPieces)));
    plan.splitGap = std::chrono::milliseconds(numbers.whole(o.splitGap, 0, kLongestMs));
    plan.leadingGarbage = parser.value(o.garbage).toStdString();
    plan.trailingBytes = parser.value(o.trailing).toStdString();
    plan.refuseAll = parser.isSet(o.refuseAll);
    plan.refuseSetCommands = parser.isSet(o.refuseSet);
    plan.pacedSerial = parser.isSet(o.baud);
    plan.tcpDropEvery = static_cast<int>(numbers.whole(o.tcpDropEvery, 0, INT_MAX));
    sim.setUnsolicitedStatus(!parser.isSet(o.noStatus));
    numbers.whole(o.tcp, 0, 65535);
    if (!numbers.error().isEmpty()) {
        std::fprintf(stderr, "zov-sim: %s\n", qPrintable(numbers.error()));
        return false;
    }
    return true;
}

// The unit's state at power-up, as the command line asks, in control lines.
QStringList startLines(const QCommandLineParser& parser, const Options& o) {
    QStringList lines;
    const auto add = [&](const QCommandLineOption& option, const QString& line) {
        if (parser.isSet(option)) {
            lines << line;
        }
    };
    add(o.interlockOpen, QStringLiteral("interlock open"));
    add(o.supplyFault, QStringLiteral("fault supply on"));
    add(o.baud, QStringLiteral("baud ") + parser.value(o.baud));
    add(o.watchdogTrip, QStringLiteral("watchdog trip ") + parser.value(o.watchdogTrip));
    add(o.watchdog, QStringLiteral("watchdog ") + parser.value(o.watchdog));
    add(o.arcEvery, QStringLiteral("arc every ") + parser.value(o.arcEvery));
    return lines + parser.values(o.run);
}

// The lines of the command line; the first wrong one ends the program.
bool runAll(ControlPanel& panel, zov::sim::CommandLog* log, const QStringList& lines) {
    for (const QString& line : lines) {
        if (log) {
            log->note("control " + zov::sim::printable(line.toStdString()));
        }
        if (const auto error = panel.run(line.toStdString())) {
            std::fprintf(stderr, "zov-sim: %s: %s\n", qPrintable(line), error->c_str());
            return false;
        }
    }
    return true;
}

// A control line as it comes, and what is wrong with it to stderr, both in the log.
void runControl(ControlPanel& panel, zov::sim::CommandLog* log,
                std::optional<std::string_view> line) {
    const std::string text = line ? zov::sim::printable(*line) : "(too long, ignored)";
    if (log) {
        log->note("control " + text);
    }
    const auto error = line ? panel.run(*line) : std::optional<std::string>("too long");
    if (!error) {
        return;
    }
    if (log) {
        log->note("control error: " + *error);
    }
    std::fprintf(stderr, "zov-sim: control: %s: %s\n", text.c_str(), error->c_str());
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zov-sim");
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated ZOV high-voltage supply.\n\n") +
                                     ControlPanel::kHelp);
    parser.addHelpOption();
    const Options options;
    options.addTo(parser);
    parser.process(app);
    if (!parser.isSet(options.pty) && !parser.isSet(options.tcp)) {
        std::fprintf(stderr, "zov-sim: give --pty LINK and/or --tcp PORT\n");
        return 2;
    }

    Simulator sim;
    ControlPanel panel(sim);
    QFile logFile(parser.value(options.log));
    std::unique_ptr<zov::sim::CommandLog> log;
    if (parser.isSet(options.log)) {
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "zov-sim: cannot write %s\n", qPrintable(logFile.fileName()));
            return 1;
        }
        log = std::make_unique<zov::sim::CommandLog>(sim, logFile);
    }
    if (!applyFaults(parser, options, sim) || !runAll(panel, log.get(), startLines(parser, options))) {
        return 2;
    }
    zov::sim::ControlChannel channel(
        [&](std::optional<std::string_view> line) { runControl(panel, log.get(), line); });
    QString error;
    if (parser.isSet(options.control) && !channel.open(parser.value(options.control), &error)) {
        std::fprintf(stderr, "zov-sim: %s\n", qPrintable(error));
        return 1;
    }
    if (parser.isSet(options.pty)) {
        if (!sim.startPty(parser.value(options.pty))) {
            std::fprintf(stderr, "zov-sim: %s\n", qPrintable(sim.errorString()));
            return 1;
        }
        std::printf("zov-sim: serial on %s (%s)\n", qPrintable(parser.value(options.pty)),
                    qPrintable(sim.ptyDevice()));
    }
    if (parser.isSet(options.tcp)) {
        if (!sim.startTcp(static_cast<quint16>(parser.value(options.tcp).toUInt()))) {
            std::fprintf(stderr, "zov-sim: %s\n", qPrintable(sim.errorString()));
            return 1;
        }
        std::printf("zov-sim: tcp on 127.0.0.1:%u\n", sim.tcpPort());
    }
    if (parser.isSet(options.control)) {
        std::printf("zov-sim: control on %s\n", qPrintable(parser.value(options.control)));
    }
    std::fflush(stdout);
    quitOnSignals(app);
    return QCoreApplication::exec();
}
