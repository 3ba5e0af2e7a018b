#include "serial_number_window.h"

#include <QGridLayout>
#include <QPointer>

#include "app/identity_area.h"
#include "app/main_window.h"
#include "app/reply_field.h"
#include "app/widgets/accessibility.h"
#include "config/access_code.h"
#include "config/typed_entry.h"
#include "config/window_parts.h"
#include "core/factory_data.h"
#include "protocol/reply.h"

namespace zov::config {
namespace {

constexpr int kValueStart = 2;

}  // namespace

SerialNumberWindow::SerialNumberWindow(app::MainWindow& window)
    : QDialog(&window),
      window_(window),
      serialNumber_(app::makeReplyField(QStringLiteral("Txt_serialNum"), QString(),
                                        QStringLiteral("Serial number"), this)),
      write_(makeButton("Btn_serialNum", QStringLiteral("Enter Serial Number"), this)) {
    setUpServiceWindow(*this, "Form1", QStringLiteral("Serial Number"), {386, 225});
    QPushButton* unlock = makeButton("Command1", QStringLiteral("Unlock"), this);
    QPushButton* read =
        makeButton("Btn_read_serialNum", QStringLiteral("Read Serial Number"), this);
    QPushButton* ok = makeButton("Btn_ok", QStringLiteral("OK"), this);
    write_->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(unlock, 0, 0);
    grid->addWidget(write_, 0, 1);
    grid->addWidget(read, 1, 0);
    grid->addWidget(serialNumber_, 1, 1);
    grid->addWidget(ok, 2, 1, Qt::AlignRight);

    connect(unlock, &QPushButton::clicked, this, &SerialNumberWindow::Command1_Click);
    connect(write_, &QPushButton::clicked, this, &SerialNumberWindow::Btn_serialNum_Click);
    connect(read, &QPushButton::clicked, this, &SerialNumberWindow::Btn_read_serialNum_Click);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
    app::applyProtocolNames(this);
}

void SerialNumberWindow::Command1_Click() {
    if (!unlockUnit(window_, kSerialNumberCode)) {
        close();
        return;
    }
    write_->setEnabled(true);
}

void SerialNumberWindow::Btn_serialNum_Click() {
    core::CommandExchange& exchange = window_.exchange();
    exchange.suspendBackgroundTimers();
    const auto entry = askSendableEntry(
        window_.prompter(), QStringLiteral("Enter Serial Number: EX. 101407139-A00041"));
    if (entry) {
        serialNumber_->setText(app::fromReply(*entry));
        exchange.outputOutputString(QByteArray::fromStdString(core::textCommand("SNUS", *entry)));
    }
    exchange.resumeBackgroundTimers();
}

void SerialNumberWindow::Btn_read_serialNum_Click() {
    core::CommandExchange& exchange = window_.exchange();
    core::MainState& state = window_.state();
    const QPointer<SerialNumberWindow> open(this);
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(QByteArrayLiteral("SNUR;"));
    const QByteArray reply = exchange.inputInputString();
    if (reply.isEmpty()) {
        exchange.countCommError();
        if (open) {
            app::showNoReply(serialNumber_);
        }
    } else if (const auto serial = protocol::cutUntil(core::textOf(reply), kValueStart, ';')) {
        state.CommStatusFlag = true;
        if (open) {
            app::showAnswer(serialNumber_, app::fromReply(*serial));
        }
    }
    exchange.resumeBackgroundTimers();
}

void openSerialNumberWindow(app::MainWindow& window, app::IdentityArea& identity) {
    if (!askAccessCode(window, QStringLiteral("Enter Key to show Serial Number menu:"),
                       kSerialNumberMenuCode)) {
        return;
    }
    runModal(window, new SerialNumberWindow(window));
    if (auto* button = identity.findChild<QPushButton*>(QStringLiteral("btn_serialNum_rqst"))) {
        button->setVisible(true);
    }
    identity.txt_serialNum_rqst()->setVisible(true);
}

}  // namespace zov::config
