// Single service commands of the "Controls" menu: the hardware revision
// stored in the unit, its total-hours counter and its watchdog.
#pragma once

#include "core/service_commands.h"

namespace zov::app {
class IdentityArea;
class MainWindow;
}  // namespace zov::app

namespace zov::supply {
class SystemStatusArea;
}

namespace zov::config {

// The commands' own rules live in the core, beside the Supply's operations.
using core::hardwareRevisionCommand;
using core::revisionTaken;
using core::watchdogToggleCommand;

// "Set H/W Revision": after a confirmation, the new revision is sent and
// read back into the hardware-revision field, or that field says "Change
// Failed".
void mnu_HWREV_Click(app::MainWindow& window, app::IdentityArea& identity);
// "Reset Total Hours": "30,", no confirmation, nothing shown.
void mnu_Reset_total_hrs_Click(app::MainWindow& window);
// The watchdog item: switches the unit's watchdog to the other state than
// the console takes it to be in, and shows the new state whatever the reply.
void enableWdt_Click(app::MainWindow& window, supply::SystemStatusArea& status);

}  // namespace zov::config
