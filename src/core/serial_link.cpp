#include "serial_link.h"

#include <QRegularExpression>

#include "protocol/numbers.h"

namespace zov::core {

std::optional<QString> serialDeviceFor(const QString& entry) {
    const QString text = entry.trimmed();
#ifdef Q_OS_WIN
    if (text.startsWith(QLatin1String("\\\\.\\")) ||
        text.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        return text;
    }
#else
    if (text.startsWith(QLatin1Char('/'))) {
        return text;
    }
#endif
    const auto number = protocol::parseNumber(text.toStdString());
    if (!number) {
        return std::nullopt;
    }
    const auto rounded = protocol::roundHalfEvenToInt16(*number);
    if (!rounded || *rounded < 1) {
        return std::nullopt;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(*rounded);
#else
    return QStringLiteral("/dev/ttyS%1").arg(*rounded - 1);
#endif
}

SerialLink::SerialLink(QObject* parent) : QObject(parent) {
    port_.setReadBufferSize(kInputLimit);
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::dataArrived);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

bool SerialLink::setSettings(const QString& settings) {
    static const QRegularExpression form(QStringLiteral("^(\\d+),n,8,1$"));
    const auto match = form.match(settings);
    if (!match.hasMatch()) {
        return false;
    }
    bool ok = false;
    const qint32 baud = match.captured(1).toInt(&ok);
    if (!ok || baud <= 0) {
        return false;
    }
    baud_ = baud;
    port_.setBaudRate(baud_);
    return true;
}

QString SerialLink::settings() const {
    return QStringLiteral("%1,n,8,1").arg(baud_);
}

bool SerialLink::open() {
    if (port_.isOpen()) {
        return true;
    }
    port_.setPortName(device_);
    port_.setBaudRate(baud_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (device_.isEmpty() || !port_.open(QIODevice::ReadWrite)) {
        return false;
    }
    // Bytes the device held before we opened it belong to nobody's command.
    port_.clear(QSerialPort::Input);
    return true;
}

void SerialLink::close() {
    if (port_.isOpen()) {
        port_.flush();  // a last command written just before closing still goes out
        port_.close();
    }
}

void SerialLink::release() {
    close();
    device_.clear();
}

QByteArray SerialLink::discardInput() {
    if (!port_.isOpen()) {
        return {};
    }
    QByteArray dropped = port_.readAll();
    port_.clear(QSerialPort::Input);
    dropped += port_.readAll();
    return dropped;
}

std::optional<QByteArray> SerialLink::takeInput() {
    if (!port_.isOpen()) {
        return std::nullopt;
    }
    return port_.readAll();
}

bool SerialLink::write(const QByteArray& bytes) {
    return port_.isOpen() && port_.write(bytes) == bytes.size();
}

void SerialLink::onError(QSerialPort::SerialPortError error) {
    // A vanished device (cable pulled, adapter unplugged, far end hung up)
    // leaves the port nominally open, and every further read fails at once:
    // left open, the port reports the failure again and again and burns a
    // core. Close it; the watchdog reopens it once the device is back.
    const bool unusable = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                          error == QSerialPort::WriteError;
    if (unusable && port_.isOpen()) {
        port_.close();
        emit lost();
    }
}

}  // namespace zov::core
