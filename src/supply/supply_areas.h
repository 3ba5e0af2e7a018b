// The supply-control areas of the main window and the menu items that
// reach them.
#pragma once

namespace zov::app {
class IdentityArea;
class MainWindow;
}  // namespace zov::app

namespace zov::supply {

class ArcArea;
class DacEditorArea;
class DacSettingsArea;
class LocalRemoteArea;
class ReadbacksArea;
class ResetFaultArea;
class SystemStatusArea;
class UpdateCycle;
class XrayEnableArea;

struct SupplyAreas {
    DacSettingsArea* dacSettings;
    LocalRemoteArea* localRemote;
    SystemStatusArea* systemStatus;
    XrayEnableArea* xrayEnable;
    ResetFaultArea* resetFault;
    ArcArea* arc;
    DacEditorArea* dacEditor;
    ReadbacksArea* readbacks;
    UpdateCycle* updateCycle;
};

// Builds and places the areas, wires "View Unscaled Data", the status request
// and the automatic update that follow a link choice and the two shutdown
// hooks of the local/remote switch. The areas draw what the supply object
// reports, the unsolicited status messages of the TCP link among it. The
// update cycle reads the identity through `identity`.
SupplyAreas installSupplyAreas(app::MainWindow& window, app::IdentityArea& identity);

}  // namespace zov::supply
