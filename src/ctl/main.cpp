// zovctl: a ZOV high-voltage X-ray supply from a shell, one command a run,
// on the console's core without a window (no display needed).
#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>

#include "core/command_exchange.h"
#include "core/link_opening.h"
#include "core/main_state.h"
#include "core/session_events.h"
#include "core/supply.h"
#include "ctl/invocation.h"
#include "ctl/operations.h"
#include "ctl/output.h"
#include "ctl/runs.h"
#include "ctl/watch.h"
#include "sim/simulator.h"

namespace {

using namespace zov;

// The simulated supply inside zovctl, reached like a unit: over its
// pseudo-terminal, or over TCP where there is none.
class BuiltInSupply {
public:
    std::optional<QString> open(core::CommandExchange& exchange, core::MainState& state) {
        const QString link = directory_.filePath(QStringLiteral("zov-sim-port"));
        if (directory_.isValid() && simulator_.startPty(link)) {
            return core::openSerialLink(exchange, state, link, 115200);
        }
        if (simulator_.startTcp(0)) {
            return core::openTcpLink(exchange, state, QStringLiteral("127.0.0.1"),
                                     simulator_.tcpPort());
        }
        return QStringLiteral("cannot start the simulated supply: %1")
            .arg(simulator_.errorString());
    }

private:
    QTemporaryDir directory_;
    sim::Simulator simulator_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zovctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    const ctl::Parsed parsed = ctl::parseArguments(QCoreApplication::arguments().mid(1));
    if (!parsed.invocation) {
        ctl::writeError(parsed.error + QStringLiteral("; see zovctl --help"));
        return ctl::kExitUsage;
    }
    const ctl::Invocation& invocation = *parsed.invocation;
    if (invocation.command == ctl::Command::Help) {
        ctl::writeOut(ctl::helpText().trimmed().toUtf8());
        return ctl::kExitDone;
    }
    if (invocation.command == ctl::Command::Version) {
        ctl::writeOut("zovctl " PROJECT_VERSION);
        return ctl::kExitDone;
    }

    // A profile that cannot be run is found before any link is opened.
    core::Profile profile;
    if (invocation.command == ctl::Command::Season) {
        auto loaded = ctl::loadProfile(invocation.profilePath);
        if (const auto* error = std::get_if<QString>(&loaded)) {
            ctl::writeError(*error);
            return ctl::kExitUsage;
        }
        profile = std::get<core::Profile>(loaded);
    }

    // Declared before the exchange, so it outlives the link to it.
    std::unique_ptr<BuiltInSupply> builtIn;
    core::MainState state;
    core::SessionEvents events;
    core::CommandExchange exchange(state);
    core::Supply supply(exchange, state, events);

    std::optional<QString> linkError;
    switch (invocation.link) {
        case ctl::LinkKind::Serial:
            linkError = core::openSerialLink(exchange, state, invocation.device, invocation.baud);
            break;
        case ctl::LinkKind::Tcp:
            linkError = core::openTcpLink(exchange, state, invocation.host, invocation.port);
            break;
        case ctl::LinkKind::Simulator:
            builtIn = std::make_unique<BuiltInSupply>();
            linkError = builtIn->open(exchange, state);
            break;
    }
    if (linkError) {
        if (invocation.json && invocation.command != ctl::Command::Watch) {
            ctl::writeJson({{QStringLiteral("command"), ctl::commandWord(invocation.command)},
                            {QStringLiteral("answer"),
                             QLatin1String(core::answerName(core::Answer::NoAnswer))},
                            {QStringLiteral("error"), *linkError}});
        }
        ctl::writeError(*linkError);
        return ctl::kExitNoAnswer;
    }

    if (invocation.command == ctl::Command::Watch) {
        ctl::Watch watch(invocation, supply);
        return watch.run();
    }
    if (invocation.command == ctl::Command::Season) {
        ctl::SeasonTool season(invocation, supply, profile);
        return season.run();
    }
    if (invocation.command == ctl::Command::CycleTest) {
        ctl::CycleTool cycle(invocation, supply);
        return cycle.run();
    }
    const ctl::Result result = ctl::runOperation(invocation, supply);
    if (invocation.json) {
        ctl::writeJson(result.json);
    } else {
        for (const QString& line : result.lines) {
            ctl::writeOut(line.toUtf8());
        }
    }
    if (!result.error.isEmpty()) {
        ctl::writeError(result.error);
    }
    return result.exitCode;
}
