#include "configuration.h"

#include <QAction>

#include "app/main_window.h"
#include "config/about_window.h"
#include "config/factory_config_window.h"
#include "config/serial_number_window.h"
#include "config/service_commands.h"
#include "config/user_options_window.h"
#include "config/window_parts.h"
#include "supply/supply_areas.h"

namespace zov::config {

void openFactoryConfig(app::MainWindow& window) {
    runModal(window, new FactoryConfigWindow(window));
}

void openUserOptions(app::MainWindow& window) {
    auto* options = new UserOptionsWindow(window);
    options->load();
    runModal(window, options);
}

void installConfiguration(app::MainWindow& window, app::IdentityArea& identity,
                          const supply::SupplyAreas& areas) {
    const auto onItem = [&window](const char* name, auto action) {
        QObject::connect(window.menuItem(QLatin1String(name)), &QAction::triggered, &window,
                         action);
    };
    onItem("mnu_Config", [&window] { openFactoryConfig(window); });
    onItem("mnu_UserConfig", [&window] { openUserOptions(window); });
    onItem("mnu_Serial", [&window, &identity] { openSerialNumberWindow(window, identity); });
    onItem("mnu_HWREV", [&window, &identity] { mnu_HWREV_Click(window, identity); });
    onItem("mnu_Reset_total_hrs", [&window] { mnu_Reset_total_hrs_Click(window); });
    supply::SystemStatusArea* status = areas.systemStatus;
    onItem("enableWdt", [&window, status] { enableWdt_Click(window, *status); });
    onItem("mnu_ABOUT", [&window] { showAboutWindow(window); });
}

}  // namespace zov::config
