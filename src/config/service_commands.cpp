#include "service_commands.h"

#include "app/identity_area.h"
#include "app/main_window.h"
#include "config/typed_entry.h"
#include "supply/system_status_area.h"

namespace zov::config {

// The background timers keep running here: an update step that falls due
// during the wait runs right after it.
void mnu_HWREV_Click(app::MainWindow& window, app::IdentityArea& identity) {
    app::Prompter& prompter = window.prompter();
    if (!prompter.confirm(QStringLiteral("Are you sure you want to change the Rev Number?"),
                          QStringLiteral("Decide Now!"))) {
        return;
    }
    const auto answer = askSendableEntry(prompter, QStringLiteral("Enter the new HW Rev Number"),
                                         QStringLiteral("Change Hardware Revision Number"),
                                         window.state().HwRevDefault);
    if (!answer) {
        return;
    }
    if (window.supply().setHardwareRevision(*answer).done()) {
        identity.btn_HWREV_Click();
        return;
    }
    identity.txt_HWREV()->setText(QStringLiteral("Change Failed"));
}

void mnu_Reset_total_hrs_Click(app::MainWindow& window) {
    (void)window.supply().resetTotalHours();
}

void enableWdt_Click(app::MainWindow& window, supply::SystemStatusArea& status) {
    const bool enabled = window.state().wdtEnabled;
    // The new state shows whatever the reply, as it always did.
    core::Supply& supply = window.supply();
    const core::Supply::ServicePause pause(supply);
    (void)supply.setWatchdog(!enabled);
    status.showWatchdog(!enabled);
}

}  // namespace zov::config
