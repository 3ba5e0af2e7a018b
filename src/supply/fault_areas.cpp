#include "fault_areas.h"

#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "core/status_flags.h"
#include "protocol/reply.h"

namespace zov::supply {

ArcArea::ArcArea(app::MainWindow& window) : QGroupBox(QStringLiteral("ARC")), window_(window) {
    setObjectName(QStringLiteral("fra_ARC"));
    count_ = app::makeReplyField(QStringLiteral("Txt_arcCount"), QStringLiteral("0"),
                                 QStringLiteral("Arcs counted"), this);
    clear_ = new QPushButton(QStringLiteral("Clear Count"), this);
    clear_->setObjectName(QStringLiteral("btn_clrArc"));
    connect(clear_, &QPushButton::clicked, this, &ArcArea::btn_clrArc_Click);
    auto* column = new QVBoxLayout(this);
    column->addWidget(count_);
    column->addWidget(clear_);
}

void ArcArea::countArc(std::optional<bool> arcFault, bool xrayRequested) {
    core::MainState& state = window_.state();
    const core::ArcCounter counted =
        core::afterArcRead({state.ArcArmed, state.ArcCount}, arcFault, xrayRequested);
    state.ArcArmed = counted.armed;
    if (counted.count != state.ArcCount) {
        state.ArcCount = counted.count;
        showCount();
        emit window_.sessionEvents().supplyEvent(core::SupplyEvent::ArcCounted,
                                                 QString::number(counted.count));
    }
}

void ArcArea::btn_clrArc_Click() {
    window_.state().ArcArmed = 1;
    window_.state().ArcCount = 0;
    showCount();
}

void ArcArea::showCount() {
    count_->setText(QString::number(window_.state().ArcCount));
}

ResetFaultArea::ResetFaultArea(app::MainWindow& window)
    : QGroupBox(QStringLiteral("RESET FAULT")), window_(window) {
    setObjectName(QStringLiteral("fra_RESETFAULT"));
    reset_ = new app::InstrumentButton(app::InstrumentButton::Mode::PushButton, this);
    reset_->setObjectName(QStringLiteral("btn_RSTTIME"));
    reset_->setTexts(QStringLiteral("RESET"), QStringLiteral("In Process!"));
    reset_->setToolTip(QStringLiteral("Reset Faults"));
    connect(reset_, &app::InstrumentButton::operated, this, &ResetFaultArea::btn_RSTTIME_Click);
    (new QVBoxLayout(this))->addWidget(reset_);
}

void ResetFaultArea::btn_RSTTIME_Click() {
    core::CommandExchange& exchange = window_.exchange();
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(QByteArrayLiteral("CLR;"));
    const QByteArray reply = exchange.inputInputString();
    reset_->setValue(true);
    if (protocol::charAt(core::textOf(reply), 2) != '$') {
        reset_->setValue(false);
    }
    exchange.resumeBackgroundTimers();
}

}  // namespace zov::supply
