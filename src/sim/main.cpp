// zov-sim: a simulated ZOV supply on a pseudo-terminal and/or a TCP port,
// serving until it is killed.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>

#include "sim/simulator.h"

namespace {

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
    QCommandLineOption log{"log", "Append every command received to <file>, one per line.", "file"};
    QCommandLineOption dropEvery{"drop-every", "Leave every <n>th command unanswered.", "n"};
    QCommandLineOption dropFraction{"drop-fraction",
                                    "Leave this share (0..1) of commands unanswered.", "share"};
    QCommandLineOption seed{"seed", "Seed for --drop-fraction.", "seed", "1"};
    QCommandLineOption delay{"delay", "Start each reply <ms> late.", "ms"};
    QCommandLineOption split{"split", "Send each reply in <n> pieces.", "n"};
    QCommandLineOption splitGap{"split-gap", "Gap between reply pieces.", "ms", "20"};
    QCommandLineOption garbage{"garbage", "Send <text> before each reply's STX.", "text"};
    QCommandLineOption trailing{"trailing", "Send <text> after each reply's terminator.", "text"};
    QCommandLineOption refuseAll{"refuse-all", "Refuse every command."};
    QCommandLineOption baud{"baud", "Pace the serial side at <rate> baud, 10 bit times a byte.",
                            "rate"};
    QCommandLineOption tcpDropEvery{"tcp-drop-every",
                                    "Close the TCP connection at every <n>th command.", "n"};
    QCommandLineOption noStatus{"no-status", "Send no unsolicited status messages on TCP."};
    QCommandLineOption interlockOpen{"interlock-open", "Start with the interlock open."};
    QCommandLineOption supplyFault{"supply-fault", "Start with a supply fault latched."};
    QCommandLineOption arcEvery{"arc-every", "An arc every <ms> while the output is on.", "ms"};
    QCommandLineOption watchdog{"watchdog", "Start with the unit watchdog on, tripping after <ms>.",
                                "ms"};

    void addTo(QCommandLineParser& parser) const {
        parser.addOptions({pty, tcp, log, dropEvery, dropFraction, seed, delay, split, splitGap,
                           garbage, trailing, refuseAll, baud, tcpDropEvery, noStatus,
                           interlockOpen, supplyFault, arcEvery, watchdog});
    }
};

int number(const QCommandLineParser& parser, const QCommandLineOption& option) {
    return parser.value(option).toInt();
}

std::chrono::milliseconds ms(const QCommandLineParser& parser, const QCommandLineOption& option) {
    return std::chrono::milliseconds(number(parser, option));
}

void applyFaults(const QCommandLineParser& parser, const Options& o, Simulator& sim) {
    auto& plan = sim.faults();
    plan.dropEvery = number(parser, o.dropEvery);
    plan.dropFraction = parser.value(o.dropFraction).toDouble();
    plan.seed = parser.value(o.seed).toUInt();
    plan.delay = ms(parser, o.delay);
    plan.splitPieces = std::max(1, number(parser, o.split));
    plan.splitGap = ms(parser, o.splitGap);
    plan.leadingGarbage = parser.value(o.garbage).toStdString();
    plan.trailingBytes = parser.value(o.trailing).toStdString();
    plan.refuseAll = parser.isSet(o.refuseAll);
    plan.serialBaud = number(parser, o.baud);
    plan.tcpDropEvery = number(parser, o.tcpDropEvery);
    sim.setUnsolicitedStatus(!parser.isSet(o.noStatus));

    auto& model = sim.model();
    model.setInterlockOpen(parser.isSet(o.interlockOpen));
    model.setFault(Fault::Supply, parser.isSet(o.supplyFault));
    if (parser.isSet(o.watchdog)) {
        model.setWatchdogTimeout(ms(parser, o.watchdog));
        model.setWatchdogEnabled(true);
    }
    if (parser.isSet(o.arcEvery)) {
        auto* arcs = new QTimer(&sim);
        QObject::connect(arcs, &QTimer::timeout, &model, &zov::sim::SupplyModel::arc);
        arcs->start(ms(parser, o.arcEvery));
    }
}

bool openLog(const QString& path, Simulator& sim) {
    auto* file = new QFile(path, &sim);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        std::fprintf(stderr, "zov-sim: cannot write %s\n", qPrintable(path));
        return false;
    }
    QObject::connect(&sim, &Simulator::commandReceived, file, [file](const QString& command) {
        file->write(command.toLatin1() + '\n');
        file->flush();
    });
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zov-sim");
    QCommandLineParser parser;
    parser.setApplicationDescription("Simulated ZOV high-voltage supply.");
    parser.addHelpOption();
    const Options options;
    options.addTo(parser);
    parser.process(app);
    if (!parser.isSet(options.pty) && !parser.isSet(options.tcp)) {
        std::fprintf(stderr, "zov-sim: give --pty LINK and/or --tcp PORT\n");
        return 2;
    }

    Simulator sim;
    applyFaults(parser, options, sim);
    if (parser.isSet(options.log) && !openLog(parser.value(options.log), sim)) {
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
        if (!sim.startTcp(static_cast<quint16>(number(parser, options.tcp)))) {
            std::fprintf(stderr, "zov-sim: %s\n", qPrintable(sim.errorString()));
            return 1;
        }
        std::printf("zov-sim: tcp on 127.0.0.1:%u\n", sim.tcpPort());
    }
    std::fflush(stdout);
    quitOnSignals(app);
    return QCoreApplication::exec();
}
