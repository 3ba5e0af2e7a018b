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
    // Checks `itemName` (none when empty) and clears the other items.
    void setCheckMark(const QString& itemName);
    [[nodiscard]] QString checkedItem() const;
    void showGuiBaudRate();
    // Closes the port and opens `entry`; false (port left closed) when the
    // entry names no port or the port cannot be opened.
    bool reopenSerial(const QString& entry);
    // After a choice that failed: no link is open, the watchdog has nothing
    // to reopen, and panels 1 and 2 say that no port is set.
    void leaveNoLinkOpen();
    // Opens `entry` as the one link (the TCP connection is closed), or
    // leaves no link open and shows "Invalid Comm Port!".
    bool openSerialOrReport(const QString& entry);
    void announceSerial();
    // Makes the chosen serial port the link, announced in the status bar.
    bool openSerialChoice(const QString& entry, const QString& portType);
    void chooseNumberedPort(const QString& itemName, const QString& number, bool requestStatus);
    void followUp(bool requestStatus);

    MainWindow& window_;
    QMenu* ports_ = nullptr;
    QPointer<RemoteHostDialog> remoteHost_;
    QString simulatedDevice_;
};

}  // namespace zov::app
