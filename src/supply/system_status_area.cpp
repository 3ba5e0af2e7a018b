#include "system_status_area.h"

#include <QGridLayout>

#include "app/main_window.h"
#include "supply/fault_areas.h"

namespace zov::supply {
namespace {

const QString kDisableWatchdog = QStringLiteral("Disable Watchdog Timer");
const QString kEnableWatchdog = QStringLiteral("Enable Watchdog Timer");

}  // namespace

SystemStatusArea::SystemStatusArea(app::MainWindow& window)
    : QGroupBox(QStringLiteral("SYSTEM STATUS")), window_(window) {
    setObjectName(QStringLiteral("fra_SYSSTAT"));
    new QGridLayout(this);
    xray_ = addIndicator("led_HVSTAT", "lbl_HVSTAT", QStringLiteral("X-RAY OFF"),
                         QStringLiteral("X-ray on"));
    for (std::size_t i = 0; i < core::kFaultFlags.size(); ++i) {
        const core::FaultFlag& flag = core::kFaultFlags[i];
        faults_[i] = addIndicator(flag.led, flag.label, QLatin1String(flag.designCaption),
                                  QLatin1String(flag.accessibleName));
    }
    interlock_ = addIndicator("led_INTRLKSTAT", "lbl_INTRLKSTAT", QStringLiteral("INTERLOCK"),
                              QStringLiteral("Interlock open"));
    supplyFault_ = addIndicator("led_FAULT", "lbl_FAULT", QStringLiteral("NO PS  FAULT"),
                                QStringLiteral("Supply fault"));
    watchdog_ = addIndicator("led_wdt", "lbl_wdt", QStringLiteral("WDT Off"),
                             QStringLiteral("Unit watchdog on"));
    currentMode_ = addIndicator("led_Imode", "lbl_Imode", QStringLiteral("I Mode"),
                                QStringLiteral("Current mode"), true);
    rov_ = addIndicator("led_rov", "lbl_rov", QStringLiteral("Rov Off"),
                        QStringLiteral("Rov option on"), true);
    aol_ = addIndicator("led_aol", "lbl_aol", QStringLiteral("Aol Off"),
                        QStringLiteral("Aol option on"), true);

    using Refresh = app::StaleMarks::Refresh;
    const QStringList combined{QStringLiteral("22,")};
    watch(xray_, Refresh::ByCycle,
          {QStringLiteral("STAT;"), QStringLiteral("22,"), QStringLiteral("ENBL 1;"),
           QStringLiteral("ENBL 0;")});
    for (const Indicator& fault : faults_) {
        watch(fault, Refresh::ByCycle, {QStringLiteral("FLT;")});
    }
    watch(interlock_, Refresh::ByCycle, {QStringLiteral("FLT;"), QStringLiteral("22,")});
    for (const Indicator* shown : {&supplyFault_, &watchdog_, &currentMode_, &rov_, &aol_}) {
        watch(*shown, Refresh::OnRequest, combined);
    }

    // Lit means trouble for these three; for the fault flags it means OK.
    for (const Indicator* alarm : {&xray_, &interlock_, &supplyFault_}) {
        alarm->led->setOnColor(kAlarmText);
    }

    auto* grid = static_cast<QGridLayout*>(layout());
    grid->setColumnStretch(1, 1);
    request_ = new QPushButton(QStringLiteral("Request Status"), this);
    request_->setObjectName(QStringLiteral("btn_REQSTAT"));
    connect(request_, &QPushButton::clicked, this, &SystemStatusArea::btn_REQSTAT_Click);
    grid->addWidget(request_, grid->rowCount(), 0, 1, 2);
    // Neither the operator nor a timer reaches the combined query; service
    // users get it with --show-hidden.
    combined_ = new QPushButton(QStringLiteral("Command2"), this);
    combined_->setObjectName(QStringLiteral("Command2"));
    connect(combined_, &QPushButton::clicked, this, &SystemStatusArea::Command2_Click);
    grid->addWidget(combined_, grid->rowCount(), 0, 1, 2);
    window_.markStartsHidden(combined_);
}

Indicator SystemStatusArea::addIndicator(const char* led, const char* label, const QString& caption,
                                         const QString& accessibleName, bool startsHidden) {
    auto* grid = static_cast<QGridLayout*>(layout());
    Indicator indicator{makeLed(QLatin1String(led), accessibleName, this), nullptr};
    indicator.label = makeCaption(caption, nullptr, QLatin1String(label), this);
    const int row = grid->rowCount();
    grid->addWidget(indicator.led, row, 0);
    grid->addWidget(indicator.label, row, 1);
    if (startsHidden) {
        window_.markStartsHidden(indicator.led);
        window_.markStartsHidden(indicator.label);
    }
    return indicator;
}

void SystemStatusArea::watch(const Indicator& indicator, app::StaleMarks::Refresh refresh,
                             const QStringList& commands) {
    window_.staleMarks().watch(indicator.led, refresh, commands);
    window_.staleMarks().watch(indicator.label, refresh, commands);
}

void SystemStatusArea::fresh(const Indicator& indicator) {
    window_.staleMarks().fresh(indicator.led);
    window_.staleMarks().fresh(indicator.label);
}

void SystemStatusArea::btn_REQSTAT_Click() {
    core::CommandExchange& exchange = window_.exchange();
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(QByteArrayLiteral("STAT;"));
    const QByteArray status = exchange.inputInputString();
    if (status.isEmpty()) {
        exchange.countCommError();
    } else {
        window_.state().CommStatusFlag = true;
        if (const auto on = core::flagAt(core::textOf(status), core::kXrayStatePosition)) {
            showReportedXray(*on);
        }
    }
    exchange.outputOutputString(QByteArrayLiteral("FLT;"));
    showFaults(core::textOf(exchange.inputInputString()));
    exchange.resumeBackgroundTimers();
}

void SystemStatusArea::showFaults(std::string_view reply) {
    if (core::isFaultReadRefused(reply)) {
        return;
    }
    for (std::size_t i = 0; i < core::kFaultFlags.size(); ++i) {
        const core::FaultFlag& flag = core::kFaultFlags[i];
        const auto fault = core::flagAt(reply, flag.position);
        if (fault) {
            const QString caption = QLatin1String(*fault ? flag.faultCaption : flag.okCaption);
            faults_[i].show(!*fault, caption);
            fresh(faults_[i]);
            announce(core::SupplyEvent::FaultChanged, reported_.faults[i], *fault, caption);
        }
        if (i == core::kArcFlag && followers_.arc != nullptr) {
            followers_.arc->countArc(fault, followers_.xraySwitch->value());
        }
    }
    if (const auto open = core::flagAt(reply, core::kInterlockPosition)) {
        showInterlock(*open);
    }
}

void SystemStatusArea::Command2_Click() {
    core::CommandExchange& exchange = window_.exchange();
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(QByteArrayLiteral("22,"));
    const QByteArray reply = exchange.inputInputString();
    if (reply.isEmpty()) {
        exchange.countCommError();
    } else {
        window_.state().CommStatusFlag = true;
        showCombined(core::combinedStatusFrom(core::textOf(reply)));
    }
    // Like the status read, so the update cycle and the receive timers go on.
    exchange.resumeBackgroundTimers();
}

void SystemStatusArea::decodeUnsolicited(const QByteArray& message) {
    showCombined(core::unsolicitedStatusFrom(core::textOf(message)));
}

void SystemStatusArea::showCombined(const core::CombinedStatus& status) {
    if (status.xrayOn) {
        showReportedXray(*status.xrayOn);
    }
    if (status.interlockOpen) {
        showInterlock(*status.interlockOpen);
    }
    if (status.supplyFault) {
        showSupplyFault(*status.supplyFault);
    }
    if (status.remote && followers_.localRemoteSwitch != nullptr) {
        followers_.localRemoteSwitch->setValue(*status.remote);
    }
    if (status.currentMode) {
        currentMode_.led->setValue(*status.currentMode);
        fresh(currentMode_);
    }
    if (status.rov) {
        rov_.show(*status.rov, *status.rov ? QStringLiteral("Rov On") : QStringLiteral("Rov Off"));
        fresh(rov_);
    }
    if (status.aol) {
        aol_.show(*status.aol, *status.aol ? QStringLiteral("Aol On") : QStringLiteral("Aol Off"));
        fresh(aol_);
    }
    if (status.watchdogOn) {
        showWatchdog(*status.watchdogOn);
    }
}

void SystemStatusArea::showXray(bool on) {
    xray_.show(on, on ? QStringLiteral("X-RAY ON") : QStringLiteral("X-RAY OFF"),
               on ? kAlarmText : kNormalText);
    fresh(xray_);
}

// The switch is the record of what was requested; a report from the unit
// moves it, never its operation, so nothing is sent.
void SystemStatusArea::followXray(bool on) {
    if (followers_.xraySwitch != nullptr) {
        followers_.xraySwitch->setValue(on);
    }
}

void SystemStatusArea::showReportedXray(bool on) {
    showXray(on);
    followXray(on);
    announce(core::SupplyEvent::StatusChanged, reported_.xrayOn, on,
             on ? QStringLiteral("X-RAY ON") : QStringLiteral("X-RAY OFF"));
}

void SystemStatusArea::announce(core::SupplyEvent kind, std::optional<bool>& last, bool now,
                                const QString& detail) {
    if (core::reportChanged(last, now)) {
        emit window_.sessionEvents().supplyEvent(kind, detail);
    }
}

void SystemStatusArea::showInterlock(bool open) {
    interlock_.show(open,
                    open ? QStringLiteral("Interlock Open") : QStringLiteral("Interlock Closed"),
                    open ? kAlarmText : kNormalText);
    fresh(interlock_);
    announce(core::SupplyEvent::InterlockChanged, reported_.interlockOpen, open,
             open ? QStringLiteral("OPEN") : QStringLiteral("CLOSED"));
    if (open) {
        followXray(false);  // an open interlock holds the output off
    }
}

void SystemStatusArea::showSupplyFault(bool fault) {
    const QString caption = fault ? QStringLiteral("P.S. FAULT") : QStringLiteral("NO P.S. FAULT");
    supplyFault_.show(fault, caption, fault ? kAlarmText : kNormalText);
    fresh(supplyFault_);
    announce(core::SupplyEvent::FaultChanged, reported_.supplyFault, fault, caption);
}

void SystemStatusArea::showWatchdog(bool on) {
    watchdog_.show(on, on ? QStringLiteral("WDT On") : QStringLiteral("WDT Off"));
    fresh(watchdog_);
    window_.state().wdtEnabled = on;
    if (QAction* item = window_.menuItem(QStringLiteral("enableWdt"))) {
        item->setText(on ? kDisableWatchdog : kEnableWatchdog);
    }
}

}  // namespace zov::supply
