// The supply-control areas of the main window and the menu items that
// reach them.
#pragma once

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class ArcArea;
class DacSettingsArea;
class LocalRemoteArea;
class ResetFaultArea;
class SystemStatusArea;
class XrayEnableArea;

struct SupplyAreas {
    DacSettingsArea* dacSettings;
    LocalRemoteArea* localRemote;
    SystemStatusArea* systemStatus;
    XrayEnableArea* xrayEnable;
    ResetFaultArea* resetFault;
    ArcArea* arc;
};

// Builds and places the areas, wires "View Unscaled Data", the status request
// that follows a link choice, the unsolicited status messages of the TCP link
// and the two shutdown hooks of the local/remote switch.
SupplyAreas installSupplyAreas(app::MainWindow& window);

}  // namespace zov::supply
