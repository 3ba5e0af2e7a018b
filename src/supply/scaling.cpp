#include "scaling.h"

#include "app/main_window.h"

namespace zov::supply {
namespace {

// Runs `read` and tells the scaled displays when it changed a factor.
template <typename Read>
void announcingChanges(app::MainWindow& window, Read read) {
    const core::MainState& state = window.state();
    const double kvBefore = state.KvScaleFactor;
    const double maBefore = state.mAScaleFactor;
    read();
    if (state.KvScaleFactor != kvBefore || state.mAScaleFactor != maBefore) {
        emit window.scaleFactorsChanged();
    }
}

}  // namespace

void getScaling(app::MainWindow& window) {
    core::CommandExchange& exchange = window.exchange();
    announcingChanges(window, [&] {
        exchange.suspendBackgroundTimers();
        core::readScaling(exchange, window.state());
        exchange.resumeBackgroundTimers();
    });
}

void readScaleIfMissing(app::MainWindow& window, double core::MainState::*factor) {
    announcingChanges(window,
                      [&] { core::readScaleIfMissing(window.exchange(), window.state(), factor); });
}

}  // namespace zov::supply
