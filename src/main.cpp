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
#include "sim/simulator.h"
#include "supply/supply_areas.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zov-console"));
    QApplication::setApplicationDisplayName(QStringLiteral("ZOV Interface"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

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

    zov::app::QtPrompter prompter(nullptr);
    zov::app::MainWindow window(prompter);

    // The simulated supply lives in this process: its pseudo-terminal is
    // where every serial port choice leads, its TCP port fills the host dialog.
    QTemporaryDir simulatorDirectory;
    std::unique_ptr<zov::sim::Simulator> supply;
    if (options.isSet(simulator)) {
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
    zov::app::installIdentityArea(window);
    zov::supply::installSupplyAreas(window);
    window.setShowHidden(options.isSet(showHidden));
    window.start();
    return QApplication::exec();
}
