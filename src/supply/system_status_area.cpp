#include "system_status_area.h"

#include <QGridLayout>

#include "app/main_window.h"

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
    connect(&window_.supply(), &core::Supply::changed, this, &SystemStatusArea::showReadings);
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
    window_.supply().readStatus();
}

void SystemStatusArea::Command2_Click() {
    // Like the status read, so the update cycle and the receive timers go on.
    window_.supply().readCombinedStatus();
}

void SystemStatusArea::showReadings() {
    const core::SupplyReadings& readings = window_.supply().readings();
    if (drawn_.xray.isNew(readings.xrayOn)) {
        showXray(*readings.xrayOn.value);
    }
    for (std::size_t i = 0; i < core::kFaultFlags.size(); ++i) {
        if (drawn_.faults[i].isNew(readings.faults[i])) {
            const core::FaultFlag& flag = core::kFaultFlags[i];
            const bool fault = *readings.faults[i].value;
            faults_[i].show(!fault, QLatin1String(fault ? flag.faultCaption : flag.okCaption));
            fresh(faults_[i]);
        }
    }
    if (drawn_.interlock.isNew(readings.interlockOpen)) {
        showInterlock(*readings.interlockOpen.value);
    }
    if (drawn_.supplyFault.isNew(readings.supplyFault)) {
        showSupplyFault(*readings.supplyFault.value);
    }
    if (drawn_.currentMode.isNew(readings.currentMode)) {
        currentMode_.led->setValue(*readings.currentMode.value);
        fresh(currentMode_);
    }
    if (drawn_.rov.isNew(readings.rov)) {
        const bool on = *readings.rov.value;
        rov_.show(on, on ? QStringLiteral("Rov On") : QStringLiteral("Rov Off"));
        fresh(rov_);
    }
    if (drawn_.aol.isNew(readings.aol)) {
        const bool on = *readings.aol.value;
        aol_.show(on, on ? QStringLiteral("Aol On") : QStringLiteral("Aol Off"));
        fresh(aol_);
    }
    if (drawn_.watchdog.isNew(readings.watchdogOn)) {
        drawWatchdog(*readings.watchdogOn.value);
    }
}

void SystemStatusArea::showXray(bool on) {
    xray_.show(on, on ? QStringLiteral("X-RAY ON") : QStringLiteral("X-RAY OFF"),
               on ? kAlarmText : kNormalText);
    fresh(xray_);
}

void SystemStatusArea::showInterlock(bool open) {
    interlock_.show(open,
                    open ? QStringLiteral("Interlock Open") : QStringLiteral("Interlock Closed"),
                    open ? kAlarmText : kNormalText);
    fresh(interlock_);
}

void SystemStatusArea::showSupplyFault(bool fault) {
    const QString caption = fault ? QStringLiteral("P.S. FAULT") : QStringLiteral("NO P.S. FAULT");
    supplyFault_.show(fault, caption, fault ? kAlarmText : kNormalText);
    fresh(supplyFault_);
}

void SystemStatusArea::showWatchdog(bool on) {
    drawn_.watchdog.forget();
    drawWatchdog(on);
}

void SystemStatusArea::drawWatchdog(bool on) {
    watchdog_.show(on, on ? QStringLiteral("WDT On") : QStringLiteral("WDT Off"));
    fresh(watchdog_);
    window_.state().wdtEnabled = on;
    if (QAction* item = window_.menuItem(QStringLiteral("enableWdt"))) {
        item->setText(on ? kDisableWatchdog : kEnableWatchdog);
    }
}

}  // namespace zov::supply
