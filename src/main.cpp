// zov-console: the operator and service console for ZOV high-voltage supplies.
#include <QApplication>
#include <QCommandLineParser>

#include "app/main_window.h"
#include "app/widgets/qt_prompter.h"

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
    window.setShowHidden(options.isSet(showHidden));
    window.start();
    return QApplication::exec();
}
