// The scaling read as the panel runs it: the unit's full scales read, and
// every scaled display told when a factor changed.
#pragma once

#include "core/scaling.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

// The "Request Scaling" read in its own exchange bracket.
void getScaling(app::MainWindow& window);

// core::readScaleIfMissing, announcing a changed factor to the panel.
void readScaleIfMissing(app::MainWindow& window, double core::MainState::*factor);

}  // namespace zov::supply
