// The one path by which every window talks to the supply: frame a command for
// the active link, send it, collect one reply within the time limit, and keep
// the links and background timers in order around it.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <functional>
#include <string_view>

#include "core/main_state.h"
#include "core/serial_link.h"
#include "core/tcp_inbox.h"

namespace zov::core {

// A reply as the 8-bit text the protocol cuts work on.
inline std::string_view textOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

class CommandExchange : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyTimeLimitMs = 1000;
    static constexpr int kConnectTimeLimitMs = 10000;
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
    // Between exchanges the TCP link is read this much at a time, at most once
    // per poll period, however fast a peer sends.
    static constexpr int kUnsolicitedChunk = 1024;
    static constexpr int kUnsolicitedPollMs = 1;
    // Status messages kept for decoding while a reply is awaited; each is a
    // whole picture of the unit, so the newest are the ones kept.
    static constexpr std::size_t kStatusQueueLimit = 64;

    CommandExchange(MainState& state, QObject* parent = nullptr);

    // --- operations every window uses ---
    [[nodiscard]] QByteArray ProcessOutputString(const QByteArray& command) const;
    void outputOutputString(const QByteArray& command);
    [[nodiscard]] QByteArray inputInputString();
    void countCommError();
    void suspendBackgroundTimers();
    void resumeBackgroundTimers();
    void sendWatchdogKeepAlive();
    // The command last sent, unframed (what a counted error was the answer to).
    [[nodiscard]] QByteArray lastCommand() const { return lastCommand_; }

    // --- links, chosen by the Ports menu ---
    SerialLink& serial() { return serial_; }
    QTcpSocket& tcp() { return tcp_; }
    [[nodiscard]] bool isEthernet() const;
    void setRemote(const QString& host, quint16 port);
    [[nodiscard]] QString remoteHost() const { return remoteHost_; }
    [[nodiscard]] quint16 remotePort() const { return remotePort_; }
    // Starts connecting and waits (window still live) until connected, failed
    // or the connect time limit has passed.
    void connectTcpAndWait();
    void closeTcp();

    // --- background timers ---
    QTimer& tmr_RCVTIMER() { return rcvTimer_; }
    QTimer& tmr_COMMWDT() { return commWatchdog_; }
    QTimer& tmr_UPDATE() { return updateTimer_; }
    // The unsolicited-status poll is armed or not; it wakes on arriving data.
    [[nodiscard]] bool netPollEnabled() const { return netPollEnabled_; }
    void setNetPollEnabled(bool enabled);
    // For operations that leave the serial receive timer as it is: on
    // Ethernet the status poll runs again, so the panel keeps hearing the
    // unit's status messages between exchanges.
    void keepStatusPollRunning();

    // --- keeping exchanges apart ---
    [[nodiscard]] bool isWaiting() const { return waitDepth_ > 0; }
    // Runs `action` now, or, when a reply is being awaited, right after the
    // wait ends, so a timer tick never shares the link with a running exchange.
    void whenIdle(QObject* context, std::function<void()> action);
    // Runs `tick` on every timeout of `timer` like whenIdle, except that the
    // ticks falling due during one wait are run once, after it, and only while
    // the timer still runs when their turn comes.
    void connectTimer(QTimer& timer, QObject* context, std::function<void()> tick);
    // Stops a timer of connectTimer for good: a tick of it still waiting for
    // an exchange to end is dropped, so it cannot run inside whatever the
    // owner does next (a new start's input box, say). A pause around an
    // exchange (suspendBackgroundTimers) keeps such ticks.
    void stopTimer(QTimer& timer);

    // Tests shorten the reply time limit here.
    void setReplyTimeLimitMs(int ms) { replyTimeLimitMs_ = ms; }
    [[nodiscard]] int replyTimeLimitMs() const { return replyTimeLimitMs_; }

signals:
    // Just before the frame is written, once the input that waited for it
    // has been taken (and reported as dropped or as status messages).
    void transmitted(const QByteArray& frame);
    void received(const QByteArray& reply);
    void unsolicitedMessage(const QByteArray& message);
    // What was left in the serial input after a reply (normally nothing);
    // after a wait that timed out, the start of what came too late.
    void serialRemainder(const QByteArray& remainder);
    // The wait for a reply ended without a complete one: the time limit
    // passed, the link went away or a stream ran past the reply bound.
    // `partial` is what came of it; `received` follows with the same bytes
    // when the link still stands.
    void replyMissing(const QByteArray& partial);
    // Input that was no reply to anybody's command and was dropped: what the
    // link held when a command went out, and on TCP the frames among the
    // waiting input that are no status messages (at most one signal each
    // time the input is taken, with at most the first few KiB).
    void inputDropped(const QByteArray& bytes);
    void commErrorsChanged(qint64 count);
    void tcpError(const QString& description);

private:
    QByteArray receiveTcp();
    std::optional<QByteArray> receiveSerial();
    // Waits, window live but user input held back, until `done` holds, the
    // limit passes or, with `quietMs` set, nothing has come for that long.
    // `collect` runs first and whenever data arrives or the link changes.
    void waitOnLink(int limitMs, int quietMs, const std::function<void()>& collect,
                    const std::function<bool()>& done);
    // Drains the link after a wait that ended without a complete reply;
    // returns (the start of) what the serial link delivered meanwhile.
    QByteArray settle();
    // Moves what the TCP connection holds (at most `limit` bytes) into the
    // inbox and sorts out its frames: status messages are kept for decoding,
    // other frames are dropped.
    void takeTcpInput(qint64 limit);
    void discardSerialInput();
    void queueStatus(const QByteArray& frame);
    void deliverQueuedStatus();
    [[nodiscard]] bool tcpInputWaiting() const;
    void onTcpData();
    void pollUnsolicited();
    void onCommWatchdog();
    // After a wait: picks up status that came meanwhile and runs what was deferred.
    void afterWait();
    void drainDeferred();

    MainState& state_;
    SerialLink serial_;
    QTcpSocket tcp_;
    QString remoteHost_;
    quint16 remotePort_ = 0;

    QTimer rcvTimer_;
    QTimer netPollTimer_;
    QTimer commWatchdog_;
    QTimer updateTimer_;
    bool netPollEnabled_ = false;
    TcpInbox tcpInbox_;
    std::deque<QByteArray> statusQueue_;
    QByteArray lastCommand_;

    int replyTimeLimitMs_ = kReplyTimeLimitMs;
    bool replyOverdue_ = false;  // the last exchange got no whole reply in time
    int waitDepth_ = 0;
    bool drainScheduled_ = false;
    struct Deferred {
        QPointer<QObject> context;
        bool isTick;                   // a timer's tick rather than a whenIdle action
        QPointer<const QTimer> timer;  // the timer whose tick this is
        std::function<void()> action;
    };
    std::deque<Deferred> deferred_;
};

}  // namespace zov::core
