// The supply-control areas of the main window and the menu items that
// reach them.
#pragma once

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class DacSettingsArea;
class LocalRemoteArea;

struct SupplyAreas {
    DacSettingsArea* dacSettings;
    LocalRemoteArea* localRemote;
};

// Builds and places the areas, wires "View Unscaled Data" and the two
// shutdown hooks of the local/remote switch.
SupplyAreas installSupplyAreas(app::MainWindow& window);

}  // namespace zov::supply
