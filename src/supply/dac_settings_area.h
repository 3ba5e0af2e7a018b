// "DAC SETTINGS": reads each setpoint channel back from the supply and shows
// it in engineering units, with the raw count in the unscaled-data window.
// The boxes show each setpoint the supply object reports, whoever read or
// programmed it.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "app/drawn_reading.h"
#include "core/setpoint_channel.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class DacSettingsArea : public QGroupBox {
    Q_OBJECT
public:
    explicit DacSettingsArea(app::MainWindow& window);

    // The read of one channel (btn_KVSET, btn_EMI, btn_FILLIM, btn_FILPREHEAT,
    // Supply::readSetpoint). A reply that cannot be read leaves both boxes as
    // they were.
    void readSetpoint(core::Channel channel);
    // The editor wrote its own text into the channel's box: the unit's next
    // report of the setpoint shows, whatever it is.
    void drawnOver(core::Channel channel);

    // txt_DACA .. txt_DACD
    QLineEdit* displayBox(core::Channel channel) const {
        return boxes_[static_cast<std::size_t>(channel)];
    }

private:
    void showReadings();

    app::MainWindow& window_;
    std::array<QLineEdit*, 4> boxes_{};
    std::array<app::DrawnReading<core::SetpointValue>, 4> drawn_;
};

}  // namespace zov::supply
