// frm_RAWDATA: the raw converter counts behind the main window's scaled
// values, the digital inputs and outputs and the three interlock relays. It
// has no logic of its own; the main window's operations write into it.
#pragma once

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <array>

#include "app/widgets/instrument_button.h"
#include "core/setpoint_channel.h"
#include "supply/relay_drawing.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class RawDataWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kAdcChannels = 16;
    static constexpr int kDigitalInputs = 8;
    static constexpr int kDigitalOutputs = 5;

    explicit RawDataWindow(QWidget* parent = nullptr);

    // txt_RAWDACA .. txt_RAWDACD
    QLineEdit* rawDacBox(core::Channel channel) const { return rawDac_[index(channel)]; }
    // Arrays keep their index in the name: "txt_DATA(2)", "led_IN(0)".
    QLineEdit* txt_DATA(int index) const { return adc_.at(static_cast<std::size_t>(index)); }
    app::InstrumentButton* led_IN(int index) const {
        return inputs_.at(static_cast<std::size_t>(index));
    }
    app::InstrumentButton* btn_DOUT(int index) const {
        return outputSwitches_.at(static_cast<std::size_t>(index));
    }
    app::InstrumentButton* led_OUT(int index) const {
        return outputLeds_.at(static_cast<std::size_t>(index));
    }
    // Relay 1, 2 or 3.
    RelayDrawing& interlock(int number) const {
        return *relays_.at(static_cast<std::size_t>(number - 1));
    }
    // "Misc Information": opens the communication diagnostics.
    QAction* mnu_misc() const { return misc_; }

private:
    static std::size_t index(core::Channel channel) { return static_cast<std::size_t>(channel); }
    QWidget* buildDacFrame();
    QWidget* buildAdcBoxes();
    QWidget* buildDigitalInputs();
    QWidget* buildDigitalOutputs();

    std::array<QLineEdit*, 4> rawDac_{};
    std::array<QLineEdit*, kAdcChannels> adc_{};
    std::array<app::InstrumentButton*, kDigitalInputs> inputs_{};
    std::array<app::InstrumentButton*, kDigitalOutputs> outputSwitches_{};
    std::array<app::InstrumentButton*, kDigitalOutputs> outputLeds_{};
    std::array<RelayDrawing*, 3> relays_{};
    QAction* misc_;
};

// The loaded window, created hidden on first use; writers never show it.
RawDataWindow& rawDataWindow(app::MainWindow& window);
// "View Unscaled Data": shows it modeless.
void showRawDataWindow(app::MainWindow& window);

}  // namespace zov::supply
