// "X-Ray Enable": the switch that asks the supply to switch its high-voltage
// output, and toggleXray, the panel's way to do it. The switch shows the
// output as the supply object last requested it or heard it reported, so it
// stays right when the core switches the output itself.
#pragma once

#include <QGroupBox>

#include "app/widgets/instrument_button.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class XrayEnableArea : public QGroupBox {
    Q_OBJECT
public:
    explicit XrayEnableArea(app::MainWindow& window);

    // Requests the opposite of the switch: "ENBL 1;" when it is off,
    // "ENBL 0;" when it is on (Supply::setXray). The switch shows the request
    // from before the command goes out; the X-ray lamp and relay 1 follow
    // only an acknowledgement. A caller that wants a definite state reads the
    // switch first. Brackets the exchange itself, so a timer may call it.
    void toggleXray();
    // Requests off ("ENBL 0;") whatever the switch shows, handled as
    // toggleXray handles it: for a caller that must leave the output off.
    void requestXrayOff();
    // The unit acknowledged the last request as off and has not reported the
    // output on since. Otherwise the output may be on with the switch off: a
    // refused or unanswered "ENBL 0;" leaves the switch showing the request.
    [[nodiscard]] bool offConfirmed() const { return offConfirmed_; }

    app::InstrumentButton* btn_HVONOFF() const { return switch_; }

private:
    void requestXray(bool on);
    void showAcknowledged(bool on);
    void showRequested();

    app::MainWindow& window_;
    app::InstrumentButton* switch_;
    bool offConfirmed_ = false;
};

}  // namespace zov::supply
