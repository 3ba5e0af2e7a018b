// SPDX-License-Identifier: Apache-2.0
#include "link_selection.h"

#include <QGuiApplication>

#include "app/link_dialogs.h"
#include "app/main_window.h"

namespace zov::app {
namespace {

const char* const kPortItems[] = {"mnu_comm1", "mnu_comm2", "mnu_userComm", "mnu_ethernet",
                                  "mnu_USB"};
const QString kInvalidPort = QStringLiteral("Invalid Comm Port!");
const QString kSettingPrefix = QStringLiteral("Comm Port Setting:  ");
const QString kPortPrefix = QStringLiteral("Comm Port:  ");

// The operator sees that the console is busy connecting, not hung.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

LinkSelection::LinkSelection(MainWindow& window) : QObject(&window), window_(window) {}

void LinkSelection::attach(QMenu& portsMenu) {
    ports_ = &portsMenu;
    const auto bind = [this](const char* name, void (LinkSelection::*handler)()) {
        connect(window_.menuItem(QLatin1String(name)), &QAction::triggered, this,
                [this, handler] { (this->*handler)(); });
    };
    bind("mnu_comm1", &LinkSelection::mnu_comm1_Click);
    bind("mnu_comm2", &LinkSelection::mnu_comm2_Click);
    bind("mnu_userComm", &LinkSelection::mnu_userComm_Click);
    bind("mnu_ethernet", &LinkSelection::mnu_ethernet_Click);
    bind("mnu_USB", &LinkSelection::mnu_USB_Click);
}

void LinkSelection::useSimulatedSupply(const QString& device, const QString& host, quint16 port) {
    simulatedDevice_ = device;
    RemoteHostDialog& dialog = remoteHost();
    dialog.txtHost()->setText(host);
    dialog.txtPortNumber()->setText(QString::number(port));
    dialog.rememberTexts();
    window_.exchange().setRemote(host, port);
}

RemoteHostDialog& LinkSelection::remoteHost() {
    if (!remoteHost_) {
        remoteHost_ = new RemoteHostDialog(&window_);
        connect(remoteHost_, &RemoteHostDialog::confirmed, this,
                [this](const QString& host, const QString& portText) {
                    window_.statusBar1().setPanelText(2, QStringLiteral("IP: ") + portText);
                    window_.exchange().setRemote(host,
                                                 static_cast<quint16>(portText.trimmed().toUInt()));
                });
        connect(remoteHost_, &RemoteHostDialog::invalidPort, this,
                [this] { window_.prompter().message(QStringLiteral("Invalid Port Number!")); });
    }
    return *remoteHost_;
}

void LinkSelection::setCheckMark(const QString& itemName) {
    for (const char* name : kPortItems) {
        window_.menuItem(QLatin1String(name))->setChecked(itemName == QLatin1String(name));
    }
}

QString LinkSelection::checkedItem() const {
    for (const char* name : kPortItems) {
        if (window_.menuItem(QLatin1String(name))->isChecked()) {
            return QLatin1String(name);
        }
    }
    return {};
}

void LinkSelection::showGuiBaudRate() {
    BaudRateDialog dialog(BaudRateDialog::guiTexts(), &window_);
    connect(dialog.button(), &QPushButton::clicked, &dialog, [this, &dialog] {
        core::SerialLink& serial = window_.exchange().serial();
        serial.setSettings(dialog.Bitslist()->currentText() + QStringLiteral(",n,8,1"));
        window_.statusBar1().setPanelText(1, kSettingPrefix + serial.settings());
        dialog.accept();
    });
    window_.modalRunner().run(dialog);
}

bool LinkSelection::reopenSerial(const QString& entry) {
    core::SerialLink& serial = window_.exchange().serial();
    serial.release();
    const auto device = core::serialDeviceFor(entry);
    if (!device) {
        return false;
    }
    serial.setDevice(simulatedDevice_.isEmpty() ? *device : simulatedDevice_);
    return serial.open();
}

void LinkSelection::leaveNoLinkOpen() {
    core::CommandExchange& exchange = window_.exchange();
    exchange.serial().release();
    exchange.closeTcp();
    exchange.tmr_RCVTIMER().stop();
    exchange.setNetPollEnabled(false);
    window_.statusBar1().restoreStartText(1);
    window_.statusBar1().restoreStartText(2);
}

bool LinkSelection::openSerialOrReport(const QString& entry) {
    if (!reopenSerial(entry)) {
        leaveNoLinkOpen();
        emit window_.sessionEvents().supplyEvent(core::SupplyEvent::Error,
                                                 kInvalidPort + u' ' + entry);
        window_.prompter().message(kInvalidPort);
        return false;
    }
    // The serial port is now the one open link.
    core::CommandExchange& exchange = window_.exchange();
    exchange.closeTcp();
    exchange.tmr_RCVTIMER().start();
    exchange.setNetPollEnabled(false);
    emit window_.sessionEvents().supplyEvent(
        core::SupplyEvent::LinkChosen,
        kPortPrefix + entry + QStringLiteral(", ") + exchange.serial().settings());
    return true;
}

void LinkSelection::announceSerial() {
    StatusBar& bar = window_.statusBar1();
    bar.setPanelText(1, kSettingPrefix + window_.exchange().serial().settings());
    bar.setPanelText(2, kPortPrefix + window_.state().CommPortNum);
}

void LinkSelection::followUp(bool requestStatus) {
    const MainWindow::Hooks& hooks = window_.hooks();
    if (requestStatus && hooks.requestStatus) {
        hooks.requestStatus();
    }
    if (hooks.startAutoUpdate) {
        hooks.startAutoUpdate();
    }
}

bool LinkSelection::openSerialChoice(const QString& entry, const QString& portType) {
    window_.state().CommPortNum = entry;
    // Also after a failure: what was chosen is a serial link, so no command
    // goes out on a TCP connection nobody chose.
    window_.state().portType = portType;
    if (!openSerialOrReport(entry)) {
        return false;
    }
    announceSerial();
    return true;
}

void LinkSelection::chooseNumberedPort(const QString& itemName, const QString& number,
                                       bool requestStatus) {
    window_.exchange().tmr_RCVTIMER().stop();
    setCheckMark(itemName);
    showGuiBaudRate();
    if (openSerialChoice(number, QStringLiteral("comm") + number)) {
        followUp(requestStatus);
    }
}

void LinkSelection::mnu_comm1_Click() {
    chooseNumberedPort(QStringLiteral("mnu_comm1"), QStringLiteral("1"), false);
}

void LinkSelection::mnu_comm2_Click() {
    chooseNumberedPort(QStringLiteral("mnu_comm2"), QStringLiteral("2"), true);
}

void LinkSelection::mnu_userComm_Click() {
    window_.exchange().tmr_RCVTIMER().stop();
    setCheckMark(QStringLiteral("mnu_userComm"));
    const QString entry =
        window_.prompter().input(QStringLiteral("Enter your Comm Port Number")).value_or(QString());
    showGuiBaudRate();
    openSerialChoice(entry, QStringLiteral("comm1"));  // no status request, no automatic update
}

void LinkSelection::mnu_USB_Click() {
    // Closing the USB window without DONE chooses nothing: the link in use
    // and everything that tells of it stay as they were.
    const QString checkedBefore = checkedItem();
    const QString portTypeBefore = window_.state().portType;
    const QString panelBefore = window_.statusBar1().panelText(1);
    setCheckMark(QStringLiteral("mnu_USB"));
    window_.statusBar1().setPanelText(1, QStringLiteral("USB Comms"));
    window_.state().portType = QStringLiteral("USB");
    UsbWindow usb(&window_);
    window_.modalRunner().run(usb);
    if (usb.result() != QDialog::Accepted) {
        setCheckMark(checkedBefore);
        window_.state().portType = portTypeBefore;
        window_.statusBar1().setPanelText(1, panelBefore);
        return;
    }
    const QString portNumber = usb.USBPORTNUM();
    window_.statusBar1().setPanelText(2, kPortPrefix + portNumber);
    if (openSerialOrReport(portNumber)) {
        followUp(true);
    }
}

void LinkSelection::mnu_ethernet_Click() {
    core::CommandExchange& exchange = window_.exchange();
    RemoteHostDialog& dialog = remoteHost();
    dialog.rememberTexts();
    window_.modalRunner().run(dialog);
    setCheckMark(QStringLiteral("mnu_ethernet"));
    exchange.tmr_RCVTIMER().stop();
    exchange.setNetPollEnabled(false);
    window_.statusBar1().setPanelText(1, QStringLiteral("Ethernet Comms"));
    window_.state().portType = QStringLiteral("ethernet");
    // The TCP connection becomes the one link; nothing reopens the serial port.
    exchange.serial().release();
    {
        const BusyCursor busy;
        exchange.connectTcpAndWait();
    }
    if (exchange.tcp().isOpen()) {
        emit window_.sessionEvents().supplyEvent(
            core::SupplyEvent::LinkChosen,
            QStringLiteral("Ethernet %1:%2").arg(exchange.remoteHost()).arg(exchange.remotePort()));
    }
    exchange.setNetPollEnabled(true);
    followUp(true);
}

void LinkSelection::mnu_BaudRate_Click() {
    BaudRateDialog dialog(BaudRateDialog::unitTexts(), &window_);
    connect(dialog.button(), &QPushButton::clicked, &dialog, [this, &dialog] {
        core::CommandExchange& exchange = window_.exchange();
        // The timers stay off afterwards: the host port still runs at the old
        // speed until the user chooses the link again.
        exchange.suspendBackgroundTimers();
        const QByteArray command =
            "BAUD " + QByteArray::number(dialog.Bitslist()->currentIndex() + 1) + ";";
        exchange.outputOutputString(command);
        (void)exchange.inputInputString();
        dialog.accept();
    });
    window_.modalRunner().run(dialog);
}

}  // namespace zov::app
