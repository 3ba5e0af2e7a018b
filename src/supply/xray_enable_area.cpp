#include "xray_enable_area.h"

#include <QVBoxLayout>

#include "app/extras_window.h"
#include "app/main_window.h"
#include "supply/panel_controls.h"
#include "supply/raw_data_window.h"

namespace zov::supply {
namespace {

// Relay 1 carries the X-ray enable: energized, its normally-open contacts close.
void showEnableRelay(RelayDrawing& relay, bool energized) {
    relay.lbl_INTRLK()->setText(energized ? QStringLiteral("Energized")
                                          : QStringLiteral("De-Energized"));
    for (app::InstrumentButton* lamp : {relay.led_INTRLK(), relay.led_NC(), relay.led_NO()}) {
        lamp->setValue(energized);
    }
    relay.line_NC1()->setVisible(!energized);
    relay.line_NC2()->setVisible(!energized);
    relay.line_NO1()->setVisible(energized);
    relay.line_NO2()->setVisible(energized);
    relay.lbl_RS()->setText(energized ? QStringLiteral("Relay Sense:          Low")
                                      : QStringLiteral("Relay Sense:          High"));
    relay.led_RS()->setValue(energized);
    relay.lbl_AUX()->setText(energized ? QStringLiteral("AUX:  JB8-10 Floats")
                                       : QStringLiteral("AUX:  JB8-10 To GND"));
}

}  // namespace

XrayEnableArea::XrayEnableArea(app::MainWindow& window)
    : QGroupBox(QStringLiteral("X-Ray Enable")), window_(window) {
    setObjectName(QStringLiteral("fra_XRAYENABLE"));
    switch_ = new app::InstrumentButton(app::InstrumentButton::Mode::Switch, this);
    switch_->setObjectName(QStringLiteral("btn_HVONOFF"));
    switch_->setToolTip(QStringLiteral("Turn HV On and Off"));
    switch_->setAccessibleName(QStringLiteral("X-ray enable"));
    // The operator's click has already flipped the switch; the request is
    // made from the value it had.
    connect(switch_, &app::InstrumentButton::operated, this, [this] {
        switch_->setValue(!switch_->value());
        toggleXray();
    });
    // The switch moving on, by a request or by the unit's report, ends any
    // confirmation that the output is off.
    connect(switch_, &app::InstrumentButton::toggled, this, [this](bool on) {
        if (on) {
            offConfirmed_ = false;
        }
    });
    core::Supply& supply = window_.supply();
    connect(&supply, &core::Supply::changed, this, &XrayEnableArea::showRequested);
    connect(&supply, &core::Supply::xrayAcknowledged, this, &XrayEnableArea::showAcknowledged);
    QLabel* enable = makeCaption(QStringLiteral("ENABLE"));
    QLabel* disable = makeCaption(QStringLiteral("DISABLE"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(enable, 0, Qt::AlignHCenter);
    column->addWidget(switch_, 0, Qt::AlignHCenter);
    column->addWidget(disable, 0, Qt::AlignHCenter);
}

void XrayEnableArea::toggleXray() {
    requestXray(!switch_->value());
}

void XrayEnableArea::requestXrayOff() {
    requestXray(false);
}

void XrayEnableArea::requestXray(bool requestOn) {
    offConfirmed_ = false;
    if (window_.supply().setXray(requestOn).answer == core::Answer::Refused) {
        window_.extrasWindow().setLastError(QStringLiteral("1"));
    }
    window_.extrasWindow().setCommErrors(window_.state().CommErrors);
}

// The switch is the record of what was requested; a report from the unit
// moves it, never its operation, so nothing is sent.
void XrayEnableArea::showRequested() {
    switch_->setValue(window_.supply().xrayRequested());
}

void XrayEnableArea::showAcknowledged(bool on) {
    offConfirmed_ = !on;
    showEnableRelay(rawDataWindow(window_).interlock(1), on);
}

}  // namespace zov::supply
