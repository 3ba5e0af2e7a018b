#include "readbacks_area.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "supply/raw_data_window.h"
#include "supply/scaling.h"

namespace zov::supply {
namespace {

constexpr std::initializer_list<core::Monitor> kHvMonitors{
    core::Monitor::Voltage, core::Monitor::Current, core::Monitor::Filament};
constexpr std::initializer_list<core::Monitor> kAuxMonitors{core::Monitor::AuxSupply,
                                                            core::Monitor::Temperature};

// A visitor that applies one monitor reply; false when the reads stop.
struct ApplyOutcome {
    const core::MonitorRow& row;
    app::MainWindow& window;
    QLineEdit* display;

    void keep(const std::string& raw) const {
        window.state().*row.variable = QString::fromStdString(raw);
        window.staleMarks().fresh(display);
        rawDataWindow(window).txt_DATA(row.rawIndex)->setText(app::fromReply(raw));
    }
    void announceError(const char* what) const {
        emit window.sessionEvents().supplyEvent(core::SupplyEvent::Error,
                                                QLatin1String(what) + QLatin1String(row.command));
    }
    bool operator()(const core::NoMonitorReply&) const {
        announceError("no reply to ");
        return true;
    }
    bool operator()(const core::UnreadableMonitor&) const {
        announceError("unreadable reply to ");
        return false;
    }
    bool operator()(const core::MonitorText& text) const {
        keep(text.raw);
        announceError("no number in the reply to ");
        return false;
    }
    bool operator()(const core::MonitorUnscaled& count) const {
        keep(count.raw);
        display->setText(QLatin1String(core::kNoScaleText));
        return true;
    }
    bool operator()(const core::MonitorReading& reading) const {
        keep(reading.raw);
        display->setText(app::fromReply(reading.display));
        emit window.sessionEvents().monitorRead(QLatin1String(row.variableName), reading.shown);
        return true;
    }
};

}  // namespace

ReadbacksArea::ReadbacksArea(app::MainWindow& window) : QObject(&window), window_(window) {
    readbacks_ = makeFrame(QStringLiteral("READBACKS"), "fra_READBACKS", kHvMonitors);
    auxiliary_ = makeFrame(QStringLiteral("AUXILIARY VOLTAGE"), "fra_AUXVOLTAGE", kAuxMonitors);

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
    readMonitors(kHvMonitors);
}

void ReadbacksArea::readAuxMonitors() {
    readMonitors(kAuxMonitors);
}

void ReadbacksArea::readMonitors(std::initializer_list<core::Monitor> monitors) {
    core::CommandExchange& exchange = window_.exchange();
    exchange.suspendBackgroundTimers();
    for (const core::Monitor monitor : monitors) {
        readScaleIfMissing(window_, core::monitorRow(monitor).scale);
    }
    for (const core::Monitor monitor : monitors) {
        const core::MonitorRow& row = core::monitorRow(monitor);
        exchange.outputOutputString(QByteArray(row.command));
        const QByteArray reply = exchange.inputInputString();
        if (!reply.isEmpty()) {
            window_.state().CommStatusFlag = true;
            if (monitor == core::Monitor::Voltage) {
                updateButton_->setValue(false);
            }
        }
        const core::MonitorOutcome outcome =
            core::monitorOutcome(row, core::textOf(reply), window_.state());
        if (!std::visit(ApplyOutcome{row, window_, displayBox(monitor)}, outcome)) {
            break;
        }
    }
    exchange.resumeBackgroundTimers();
}

void ReadbacksArea::btn_UPDATEDATA_Click() {
    readHvMonitors();
    readAuxMonitors();
}

}  // namespace zov::supply
