#include "install_seasoning.h"

#include "season/cycle_test.h"
#include "season/seasoning.h"

namespace zov::season {

SeasonTools installSeasoning(app::MainWindow& window, const supply::SupplyAreas& /*areas*/) {
    return {new Seasoning(window), new CycleTest(window)};
}

}  // namespace zov::season
