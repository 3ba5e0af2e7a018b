// "SYSTEM STATUS": the supply's X-ray state, its fault flags, the interlock,
// the supply fault and watchdog lamps, and the reads that fill them: the
// status read ("STAT;" then "FLT;", also a step of the update cycle), the
// combined query "22," behind the hidden Command2, and the unsolicited status
// messages of the TCP link. What the lamps show always comes from the unit:
// they draw the supply object's readings whenever it reports a change,
// whoever made the read.
#pragma once

#include <QGroupBox>
#include <QPushButton>
#include <array>

#include "app/drawn_reading.h"
#include "app/stale_marks.h"
#include "core/status_flags.h"
#include "supply/panel_controls.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class SystemStatusArea : public QGroupBox {
    Q_OBJECT
public:
    explicit SystemStatusArea(app::MainWindow& window);

    // btn_REQSTAT: "STAT;", then "FLT;" whatever the first gave.
    void btn_REQSTAT_Click();
    // Command2: the combined query "22,".
    void Command2_Click();

    // The unit's watchdog: lamp, caption, wdtEnabled and the menu item's
    // caption; the unit's next report of it shows, whatever it is.
    void showWatchdog(bool on);

    const Indicator& xray() const { return xray_; }
    const Indicator& fault(std::size_t index) const { return faults_.at(index); }
    const Indicator& interlock() const { return interlock_; }
    const Indicator& supplyFault() const { return supplyFault_; }
    const Indicator& watchdog() const { return watchdog_; }
    const Indicator& currentMode() const { return currentMode_; }
    const Indicator& rov() const { return rov_; }
    const Indicator& aol() const { return aol_; }
    QPushButton* btn_REQSTAT() const { return request_; }
    QPushButton* Command2() const { return combined_; }

private:
    // A lamp and its caption age together.
    void watch(const Indicator& indicator, app::StaleMarks::Refresh refresh,
               const QStringList& commands);
    void fresh(const Indicator& indicator);
    Indicator addIndicator(const char* led, const char* label, const QString& caption,
                           const QString& accessibleName, bool startsHidden = false);
    // What the unit gave since the last change was drawn.
    void showReadings();
    // The X-ray lamp and caption, red while on.
    void showXray(bool on);
    void showInterlock(bool open);
    void showSupplyFault(bool fault);
    void drawWatchdog(bool on);

    // What of each reading the lamps show.
    struct Drawn {
        app::DrawnReading<bool> xray, interlock, supplyFault, watchdog, currentMode, rov, aol;
        std::array<app::DrawnReading<bool>, core::kFaultFlags.size()> faults;
    };

    app::MainWindow& window_;
    Drawn drawn_;
    Indicator xray_;
    std::array<Indicator, core::kFaultFlags.size()> faults_{};
    Indicator interlock_;
    Indicator supplyFault_;
    Indicator watchdog_;
    Indicator currentMode_;
    Indicator rov_;
    Indicator aol_;
    QPushButton* request_;
    QPushButton* combined_;
};

}  // namespace zov::supply
