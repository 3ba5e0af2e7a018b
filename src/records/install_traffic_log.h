// The traffic log of a main window: recording from start-up, and the View
// menu's "Traffic Log" item that opens its window.
#pragma once

#include "app/main_window.h"
#include "records/traffic_log_window.h"
#include "records/traffic_recorder.h"

namespace zov::records {

inline const QString kTrafficLogWindow = QStringLiteral("frm_TRAFFICLOG");

// Starts recording the window's exchange and adds the menu item
// (mnu_TRAFFICLOG). The recorder lives as long as the main window.
TrafficRecorder& installTrafficLog(app::MainWindow& window);

// The loaded traffic log window, created hidden when none is.
TrafficLogWindow& trafficLogWindow(app::MainWindow& window, TrafficRecorder& recorder);

}  // namespace zov::records
