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

#include "app/main_state.h"
#include "app/serial_link.h"

namespace zov::app {

// A reply as the 8-bit text the protocol cuts work on.
inline std::string_view textOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

class CommandExchange : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyTimeLimitMs = 1000;
    static constexpr int kConnectTimeLimitMs = 10000;
    static constexpr int kUnsolicitedBufferLimit = 4096;
    // A reply longer than this is no reply of the supply's; collection stops there.
    static constexpr int kReplyByteLimit = 65536;

    CommandExchange(MainState& state, QObject* parent = nullptr);

    // --- operations every window uses ---
    [[nodiscard]] QByteArray ProcessOutputString(const QByteArray& command) const;
    void outputOutputString(const QByteArray& command);
    [[nodiscard]] QByteArray inputInputString();
    void countCommError();
    void suspendBackgroundTimers();
    void resumeBackgroundTimers();
    void sendWatchdogKeepAlive();

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

    // --- keeping exchanges apart ---
    [[nodiscard]] bool isWaiting() const { return waitDepth_ > 0; }
    // Runs `action` now, or, when a reply is being awaited, right after the
    // wait ends, so a timer tick never shares the link with a running exchange.
    void whenIdle(QObject* context, std::function<void()> action);
    // Runs `tick` on every timeout of `timer` like whenIdle, except that the
    // ticks falling due during one wait are run once, after it.
    void connectTimer(QTimer& timer, QObject* context, std::function<void()> tick);

    // Tests shorten the reply time limit here.
    void setReplyTimeLimitMs(int ms) { replyTimeLimitMs_ = ms; }
    [[nodiscard]] int replyTimeLimitMs() const { return replyTimeLimitMs_; }

signals:
    void transmitted(const QByteArray& frame);
    void received(const QByteArray& reply);
    void unsolicitedMessage(const QByteArray& message);
    // What was left in the serial input after a complete reply (normally nothing).
    void serialRemainder(const QByteArray& remainder);
    void commErrorsChanged(qint64 count);
    void tcpError(const QString& description);

private:
    QByteArray receiveTcp();
    std::optional<QByteArray> receiveSerial();
    // Waits, window live but user input held back, until `done` holds or the
    // deadline passes; wakes only on data arrival or the deadline.
    void waitUntil(const std::function<bool()>& done, int limitMs,
                   const std::function<void()>& collect);
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
    QByteArray unsolicited_;

    int replyTimeLimitMs_ = kReplyTimeLimitMs;
    int waitDepth_ = 0;
    bool drainScheduled_ = false;
    struct Deferred {
        QPointer<QObject> context;
        const QTimer* timer;  // the timer whose tick this is, if any
        std::function<void()> action;
    };
    std::deque<Deferred> deferred_;
};

}  // namespace zov::app
