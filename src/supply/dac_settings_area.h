// "DAC SETTINGS": reads each setpoint channel back from the supply and shows
// it in engineering units, with the raw count in the unscaled-data window.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/setpoint_channel.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class DacSettingsArea : public QGroupBox {
    Q_OBJECT
public:
    explicit DacSettingsArea(app::MainWindow& window);

    // The read of one channel (btn_KVSET, btn_EMI, btn_FILLIM, btn_FILPREHEAT).
    // A reply that cannot be read leaves both boxes as they were.
    void readSetpoint(core::Channel channel);

    // txt_DACA .. txt_DACD
    QLineEdit* displayBox(core::Channel channel) const {
        return boxes_[static_cast<std::size_t>(channel)];
    }

private:
    app::MainWindow& window_;
    std::array<QLineEdit*, 4> boxes_{};
};

}  // namespace zov::supply
