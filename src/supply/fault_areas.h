// "ARC", the count of arcs the supply object saw in successive status reads,
// and "RESET FAULT", the button that asks the unit to clear its latched faults.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/widgets/instrument_button.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class ArcArea : public QGroupBox {
    Q_OBJECT
public:
    explicit ArcArea(app::MainWindow& window);

    // btn_clrArc: armed again, count 0; nothing is sent.
    void btn_clrArc_Click();

    QLineEdit* Txt_arcCount() const { return count_; }
    QPushButton* btn_clrArc() const { return clear_; }

private:
    void showCount();

    app::MainWindow& window_;
    QLineEdit* count_;
    QPushButton* clear_;
};

class ResetFaultArea : public QGroupBox {
    Q_OBJECT
public:
    explicit ResetFaultArea(app::MainWindow& window);

    // btn_RSTTIME: "CLR;". The button stays at "In Process!" only when the
    // unit answers "$" at character 2; the next status read shows the result.
    void btn_RSTTIME_Click();

    app::InstrumentButton* btn_RSTTIME() const { return reset_; }

private:
    app::MainWindow& window_;
    app::InstrumentButton* reset_;
};

}  // namespace zov::supply
