// SPDX-License-Identifier: Apache-2.0
// The serial side of the link: RS-232 or a USB virtual port. Commands go out
// with a checksum and CR LF, and a reply ends with its LF.
#pragma once

#include <QSerialPort>
#include <QTimer>
#include <optional>

#include "core/link.h"

namespace zov::core {

// Turns what the user chose (a port number, or a device path) into the name
// the platform opens: "COMn" on Windows, /dev/ttyS(n-1) on Linux. Nothing when
// the entry names no port.
[[nodiscard]] std::optional<QString> serialDeviceFor(const QString& entry);

class SerialLink : public Link {
    Q_OBJECT
public:
    static constexpr auto kDefaultSettings = "115200,n,8,1";
    static constexpr int kReopenWatchMs = 5000;

    explicit SerialLink(QObject* parent = nullptr);

    [[nodiscard]] QByteArray frame(const QByteArray& command) const override;
    [[nodiscard]] bool isOpen() const override { return port_.isOpen(); }
    // The device, or "no port" while none is chosen.
    [[nodiscard]] QString name() const override;
    void takeInputBeforeCommand() override { dropWaitingInput(); }
    void writeFrame(const QByteArray& frame) override { write(frame); }
    void dropInputAfterReply() override { dropWaitingInput(); }
    [[nodiscard]] std::optional<QByteArray> receiveReply(const QByteArray& command,
                                                         int limitMs) override;

    // What is kept from the received bytes until someone reads them; more
    // is left to the device driver, which drops it when its own buffer is full.
    static constexpr qint64 kInputLimit = 65536;

    void setDevice(const QString& device) { device_ = device; }
    [[nodiscard]] QString device() const { return device_; }
    // A device is chosen until release(); the watchdog only ever reopens that one.
    [[nodiscard]] bool hasDevice() const { return !device_.isEmpty(); }

    // "<baud>,n,8,1"; false (and nothing changed) for any other form.
    bool setSettings(const QString& settings);
    [[nodiscard]] QString settings() const;

    bool open();
    void close();
    // Closes the port and forgets the device: nothing reopens it.
    void release();

    // Drops the waiting input; returns what the console had read of it (the
    // device driver's own buffer is cleared unseen).
    QByteArray discardInput();
    // Everything received so far; nothing when the port is not open.
    [[nodiscard]] std::optional<QByteArray> takeInput();
    bool write(const QByteArray& bytes);

    // Runs again after every reply; its owner reopens a port that failed
    // when it runs out.
    QTimer& reopenWatch() { return reopenWatch_; }

signals:
    // What was left in the input after a reply (normally nothing); after a
    // wait that timed out, the start of what came too late.
    void remainder(const QByteArray& bytes);

private:
    // Drops what waits, telling what the console had read of it.
    void dropWaitingInput();
    // A vanished device fails the port: it is closed and `lost` told.
    void onError(QSerialPort::SerialPortError error);
    // Drains the port after a wait that ended without a complete reply;
    // returns the start of what came meanwhile.
    QByteArray settle();

    QSerialPort port_;
    QTimer reopenWatch_;
    QString device_;
    qint32 baud_ = 115200;
};

}  // namespace zov::core
