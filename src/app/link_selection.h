// The Ports menu: choosing, opening and announcing the link the command
// exchange runs over, and the two baud-rate settings.
#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>

namespace zov::app {

class MainWindow;
class RemoteHostDialog;

class LinkSelection : public QObject {
    Q_OBJECT
public:
    explicit LinkSelection(MainWindow& window);

    void attach(QMenu& portsMenu);

    void mnu_comm1_Click();
    void mnu_comm2_Click();
    void mnu_userComm_Click();
    void mnu_USB_Click();
    void mnu_ethernet_Click();
    void mnu_BaudRate_Click();

    // Every serial choice opens `device` instead of the numbered port (the
    // built-in simulated supply), and the host dialog starts with its address.
    void useSimulatedSupply(const QString& device, const QString& host, quint16 port);

    RemoteHostDialog& remoteHost();

private:
    void setCheckMark(const char* itemName);
    void showGuiBaudRate();
    // Closes the port and opens `entry`; false (port left closed) when the
    // entry names no port or the port cannot be opened.
    bool reopenSerial(const QString& entry);
    void announceSerial();
    // Opens the chosen port and makes it the link; "Invalid Comm Port!" and
    // false when it cannot be opened.
    bool openSerialChoice(const QString& entry, const QString& portType);
    void chooseNumberedPort(const char* itemName, const QString& number, bool requestStatus);
    void followUp(bool requestStatus);

    MainWindow& window_;
    QMenu* ports_ = nullptr;
    QPointer<RemoteHostDialog> remoteHost_;
    QString simulatedDevice_;
};

}  // namespace zov::app
