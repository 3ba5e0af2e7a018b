#include "supply_areas.h"

#include <QPointer>

#include "app/main_window.h"
#include "app/widgets/accessibility.h"
#include "supply/dac_settings_area.h"
#include "supply/local_remote_area.h"
#include "supply/raw_data_window.h"

namespace zov::supply {

SupplyAreas installSupplyAreas(app::MainWindow& window) {
    auto* dacSettings = new DacSettingsArea(window);
    window.placeArea(app::MainArea::DacSettings, dacSettings);
    app::applyProtocolNames(dacSettings);

    auto* localRemote = new LocalRemoteArea(window);
    window.placeArea(app::MainArea::LocalRemote, localRemote);
    app::applyProtocolNames(localRemote);

    QObject::connect(window.menuItem(QStringLiteral("mnu_RAWDATA")), &QAction::triggered, &window,
                     [&window] { showRawDataWindow(window); });

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
    return {dacSettings, localRemote};
}

}  // namespace zov::supply
