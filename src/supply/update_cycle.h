// The automatic update mode on the panel: the core's update poller (every
// 66 ms one step of a twelve-step cycle of monitor, setpoint, status and
// scaling reads and a keep-alive) with the manual command buttons disabled.
// "Auto Update Mode" reads the identity once and starts it; "Manual Update
// Mode" stops it. The areas draw what each step read from the supply object.
#pragma once

#include <QObject>

#include "core/poller.h"

namespace zov::app {
class IdentityArea;
class MainWindow;
}  // namespace zov::app

namespace zov::supply {

class UpdateCycle : public QObject {
    Q_OBJECT
public:
    UpdateCycle(app::MainWindow& window, app::IdentityArea& identity);

    void mnu_AUTOUPDATE_Click();
    void mnu_MANUAL_Click();
    // One step, then the counter moves on.
    void tmr_UPDATE_Timer();

private:
    void setCheckMarks(bool automatic);

    app::MainWindow& window_;
    app::IdentityArea& identity_;
    core::Poller poller_;
};

}  // namespace zov::supply
