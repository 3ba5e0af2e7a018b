// SPDX-License-Identifier: Apache-2.0
#include "serial_link.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRegularExpression>

#include "protocol/frame.h"
#include "protocol/numbers.h"

namespace zov::core {
namespace {

// A reply as it comes in. Only new bytes are searched for the LF, and a peer
// that streams without one is cut off at a bound.
class ReplyBuffer {
public:
    void append(const QByteArray& more) {
        const QByteArray taken = more.left(Link::kReplyByteLimit - bytes_.size());
        terminated_ = terminated_ || taken.contains(protocol::kLf);
        bytes_ += taken;
    }
    [[nodiscard]] bool terminated() const { return terminated_; }
    [[nodiscard]] bool done() const {
        return terminated_ || bytes_.size() >= Link::kReplyByteLimit;
    }
    [[nodiscard]] const QByteArray& bytes() const { return bytes_; }

private:
    QByteArray bytes_;
    bool terminated_ = false;
};

// The last whole line of `bytes`; all of them when there is only one.
QByteArray lastLine(const QByteArray& bytes) {
    const qsizetype end = bytes.lastIndexOf(protocol::kLf);
    if (end <= 0) {
        return bytes;
    }
    const qsizetype start = bytes.lastIndexOf(protocol::kLf, end - 1);
    return start < 0 ? bytes : bytes.mid(start + 1, end - start);
}

}  // namespace

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

SerialLink::SerialLink(QObject* parent) : Link(parent), port_(this), reopenWatch_(this) {
    reopenWatch_.setObjectName(QStringLiteral("tmr_COMMWDT"));
    reopenWatch_.setInterval(kReopenWatchMs);
    port_.setReadBufferSize(kInputLimit);
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        emit dataArrived();
        emit activity();
    });
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

QByteArray SerialLink::frame(const QByteArray& command) const {
    return QByteArray::fromStdString(protocol::serialFrame(textOf(command)));
}

QString SerialLink::name() const {
    return device_.isEmpty() ? QStringLiteral("no port") : device_;
}

void SerialLink::dropWaitingInput() {
    if (const QByteArray dropped = discardInput(); !dropped.isEmpty()) {
        emit inputDropped(dropped.left(kLateBytesShown));
    }
}

std::optional<QByteArray> SerialLink::receiveReply(const QByteArray& /*command*/, int limitMs) {
    ReplyBuffer buffer;
    bool readFailed = false;
    const auto collect = [&] {
        if (const auto input = takeInput()) {
            buffer.append(*input);
        } else {
            readFailed = true;
        }
    };
    waitOnLink(limitMs, 0, collect, [&] { return readFailed || buffer.done(); });
    if (readFailed || !buffer.terminated()) {
        emit replyMissing(buffer.bytes());
    }
    if (readFailed) {
        return std::nullopt;
    }
    const bool lookForALaterReply = replyOverdue_ && buffer.terminated();
    replyOverdue_ = !buffer.terminated();
    if (lookForALaterReply) {
        waitOnLink(kOverdueLookMs, 0, collect,
                   [&] { return readFailed || buffer.bytes().size() >= kReplyByteLimit; });
    }
    QByteArray left;
    if (buffer.terminated()) {
        // Whatever the same burst still carried belongs to this reply.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        collect();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        left = takeInput().value_or(QByteArray());
    } else {
        left = settle();
    }
    if (readFailed || !isOpen()) {
        if (buffer.terminated()) {
            emit replyMissing(buffer.bytes());  // the link went away with it
        }
        return std::nullopt;
    }
    emit remainder(left);
    reopenWatch_.start();
    return lookForALaterReply ? lastLine(buffer.bytes()) : buffer.bytes();
}

QByteArray SerialLink::settle() {
    QByteArray late;
    const auto drain = [&] {
        if (const auto input = takeInput()) {
            late += input->left(kLateBytesShown - late.size());
        }
    };
    waitOnLink(kSettleLimitMs, kSettleQuietMs, drain, [this] { return !isOpen(); });
    return late;
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
        emit lost(QStringLiteral("serial port failed: ") + device_);
        emit activity();
    }
}

}  // namespace zov::core
