// The unit-configuration items of the main window's menus: the factory,
// user-option and serial-number windows, the service commands and the About
// window.
#pragma once

namespace zov::app {
class IdentityArea;
class MainWindow;
}  // namespace zov::app

namespace zov::supply {
struct SupplyAreas;
}

namespace zov::config {

// Wires "Factory Config", "User Option Config", "Serial Number", "Set H/W
// Revision", "Reset Total Hours", the watchdog item and "About".
void installConfiguration(app::MainWindow& window, app::IdentityArea& identity,
                          const supply::SupplyAreas& areas);

// "Factory Config": frm_config, modal.
void openFactoryConfig(app::MainWindow& window);
// "User Option Config": frm_prog_conf, modal, shown once the options are read.
void openUserOptions(app::MainWindow& window);

}  // namespace zov::config
