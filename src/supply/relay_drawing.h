// The drawing of one interlock relay in the unscaled-data window: its state,
// lamps for the coil, the three contacts and the sense line, and the contact
// lines that show which way the relay has switched.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>

#include "app/widgets/instrument_button.h"

namespace zov::supply {

class RelayDrawing : public QGroupBox {
    Q_OBJECT
public:
    // `number` is 1, 2 or 3; the pins and the auxiliary caption differ per relay.
    explicit RelayDrawing(int number, QWidget* parent = nullptr);

    QLabel* lbl_INTRLK() const { return state_; }
    app::InstrumentButton* led_INTRLK() const { return coil_; }
    app::InstrumentButton* led_NC() const { return normallyClosed_; }
    app::InstrumentButton* led_COM() const { return common_; }
    app::InstrumentButton* led_NO() const { return normallyOpen_; }
    app::InstrumentButton* led_RS() const { return sense_; }
    // The normally-closed path (line_NCn1, line_NCn2), the common line and
    // the normally-open path (line_NOn1, line_NOn2), hidden at start.
    QFrame* line_NC1() const { return closedLines_[0]; }
    QFrame* line_NC2() const { return closedLines_[1]; }
    QFrame* line_COM() const { return commonLine_; }
    QFrame* line_NO1() const { return openLines_[0]; }
    QFrame* line_NO2() const { return openLines_[1]; }
    QLabel* lbl_RS() const { return senseCaption_; }
    QLabel* lbl_AUX() const { return auxCaption_; }

private:
    QLabel* state_;
    app::InstrumentButton* coil_;
    app::InstrumentButton* normallyClosed_;
    app::InstrumentButton* common_;
    app::InstrumentButton* normallyOpen_;
    app::InstrumentButton* sense_;
    QFrame* closedLines_[2];
    QFrame* commonLine_;
    QFrame* openLines_[2];
    QLabel* senseCaption_;
    QLabel* auxCaption_;
};

}  // namespace zov::supply
