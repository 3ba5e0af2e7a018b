// SPDX-License-Identifier: Apache-2.0
// One way to the supply, as the command exchange uses it: a serial port
// (RS-232 or a USB virtual port) or a TCP connection. Each frames commands,
// takes what waits before a command, cuts one reply out of what comes and
// drains what comes too late in its own way; the exchange talks to the one in
// use without asking which it is.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string_view>

namespace zov::core {

// A command or reply as the 8-bit text the protocol cuts work on.
inline std::string_view textOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

class Link : public QObject {
    Q_OBJECT
public:
    // A reply longer than this is no reply of the supply's; collection stops there.
    static constexpr int kReplyByteLimit = 65536;
    // After a wait that ended without a complete reply the link is drained
    // until nothing has come for this long (and at most for the limit), so the
    // rest of a reply that missed its time is never taken for the next one.
    static constexpr int kSettleQuietMs = 100;
    static constexpr int kSettleLimitMs = 500;
    // A reply that missed its time may still come later than that, right
    // before the next command's own (a unit answers in order): the exchange
    // after a timed-out one looks this long past its first reply for another
    // and takes the last.
    static constexpr int kOverdueLookMs = kSettleQuietMs;
    // What is passed on (diagnostics window, traffic log) of bytes that came
    // too late or were dropped.
    static constexpr int kLateBytesShown = 4096;

    using QObject::QObject;

    // The command as this link carries it.
    [[nodiscard]] virtual QByteArray frame(const QByteArray& command) const = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;
    // Takes what waits on the link before a command goes out: none of it is
    // that command's reply (dropped, and told by inputDropped).
    virtual void takeInputBeforeCommand() = 0;
    // Writes a framed command; a closed link writes nothing and the reply
    // wait that follows finds nothing.
    virtual void writeFrame(const QByteArray& frame) = 0;
    // Waits up to `limitMs` for the reply to `command`. Nothing when the link
    // failed under the wait; else the reply, or what came of it when it
    // missed its time (told by replyMissing as well).
    [[nodiscard]] virtual std::optional<QByteArray> receiveReply(const QByteArray& command,
                                                                 int limitMs) = 0;
    // After a reply and what was left of it have been taken: what comes
    // now belongs to nobody.
    virtual void dropInputAfterReply() {}

    // The unit also speaks unasked here (status messages): then the exchange
    // polls the link between exchanges instead of running the serial idle timer.
    [[nodiscard]] virtual bool carriesStatusMessages() const { return false; }
    // Between exchanges: takes at most `limit` bytes of what came and sorts
    // out the status messages among it.
    virtual void takeWaitingInput(qint64 /*limit*/) {}
    // Something came that nobody has taken yet, read or not.
    [[nodiscard]] virtual bool inputWaiting() const { return false; }
    // Bytes came that have not even been read from the link yet.
    [[nodiscard]] virtual bool inputUnread() const { return false; }
    // The oldest status message that came and waits to be decoded.
    [[nodiscard]] virtual std::optional<QByteArray> takeStatusMessage() { return std::nullopt; }

    // What the traffic log names the link by.
    [[nodiscard]] virtual QString name() const = 0;

signals:
    // Bytes came.
    void dataArrived();
    // Bytes came or the link changed: a wait on it looks again.
    void activity();
    // The link went away under the console (the port failed, the peer closed).
    void lost(const QString& why);
    // Input that was no reply to anybody's command and was dropped (at most
    // the first few KiB each time).
    void inputDropped(const QByteArray& bytes);
    // The wait for a reply ended without a complete one; `partial` is what came.
    void replyMissing(const QByteArray& partial);

protected:
    // Waits, window live but user input held back, until `done` holds, the
    // limit passes or, with `quietMs` set, nothing has come for that long.
    // `collect` runs first and whenever the link shows activity.
    void waitOnLink(int limitMs, int quietMs, const std::function<void()>& collect,
                    const std::function<bool()>& done);
    // The last exchange got no whole reply in time: the next one looks for a
    // late reply before its own.
    bool replyOverdue_ = false;
};

}  // namespace zov::core
