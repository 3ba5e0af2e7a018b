// "SET DAC CHANNELS": programs one setpoint channel at a time. The operator
// picks the channel, edits the value in engineering units (the count edit
// beside it is hidden), and programs it ("PROGRAM") or puts the accepted
// value back ("CANCEL"). The editor starts from the value last accepted
// since the program started, never from the unit's present setpoint.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <optional>

#include "app/widgets/numeric_edit.h"
#include "core/dac_editor.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class DacSettingsArea;

class DacEditorArea : public QGroupBox {
    Q_OBJECT
public:
    DacEditorArea(app::MainWindow& window, DacSettingsArea& displays);

    // Click of opt_DACA .. opt_DACD.
    void selectChannel(core::Channel channel);
    // btn_UPDATE, "TRY OUT": transmits the edited count of the selected
    // channel (Supply::program); its box says "Not Set" until the unit
    // confirms, "Invalid" when it refuses, "No Comms" when no answer came.
    void btn_UPDATE_Click();
    // btn_ACCEPT, "PROGRAM": transmits, then the edited count becomes the
    // accepted one whatever the unit answered.
    void btn_ACCEPT_Click();
    // btn_CANCEL, "CANCEL": the accepted count back into the edits, and sent
    // again (Supply::revert); its answer changes no display.
    void btn_CANCEL_Click();

    [[nodiscard]] std::optional<core::Channel> selectedChannel() const;
    QRadioButton* option(core::Channel channel) const { return options_[index(channel)]; }
    app::NumericEdit* ctrl_SCALVAL() const { return scaled_; }
    app::NumericEdit* ctrl_BITVAL() const { return count_; }
    QLabel* lbl_CHMOD() const { return modifying_; }
    // Says why a scaled value was not taken; hidden otherwise.
    QLabel* scaleNotice() const { return scaleNotice_; }
    QPushButton* btn_ACCEPT() const { return accept_; }
    QPushButton* btn_CANCEL() const { return cancel_; }
    QPushButton* btn_UPDATE() const { return transmit_; }

private:
    static std::size_t index(core::Channel channel) { return static_cast<std::size_t>(channel); }
    [[nodiscard]] double scale(const core::EditorChannel& row) const;
    void showScale();
    void countChanged(double count);
    void scaledChanged(double scaled);

    app::MainWindow& window_;
    DacSettingsArea& displays_;
    std::array<QRadioButton*, 4> options_{};
    QLabel* modifying_;
    app::NumericEdit* scaled_;
    app::NumericEdit* count_;
    QLabel* scaleNotice_;
    QPushButton* accept_;
    QPushButton* cancel_;
    QPushButton* transmit_;
};

}  // namespace zov::supply
