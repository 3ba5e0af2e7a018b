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

namespace zov::config {
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
    core::Supply& supply = window_.supply();
    // The timers stay paused across the prompt as well.
    const core::Supply::ServicePause pause(supply);
    const auto entry = askSendableEntry(
        window_.prompter(), QStringLiteral("Enter Serial Number: EX. 101407139-A00041"));
    if (entry) {
        serialNumber_->setText(app::fromReply(*entry));
        (void)supply.setSerialNumber(*entry);
    }
}

void SerialNumberWindow::Btn_read_serialNum_Click() {
    const QPointer<SerialNumberWindow> open(this);
    const auto serial = window_.supply().readIdentity(core::IdentityItem::SerialNumber);
    if (!open) {
        return;
    }
    if (serial.reply.isEmpty()) {
        app::showNoReply(serialNumber_);
    } else if (serial.done()) {
        app::showAnswer(serialNumber_, serial.value);
    }
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
