// The serial side of the link: RS-232 or a USB virtual port, polled for input
// by the command exchange.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <optional>

namespace zov::core {

// Turns what the user chose (a port number, or a device path) into the name
// the platform opens: "COMn" on Windows, /dev/ttyS(n-1) on Linux. Nothing when
// the entry names no port.
[[nodiscard]] std::optional<QString> serialDeviceFor(const QString& entry);

class SerialLink : public QObject {
    Q_OBJECT
public:
    static constexpr auto kDefaultSettings = "115200,n,8,1";

    explicit SerialLink(QObject* parent = nullptr);

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
    [[nodiscard]] bool isOpen() const { return port_.isOpen(); }

    // Drops the waiting input; returns what the console had read of it (the
    // device driver's own buffer is cleared unseen).
    QByteArray discardInput();
    // Everything received so far; nothing when the port is not open.
    [[nodiscard]] std::optional<QByteArray> takeInput();
    bool write(const QByteArray& bytes);

signals:
    void dataArrived();
    // The device went away or failed under an open port, which is now closed.
    void lost();

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QString device_;
    qint32 baud_ = 115200;
};

}  // namespace zov::core
