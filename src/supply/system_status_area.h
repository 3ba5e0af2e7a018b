// "SYSTEM STATUS": the supply's X-ray state, its fault flags, the interlock,
// the supply fault and watchdog lamps, and the reads that fill them: the
// status read ("STAT;" then "FLT;", also a step of the update cycle), the
// combined query "22," behind the hidden Command2, and the unsolicited status
// messages of the TCP link. What the lamps show always comes from the unit.
#pragma once

#include <QGroupBox>
#include <QPushButton>
#include <array>
#include <string_view>

#include "app/stale_marks.h"
#include "core/session_events.h"

#include "core/status_flags.h"
#include "supply/panel_controls.h"

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

class ArcArea;

class SystemStatusArea : public QGroupBox {
    Q_OBJECT
public:
    explicit SystemStatusArea(app::MainWindow& window);

    // The controls of other areas that the supply's reports move.
    struct Followers {
        app::InstrumentButton* xraySwitch;
        app::InstrumentButton* localRemoteSwitch;
        ArcArea* arc;
    };
    void setFollowers(const Followers& followers) { followers_ = followers; }

    // btn_REQSTAT: "STAT;", then "FLT;" whatever the first gave.
    void btn_REQSTAT_Click();
    // Command2: the combined query "22,".
    void Command2_Click();
    // A status message the unit sent on its own over TCP.
    void decodeUnsolicited(const QByteArray& message);

    // The X-ray lamp and caption, red while on.
    void showXray(bool on);
    // The unit's watchdog: lamp, caption, wdtEnabled and the menu item's caption.
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
    void showFaults(std::string_view reply);
    void showCombined(const core::CombinedStatus& status);
    void followXray(bool on);
    // An X-ray state the unit reported: lamp, switch and, when new, the announcement.
    void showReportedXray(bool on);
    void announce(core::SupplyEvent kind, std::optional<bool>& last, bool now,
                  const QString& detail);
    void showInterlock(bool open);
    void showSupplyFault(bool fault);

    app::MainWindow& window_;
    Followers followers_{};
    core::ReportedStatus reported_;
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
