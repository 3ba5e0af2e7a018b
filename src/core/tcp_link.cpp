// SPDX-License-Identifier: Apache-2.0
#include "tcp_link.h"

#include "protocol/frame.h"

namespace zov::core {

TcpLink::TcpLink(QObject* parent) : Link(parent), socket_(this) {
    // A peer that sends faster than the console reads meets a full buffer,
    // and TCP holds it back, instead of the console's memory growing.
    socket_.setReadBufferSize(kReplyByteLimit);
    connect(&socket_, &QTcpSocket::readyRead, this, [this] {
        emit dataArrived();
        emit activity();
    });
    connect(&socket_, &QTcpSocket::stateChanged, this, &Link::activity);
    connect(&socket_, &QTcpSocket::connected, this,
            [this] { socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    connect(&socket_, &QTcpSocket::disconnected, this,
            [this] { emit lost(QStringLiteral("TCP connection closed")); });
    connect(&socket_, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError) { emit error(socket_.errorString()); });
}

QByteArray TcpLink::frame(const QByteArray& command) const {
    return QByteArray::fromStdString(protocol::tcpFrame(textOf(command)));
}

bool TcpLink::isOpen() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

QString TcpLink::name() const {
    return QStringLiteral("TCP %1:%2").arg(remoteHost_).arg(remotePort_);
}

void TcpLink::takeInputBeforeCommand() {
    // Nothing that came before the command is its reply: status messages
    // among it are decoded, the rest (replies nobody read) is dropped.
    takeInput(kReplyByteLimit);
    if (const QByteArray rest = inbox_.take(kLateBytesShown); !rest.isEmpty()) {
        emit inputDropped(rest);
    }
    inbox_.clear();
}

void TcpLink::writeFrame(const QByteArray& frame) {
    if (isOpen()) {
        socket_.write(frame);
    }
}

std::optional<QByteArray> TcpLink::receiveReply(const QByteArray& command, int limitMs) {
    // A "22," query is answered in the very layout of a status message.
    const bool statusIsTheReply = command.startsWith("22,");
    std::optional<QByteArray> reply;
    bool lookForALaterReply = false;
    const auto collect = [&] {
        inbox_.append(socket_.readAll());
        while (!reply || lookForALaterReply) {
            auto frame = inbox_.takeFrame();
            if (!frame) {
                break;
            }
            if (!statusIsTheReply && isStatusMessage(*frame)) {
                queueStatus(*frame);
            } else {
                reply = std::move(frame);
            }
        }
    };
    const auto done = [&] { return reply || inbox_.size() >= kReplyByteLimit; };
    waitOnLink(limitMs, 0, collect, done);
    if (reply) {
        if (replyOverdue_) {
            lookForALaterReply = true;
            waitOnLink(kOverdueLookMs, 0, collect, [] { return false; });
            replyOverdue_ = false;
        }
        return *reply;  // what followed it stays for the status poll
    }
    replyOverdue_ = true;
    // Cut short by the time limit (or a stream without a terminator): what
    // came is returned as it is, what comes late belongs to nobody.
    const QByteArray partial = inbox_.take(kReplyByteLimit);
    emit replyMissing(partial);
    settle();
    return partial;
}

void TcpLink::settle() {
    waitOnLink(
        kSettleLimitMs, kSettleQuietMs, [this] { takeInput(kReplyByteLimit); },
        [] { return false; });
}

std::optional<QByteArray> TcpLink::takeStatusMessage() {
    if (statusQueue_.empty()) {
        return std::nullopt;
    }
    QByteArray message = std::move(statusQueue_.front());
    statusQueue_.pop_front();
    return message;
}

void TcpLink::setRemote(const QString& host, quint16 port) {
    remoteHost_ = host;
    remotePort_ = port;
}

void TcpLink::reset() {
    if (socket_.state() != QAbstractSocket::UnconnectedState) {
        socket_.abort();
    }
    inbox_.clear();
    statusQueue_.clear();
}

void TcpLink::connectAndWait(int limitMs) {
    socket_.connectToHost(remoteHost_, remotePort_);
    waitOnLink(
        limitMs, 0, [] {},
        [this] {
            return socket_.state() == QAbstractSocket::ConnectedState ||
                   socket_.state() == QAbstractSocket::UnconnectedState;
        });
}

void TcpLink::close() {
    if (socket_.state() != QAbstractSocket::UnconnectedState) {
        socket_.flush();
    }
    reset();
}

void TcpLink::takeInput(qint64 limit) {
    inbox_.append(socket_.read(limit));
    QByteArray dropped;
    while (const auto frame = inbox_.takeFrame()) {
        if (isStatusMessage(*frame)) {
            queueStatus(*frame);
        } else {
            dropped += frame->left(kLateBytesShown - dropped.size());
        }
    }
    const QByteArray unterminated = inbox_.boundUnterminated();
    dropped += unterminated.left(kLateBytesShown - dropped.size());
    if (!dropped.isEmpty()) {
        emit inputDropped(dropped);
    }
}

bool TcpLink::inputWaiting() const {
    return socket_.bytesAvailable() > 0 || inbox_.size() > 0;
}

void TcpLink::queueStatus(const QByteArray& frame) {
    statusQueue_.push_back(statusMessageIn(frame));
    if (statusQueue_.size() > kStatusQueueLimit) {
        statusQueue_.pop_front();
    }
}

}  // namespace zov::core
