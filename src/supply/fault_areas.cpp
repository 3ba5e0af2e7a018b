#include "fault_areas.h"

#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "protocol/reply.h"

namespace zov::supply {
namespace {

// The unit answers "$" here while it clears; any other answer ends the reset.
constexpr int kClearingPosition = 2;
constexpr char kClearing = '$';

}  // namespace

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
    connect(&window_.supply(), &core::Supply::changed, this, &ArcArea::showCount);
}

void ArcArea::btn_clrArc_Click() {
    window_.supply().clearArcCount();
}

void ArcArea::showCount() {
    const QString count = QString::number(window_.state().ArcCount);
    if (count_->text() != count) {
        count_->setText(count);
    }
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
    const QByteArray reply = window_.supply().resetFaults().reply;
    reset_->setValue(true);
    if (protocol::charAt(core::textOf(reply), kClearingPosition) != kClearing) {
        reset_->setValue(false);
    }
}

}  // namespace zov::supply
