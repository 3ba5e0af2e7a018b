#include "supply_areas.h"

#include <QPointer>

#include "app/main_window.h"
#include "app/widgets/accessibility.h"
#include "supply/dac_editor_area.h"
#include "supply/dac_settings_area.h"
#include "supply/fault_areas.h"
#include "supply/local_remote_area.h"
#include "supply/raw_data_window.h"
#include "supply/readbacks_area.h"
#include "supply/system_status_area.h"
#include "supply/update_cycle.h"
#include "supply/xray_enable_area.h"

namespace zov::supply {

namespace {

template <typename Area>
Area* place(app::MainWindow& window, app::MainArea where, Area* area) {
    window.placeArea(where, area);
    app::applyProtocolNames(area);
    return area;
}

}  // namespace

SupplyAreas installSupplyAreas(app::MainWindow& window, app::IdentityArea& identity) {
    auto* dacSettings = place(window, app::MainArea::DacSettings, new DacSettingsArea(window));
    auto* localRemote = place(window, app::MainArea::LocalRemote, new LocalRemoteArea(window));
    auto* systemStatus = place(window, app::MainArea::SystemStatus, new SystemStatusArea(window));
    auto* xrayEnable = place(window, app::MainArea::XrayEnable, new XrayEnableArea(window));
    auto* resetFault = place(window, app::MainArea::ResetFault, new ResetFaultArea(window));
    auto* arc = place(window, app::MainArea::Arc, new ArcArea(window));
    auto* dacEditor =
        place(window, app::MainArea::SetDacChannels, new DacEditorArea(window, *dacSettings));
    auto* readbacks = new ReadbacksArea(window);
    place(window, app::MainArea::Readbacks, readbacks->readbacksFrame());
    place(window, app::MainArea::AuxiliaryVoltage, readbacks->auxiliaryFrame());
    place(window, app::MainArea::UpdateData, readbacks->updateFrame());
    auto* updateCycle = new UpdateCycle(window, identity);

    QObject::connect(window.menuItem(QStringLiteral("mnu_RAWDATA")), &QAction::triggered, &window,
                     [&window] { showRawDataWindow(window); });

    const QPointer<SystemStatusArea> status(systemStatus);
    window.hooks().requestStatus = [status] {
        if (status) {
            status->btn_REQSTAT_Click();
        }
    };
    const QPointer<UpdateCycle> cycle(updateCycle);
    window.hooks().startAutoUpdate = [cycle] {
        if (cycle) {
            cycle->mnu_AUTOUPDATE_Click();
        }
    };
    const QPointer<LocalRemoteArea> area(localRemote);
    window.hooks().goLocalForShutdown = [area] {
        if (area) {
            area->goLocalForShutdown();
        }
    };
    window.hooks().releaseLocalRemote = [area] {
        if (area) {
            area->release();
        }
    };
    return {dacSettings, localRemote, systemStatus, xrayEnable, resetFault,
            arc,         dacEditor,   readbacks,    updateCycle};
}

}  // namespace zov::supply
