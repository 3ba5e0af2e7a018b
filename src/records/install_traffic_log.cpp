#include "records/install_traffic_log.h"

namespace zov::records {

TrafficRecorder& installTrafficLog(app::MainWindow& window) {
    auto* recorder = new TrafficRecorder(window.exchange(), &window);
    QAction* item = window.viewMenu().addAction(QStringLiteral("Traffic Log"));
    item->setObjectName(QStringLiteral("mnu_TRAFFICLOG"));
    QObject::connect(item, &QAction::triggered, &window, [&window, recorder] {
        TrafficLogWindow& log = trafficLogWindow(window, *recorder);
        log.show();
        log.raise();
        log.activateWindow();
    });
    return *recorder;
}

TrafficLogWindow& trafficLogWindow(app::MainWindow& window, TrafficRecorder& recorder) {
    QWidget* loaded = window.secondaryWindow(kTrafficLogWindow, [&window, &recorder] {
        return new TrafficLogWindow(recorder.log(), window.prompter(), &window);
    });
    return *static_cast<TrafficLogWindow*>(loaded);
}

}  // namespace zov::records
