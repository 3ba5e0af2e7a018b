// "READBACKS" (output voltage and current, filament current), "AUXILIARY
// VOLTAGE" (the -15 V rail and the temperature) and "UPDATE DATA", the
// button that reads them all once. The update cycle runs the two reads as
// steps of its own; the boxes show each monitor's reply as the supply object
// reports it, whoever made the read.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <initializer_list>

#include "app/widgets/instrument_button.h"
#include "core/monitors.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class ReadbacksArea : public QObject {
    Q_OBJECT
public:
    explicit ReadbacksArea(app::MainWindow& window);

    // Voltage, current, filament current; then auxiliary supply, temperature
    // (Supply::readMonitors).
    void readHvMonitors();
    void readAuxMonitors();
    // btn_UPDATEDATA: both, showing "WAITING!" until a voltage reply comes.
    void btn_UPDATEDATA_Click();

    QGroupBox* readbacksFrame() const { return readbacks_; }
    QGroupBox* auxiliaryFrame() const { return auxiliary_; }
    QGroupBox* updateFrame() const { return update_; }
    QLineEdit* displayBox(core::Monitor monitor) const {
        return boxes_[static_cast<std::size_t>(monitor)];
    }
    app::InstrumentButton* btn_UPDATEDATA() const { return updateButton_; }

private:
    QGroupBox* makeFrame(const QString& caption, const char* name,
                         std::initializer_list<core::Monitor> monitors);
    void showReply(core::Monitor monitor, const core::MonitorOutcome& outcome);

    app::MainWindow& window_;
    std::array<QLineEdit*, core::kMonitors.size()> boxes_{};
    QGroupBox* readbacks_;
    QGroupBox* auxiliary_;
    QGroupBox* update_;
    app::InstrumentButton* updateButton_;
};

}  // namespace zov::supply
