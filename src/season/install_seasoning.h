// Tube seasoning and the HV cycle test, wired to their Controls menu items.
#pragma once

namespace zov::app {
class MainWindow;
}
namespace zov::supply {
struct SupplyAreas;
}

namespace zov::season {

class CycleTest;
class Seasoning;

struct SeasonTools {
    Seasoning* seasoning;
    CycleTest* cycleTest;
};

// After installSupplyAreas. Both switch the output through the window's
// supply object, whose requests the X-ray area shows.
SeasonTools installSeasoning(app::MainWindow& window, const supply::SupplyAreas& areas);

}  // namespace zov::season
