// zov-console: the operator and service console for ZOV high-voltage supplies.
#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/identity_area.h"
#include "app/link_selection.h"
#include "app/main_window.h"
#include "app/widgets/qt_prompter.h"
#include "config/configuration.h"
#include "records/install_traffic_log.h"
#include "records/install_trend_view.h"
#include "records/install_session_record.h"
#include "season/install_seasoning.h"
#include "sim/simulator.h"
#include "supply/supply_areas.h"

namespace {

struct Choices {
    bool simulator = false;
    bool showHidden = false;
};

// The options the window system takes itself; they are no mistakes.
bool isWindowSystemOption(const QString& name) {
    static const QStringList kNames{"platform",
                                    "platformpluginpath",
                                    "platformtheme",
                                    "plugin",
                                    "qwindowgeometry",
                                    "qwindowicon",
                                    "qwindowtitle",
                                    "display",
                                    "geometry",
                                    "style",
                                    "stylesheet",
                                    "reverse",
                                    "session",
                                    "widgetcount",
                                    "nograb",
                                    "dograb",
                                    "sync",
                                    "qmljsdebugger"};
    return kNames.contains(name);
}

class CommandLine {
public:
    CommandLine() {
        parser_.setApplicationDescription(
            QStringLiteral("Operator and service console for ZOV high-voltage X-ray supplies."));
        parser_.addHelpOption();
        parser_.addVersionOption();
        parser_.addOption(simulator_);
        parser_.addOption(showHidden_);
    }

    // Help, the version and a mistyped option are answered without the
    // window system, so they work on a machine without a display (a
    // technician's SSH session) as well.
    bool answersWithText(int argc, char* argv[]) {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) {
            arguments << QString::fromLocal8Bit(argv[i]);
        }
        // "-platform offscreen" and the like are one word, not compacted letters.
        parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        if (!parser_.parse(arguments)) {
            const QStringList unknown = parser_.unknownOptionNames();
            return unknown.isEmpty() ||
                   !std::all_of(unknown.begin(), unknown.end(), isWindowSystemOption);
        }
        return parser_.isSet(QStringLiteral("help")) || parser_.isSet(QStringLiteral("help-all")) ||
               parser_.isSet(QStringLiteral("version"));
    }

    // Ends the program for --help, --version and options it does not know.
    Choices process(const QCoreApplication& application) {
        QCoreApplication::setApplicationName(QStringLiteral("zov-console"));
        QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
        parser_.process(application);
        return {parser_.isSet(simulator_), parser_.isSet(showHidden_)};
    }

private:
    QCommandLineParser parser_;
    const QCommandLineOption simulator_{
        QStringLiteral("simulator"),
        QStringLiteral("Run a simulated supply inside the console; every port choice reaches it.")};
    const QCommandLineOption showHidden_{
        QStringLiteral("show-hidden"),
        QStringLiteral("Also show the menu items and buttons that start hidden (service use).")};
};

}  // namespace

int main(int argc, char* argv[]) {
    CommandLine commandLine;
    if (commandLine.answersWithText(argc, argv)) {
        const QCoreApplication textOnly(argc, argv);
        commandLine.process(textOnly);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ZOV Interface"));
    const Choices choices = commandLine.process(application);

    zov::app::QtPrompter prompter(nullptr);
    zov::app::MainWindow window(prompter);

    // The simulated supply lives in this process: its pseudo-terminal is
    // where every serial port choice leads, its TCP port fills the host dialog.
    QTemporaryDir simulatorDirectory;
    std::unique_ptr<zov::sim::Simulator> supply;
    if (choices.simulator) {
        supply = std::make_unique<zov::sim::Simulator>();
        const QString link = simulatorDirectory.filePath(QStringLiteral("zov-sim-port"));
        if (!simulatorDirectory.isValid() || !supply->startPty(link) || !supply->startTcp(0)) {
            std::fprintf(stderr, "zov-console: cannot start the simulated supply: %s\n",
                         qPrintable(supply->errorString()));
            return 1;
        }
        window.linkSelection().useSimulatedSupply(link, QStringLiteral("127.0.0.1"),
                                                  supply->tcpPort());
        std::printf("simulated supply on %s and 127.0.0.1:%u\n", qPrintable(link),
                    unsigned(supply->tcpPort()));
        std::fflush(stdout);
    }
    zov::app::IdentityArea& identity = zov::app::installIdentityArea(window);
    const zov::supply::SupplyAreas areas = zov::supply::installSupplyAreas(window, identity);
    zov::config::installConfiguration(window, identity, areas);
    zov::season::installSeasoning(window, areas);
    zov::records::installTrafficLog(window);
    zov::records::installTrendView(window);
    zov::records::installSessionRecord(window);
    window.setShowHidden(choices.showHidden);
    window.start();
    return QApplication::exec();
}
