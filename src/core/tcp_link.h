// SPDX-License-Identifier: Apache-2.0
// The TCP side of the link: a command goes out between STX and ETX, and the
// unit sends its replies and, unasked, status messages in the same frames.
#pragma once

#include <QTcpSocket>
#include <deque>

#include "core/link.h"
#include "core/tcp_inbox.h"

namespace zov::core {

class TcpLink : public Link {
    Q_OBJECT
public:
    // Status messages kept for decoding while a reply is awaited; each is a
    // whole picture of the unit, so the newest are the ones kept.
    static constexpr std::size_t kStatusQueueLimit = 64;

    explicit TcpLink(QObject* parent = nullptr);

    [[nodiscard]] QByteArray frame(const QByteArray& command) const override;
    [[nodiscard]] bool isOpen() const override;
    [[nodiscard]] QString name() const override;
    void takeInputBeforeCommand() override;
    void writeFrame(const QByteArray& frame) override;
    [[nodiscard]] std::optional<QByteArray> receiveReply(const QByteArray& command,
                                                         int limitMs) override;
    [[nodiscard]] bool carriesStatusMessages() const override { return true; }
    void takeWaitingInput(qint64 limit) override { takeInput(limit); }
    [[nodiscard]] bool inputWaiting() const override;
    [[nodiscard]] bool inputUnread() const override { return socket_.bytesAvailable() > 0; }
    [[nodiscard]] std::optional<QByteArray> takeStatusMessage() override;

    QTcpSocket& socket() { return socket_; }
    void setRemote(const QString& host, quint16 port);
    [[nodiscard]] QString remoteHost() const { return remoteHost_; }
    [[nodiscard]] quint16 remotePort() const { return remotePort_; }
    // Drops the connection (what was written and not yet sent too) and what it held.
    void reset();
    // Starts connecting and waits until connected, failed or `limitMs` has
    // passed; reset() first.
    void connectAndWait(int limitMs);
    // Sends what was written, then drops the connection and what it held.
    void close();

signals:
    void error(const QString& description);

private:
    // Moves what the connection holds (at most `limit` bytes) into the inbox
    // and sorts out its frames: status messages are kept for decoding, other
    // frames are dropped.
    void takeInput(qint64 limit);
    void queueStatus(const QByteArray& frame);
    // Drains the connection after a wait that ended without a complete reply.
    void settle();

    QTcpSocket socket_;
    QString remoteHost_;
    quint16 remotePort_ = 0;
    TcpInbox inbox_;
    std::deque<QByteArray> statusQueue_;
};

}  // namespace zov::core
