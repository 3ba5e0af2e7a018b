#include "readbacks_area.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "core/scaling.h"
#include "supply/raw_data_window.h"

namespace zov::supply {
namespace {

// Shows one monitor's reply: a value or a count in its box, what the unit
// sent in the unscaled-data window.
struct ShowReply {
    const core::MonitorRow& row;
    app::MainWindow& window;
    QLineEdit* display;

    void keep(const std::string& raw) const {
        window.staleMarks().fresh(display);
        rawDataWindow(window).txt_DATA(row.rawIndex)->setText(app::fromReply(raw));
    }
    void operator()(const core::NoMonitorReply&) const {}
    void operator()(const core::UnreadableMonitor&) const {}
    void operator()(const core::MonitorText& text) const { keep(text.raw); }
    void operator()(const core::MonitorUnscaled& count) const {
        keep(count.raw);
        display->setText(QLatin1String(core::kNoScaleText));
    }
    void operator()(const core::MonitorReading& reading) const {
        keep(reading.raw);
        display->setText(app::fromReply(reading.display));
    }
};

}  // namespace

ReadbacksArea::ReadbacksArea(app::MainWindow& window) : QObject(&window), window_(window) {
    readbacks_ = makeFrame(QStringLiteral("READBACKS"), "fra_READBACKS", core::kHvMonitors);
    auxiliary_ =
        makeFrame(QStringLiteral("AUXILIARY VOLTAGE"), "fra_AUXVOLTAGE", core::kAuxMonitors);

    update_ = new QGroupBox(QStringLiteral("UPDATE DATA"));
    update_->setObjectName(QStringLiteral("fra_UPDATEDATA"));
    updateButton_ = new app::InstrumentButton(app::InstrumentButton::Mode::PushButton, update_);
    updateButton_->setObjectName(QStringLiteral("btn_UPDATEDATA"));
    updateButton_->setTexts(QStringLiteral("UPDATE"), QStringLiteral("WAITING!"));
    updateButton_->setToolTip(QStringLiteral("Update Analog Data Fields"));
    connect(updateButton_, &app::InstrumentButton::operated, this,
            &ReadbacksArea::btn_UPDATEDATA_Click);
    // Command1 does what the button does; service users get it with --show-hidden.
    auto* sameAgain = new QPushButton(QStringLiteral("Command1"), update_);
    sameAgain->setObjectName(QStringLiteral("Command1"));
    connect(sameAgain, &QPushButton::clicked, updateButton_, &QAbstractButton::click);
    window_.markStartsHidden(sameAgain);
    auto* column = new QVBoxLayout(update_);
    column->addWidget(updateButton_);
    column->addWidget(sameAgain);
    connect(&window_.supply(), &core::Supply::monitorReplied, this, &ReadbacksArea::showReply);
}

QGroupBox* ReadbacksArea::makeFrame(const QString& caption, const char* name,
                                    std::initializer_list<core::Monitor> monitors) {
    auto* frame = new QGroupBox(caption);
    frame->setObjectName(QLatin1String(name));
    auto* form = new QFormLayout(frame);
    for (const core::Monitor monitor : monitors) {
        const core::MonitorRow& row = core::monitorRow(monitor);
        QLineEdit* box =
            app::makeReplyField(QLatin1String(row.displayBox), QLatin1String(row.startText),
                                QString::fromUtf8(row.caption), frame);
        box->setToolTip(QLatin1String(row.toolTip));
        form->addRow(QString::fromUtf8(row.caption), box);
        boxes_[static_cast<std::size_t>(monitor)] = box;
        window_.staleMarks().watch(box, app::StaleMarks::Refresh::ByCycle,
                                   {QLatin1String(row.command)});
    }
    return frame;
}

void ReadbacksArea::readHvMonitors() {
    window_.supply().readMonitors(core::kHvMonitors);
}

void ReadbacksArea::readAuxMonitors() {
    window_.supply().readMonitors(core::kAuxMonitors);
}

void ReadbacksArea::showReply(core::Monitor monitor, const core::MonitorOutcome& outcome) {
    if (monitor == core::Monitor::Voltage &&
        !std::holds_alternative<core::NoMonitorReply>(outcome)) {
        updateButton_->setValue(false);
    }
    std::visit(ShowReply{core::monitorRow(monitor), window_, displayBox(monitor)}, outcome);
}

void ReadbacksArea::btn_UPDATEDATA_Click() {
    readHvMonitors();
    readAuxMonitors();
}

}  // namespace zov::supply
