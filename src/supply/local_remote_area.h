// "LOCAL/REMOTE": the switch that puts the supply under remote control or
// hands it back to its local controls, and the hidden "Request Scaling"
// control. The standard set-up keeps the whole frame hidden; the shutdown
// sequence and the update cycle operate both from code.
#pragma once

#include <QGroupBox>
#include <QPushButton>

#include "app/drawn_reading.h"
#include "app/widgets/instrument_button.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class LocalRemoteArea : public QGroupBox {
    Q_OBJECT
public:
    explicit LocalRemoteArea(app::MainWindow& window);

    // Requests the opposite of the switch's present value: "99,0," (local)
    // when on, "99,1," (remote) when off (Supply::setRemote). Only an
    // acknowledging "$" at character 5 moves the switch; so does a status
    // report of the unit's remote state.
    void btn_local_remote_Click();

    // Shutdown: switch on, then the click, so "99,0," is sent and answered.
    void goLocalForShutdown();
    // Closing the window: switch off, nothing sent.
    void release();

    app::InstrumentButton* btn_local_remote() const { return switch_; }
    QPushButton* getScaling() const { return scaling_; }

private:
    void showRemote();

    app::MainWindow& window_;
    app::DrawnReading<bool> drawn_;
    app::InstrumentButton* switch_;
    QPushButton* scaling_;
};

}  // namespace zov::supply
