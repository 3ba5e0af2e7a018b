// zov-console: the operator and service console for ZOV high-voltage supplies.
#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "app/identity_area.h"
#include "app/link_selection.h"
#include "app/main_window.h"
#include "app/widgets/qt_prompter.h"
#include "config/configuration.h"
#include "season/install_seasoning.h"
#include "sim/simulator.h"
#include "supply/supply_areas.h"

namespace {

struct Choices {
    bool simulator = false;
    bool showHidden = false;
};

// Asked only for help or the version: answered without the window system, so
// it works on a machine without a display (a technician's SSH session).
bool asksOnlyForText(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (argument == option) {
                return true;
            }
        }
    }
    return false;
}

// Ends the program for --help, --version and options it does not know.
Choices parseCommandLine(const QCoreApplication& application) {
    QCoreApplication::setApplicationName(QStringLiteral("zov-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Operator and service console for ZOV high-voltage X-ray supplies."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption simulator(
        QStringLiteral("simulator"),
        QStringLiteral("Run a simulated supply inside the console; every port choice reaches it."));
    const QCommandLineOption showHidden(
        QStringLiteral("show-hidden"),
        QStringLiteral("Also show the menu items and buttons that start hidden (service use)."));
    options.addOption(simulator);
    options.addOption(showHidden);
    options.process(application);
    return {options.isSet(simulator), options.isSet(showHidden)};
}

}  // namespace

int main(int argc, char* argv[]) {
    if (asksOnlyForText(argc, argv)) {
        const QCoreApplication textOnly(argc, argv);
        parseCommandLine(textOnly);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ZOV Interface"));
    const Choices choices = parseCommandLine(application);

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
    window.setShowHidden(choices.showHidden);
    window.start();
    return QApplication::exec();
}
