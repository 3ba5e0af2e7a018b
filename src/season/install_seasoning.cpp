#include "install_seasoning.h"

#include "season/cycle_test.h"
#include "season/seasoning.h"
#include "supply/supply_areas.h"

namespace zov::season {

SeasonTools installSeasoning(app::MainWindow& window, const supply::SupplyAreas& areas) {
    return {new Seasoning(window, *areas.xrayEnable), new CycleTest(window, *areas.xrayEnable)};
}

}  // namespace zov::season
