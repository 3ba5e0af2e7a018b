// SPDX-License-Identifier: Apache-2.0
// The one path by which every window talks to the supply: frame a command for
// the active link, send it, collect one reply within the time limit, and keep
// the links and background timers in order around it.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

#include "core/main_state.h"
#include "core/serial_link.h"
#include "core/tcp_link.h"

namespace zov::core {

class CommandExchange : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyTimeLimitMs = 1000;
    static constexpr int kConnectTimeLimitMs = 10000;
    static constexpr int kReplyByteLimit = Link::kReplyByteLimit;
    // Between exchanges the TCP link is read this much at a time, at most once
    // per poll period, however fast a peer sends.
    static constexpr int kUnsolicitedChunk = 1024;
    static constexpr int kUnsolicitedPollMs = 1;

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
    TcpLink& tcp() { return tcp_; }
    // The one the port type names: the TCP link for "ethernet", else the serial one.
    [[nodiscard]] Link& link();
    [[nodiscard]] const Link& link() const;
    void setRemote(const QString& host, quint16 port) { tcp_.setRemote(host, port); }
    [[nodiscard]] QString remoteHost() const { return tcp_.remoteHost(); }
    [[nodiscard]] quint16 remotePort() const { return tcp_.remotePort(); }
    // Starts connecting and waits (window still live) until connected, failed
    // or the connect time limit has passed.
    void connectTcpAndWait();
    void closeTcp() { tcp_.close(); }

    // --- background timers ---
    QTimer& tmr_RCVTIMER() { return rcvTimer_; }
    QTimer& tmr_COMMWDT() { return serial_.reopenWatch(); }
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
    // The serial port failed or the TCP connection closed under the console.
    void linkLost(const QString& why);
    // Input that was no reply to anybody's command and was dropped: what the
    // link held when a command went out, and on TCP the frames among the
    // waiting input that are no status messages (at most one signal each
    // time the input is taken, with at most the first few KiB).
    void inputDropped(const QByteArray& bytes);
    void commErrorsChanged(qint64 count);
    void tcpError(const QString& description);

private:
    [[nodiscard]] bool tcpChosen() const;
    void forwardSignalsOf(Link& link);
    void deliverQueuedStatus(Link& link);
    void onTcpData();
    void pollUnsolicited();
    void onCommWatchdog();
    // After a wait: picks up status that came meanwhile and runs what was deferred.
    void afterWait();
    void drainDeferred();

    MainState& state_;
    SerialLink serial_;
    TcpLink tcp_;

    QTimer rcvTimer_;
    QTimer netPollTimer_;
    QTimer updateTimer_;
    bool netPollEnabled_ = false;
    QByteArray lastCommand_;

    int replyTimeLimitMs_ = kReplyTimeLimitMs;
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
