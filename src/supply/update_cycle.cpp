#include "update_cycle.h"

#include "app/identity_area.h"
#include "app/main_window.h"

namespace zov::supply {

UpdateCycle::UpdateCycle(app::MainWindow& window, app::IdentityArea& identity)
    : QObject(&window), window_(window), identity_(identity), poller_(window.supply(), this) {
    connect(window_.menuItem(QStringLiteral("mnu_AUTOUPDATE")), &QAction::triggered, this,
            &UpdateCycle::mnu_AUTOUPDATE_Click);
    connect(window_.menuItem(QStringLiteral("mnu_MANUAL")), &QAction::triggered, this,
            &UpdateCycle::mnu_MANUAL_Click);
}

void UpdateCycle::setCheckMarks(bool automatic) {
    window_.menuItem(QStringLiteral("mnu_AUTOUPDATE"))->setChecked(automatic);
    window_.menuItem(QStringLiteral("mnu_MANUAL"))->setChecked(!automatic);
}

void UpdateCycle::mnu_AUTOUPDATE_Click() {
    setCheckMarks(true);
    window_.disableCommandButtons();
    identity_.readAll();
    poller_.start();
}

void UpdateCycle::mnu_MANUAL_Click() {
    poller_.stop();
    setCheckMarks(false);
    window_.enableCommandButtons();
}

void UpdateCycle::tmr_UPDATE_Timer() {
    poller_.tick();
}

}  // namespace zov::supply
