#include "command_exchange.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>

#include "protocol/frame.h"

namespace zov::app {
namespace {

constexpr int kReceiveIdleMs = 1000;
constexpr int kCommWatchdogMs = 5000;
constexpr int kUpdateCycleMs = 66;
const QByteArray kKeepAlive = QByteArrayLiteral("WDTT;");

// One reply as it comes in. Only new bytes are searched for the terminator,
// and a peer that streams without one is cut off at a bound.
class ReplyBuffer {
public:
    explicit ReplyBuffer(char terminator) : terminator_(terminator) {}

    void append(const QByteArray& more) {
        const QByteArray taken = more.left(CommandExchange::kReplyByteLimit - bytes_.size());
        terminated_ = terminated_ || taken.contains(terminator_);
        bytes_ += taken;
    }
    [[nodiscard]] bool done() const {
        return terminated_ || bytes_.size() >= CommandExchange::kReplyByteLimit;
    }
    [[nodiscard]] const QByteArray& bytes() const { return bytes_; }

private:
    char terminator_;
    QByteArray bytes_;
    bool terminated_ = false;
};

// Marks the exchange as awaiting something for the lifetime of the scope.
class WaitScope {
public:
    explicit WaitScope(int& depth) : depth_(depth) { ++depth_; }
    ~WaitScope() { --depth_; }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    int& depth_;
};

}  // namespace

CommandExchange::CommandExchange(MainState& state, QObject* parent)
    : QObject(parent), state_(state), serial_(this) {
    rcvTimer_.setObjectName(QStringLiteral("tmr_RCVTIMER"));
    rcvTimer_.setInterval(kReceiveIdleMs);
    rcvTimer_.setSingleShot(true);  // the serial idle timer only switches itself off

    netPollTimer_.setObjectName(QStringLiteral("tmr_NETRCVTMR"));
    netPollTimer_.setInterval(0);
    netPollTimer_.setSingleShot(true);
    connect(&netPollTimer_, &QTimer::timeout, this, &CommandExchange::pollUnsolicited);

    commWatchdog_.setObjectName(QStringLiteral("tmr_COMMWDT"));
    commWatchdog_.setInterval(kCommWatchdogMs);
    connect(&commWatchdog_, &QTimer::timeout, this, &CommandExchange::onCommWatchdog);

    updateTimer_.setObjectName(QStringLiteral("tmr_UPDATE"));
    updateTimer_.setInterval(kUpdateCycleMs);
    updateTimer_.setTimerType(Qt::PreciseTimer);

    connect(&tcp_, &QTcpSocket::readyRead, this, &CommandExchange::onTcpData);
    connect(&tcp_, &QTcpSocket::connected, this,
            [this] { tcp_.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    connect(&tcp_, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError) { emit tcpError(tcp_.errorString()); });
}

bool CommandExchange::isEthernet() const {
    return state_.portType == QLatin1String("ethernet");
}

QByteArray CommandExchange::ProcessOutputString(const QByteArray& command) const {
    const std::string frame =
        isEthernet() ? protocol::tcpFrame(textOf(command)) : protocol::serialFrame(textOf(command));
    return QByteArray(frame.data(), static_cast<qsizetype>(frame.size()));
}

void CommandExchange::outputOutputString(const QByteArray& command) {
    const QByteArray frame = ProcessOutputString(command);
    emit transmitted(frame);
    if (isEthernet()) {
        if (tcp_.state() == QAbstractSocket::ConnectedState) {
            tcp_.write(frame);
        }
        return;
    }
    // A closed port or a failed write ends here silently; the receive that
    // follows finds no reply and the caller counts it.
    serial_.discardInput();
    serial_.write(frame);
}

QByteArray CommandExchange::inputInputString() {
    QByteArray reply;
    {
        WaitScope scope(waitDepth_);
        const auto collected =
            isEthernet() ? std::optional<QByteArray>(receiveTcp()) : receiveSerial();
        if (collected) {
            reply = *collected;
            emit received(reply);
            rcvTimer_.start();
            serial_.discardInput();
        }
    }
    afterWait();
    return reply;
}

QByteArray CommandExchange::receiveTcp() {
    ReplyBuffer buffer(protocol::kEtx);
    waitUntil([&] { return buffer.done(); }, replyTimeLimitMs_,
              [&] { buffer.append(tcp_.readAll()); });
    return buffer.bytes();
}

std::optional<QByteArray> CommandExchange::receiveSerial() {
    ReplyBuffer buffer(protocol::kLf);
    bool readFailed = false;
    const auto collect = [&] {
        if (const auto input = serial_.takeInput()) {
            buffer.append(*input);
        } else {
            readFailed = true;
        }
    };
    waitUntil([&] { return readFailed || buffer.done(); }, replyTimeLimitMs_, collect);
    if (readFailed) {
        return std::nullopt;
    }
    // Whatever the same burst still carried belongs to this reply.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    collect();
    if (readFailed) {
        return std::nullopt;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    emit serialRemainder(serial_.takeInput().value_or(QByteArray()));
    commWatchdog_.start();
    return buffer.bytes();
}

void CommandExchange::waitUntil(const std::function<bool()>& done, int limitMs,
                                const std::function<void()>& collect) {
    collect();
    if (done()) {
        return;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto onData = [&] {
        collect();
        if (done()) {
            loop.quit();
        }
    };
    const auto serialConnection = connect(&serial_, &SerialLink::dataArrived, &loop, onData);
    const auto tcpConnection = connect(&tcp_, &QTcpSocket::readyRead, &loop, onData);
    const auto tcpStateConnection =
        connect(&tcp_, &QTcpSocket::stateChanged, &loop, [&](QAbstractSocket::SocketState) {
            if (done()) {
                loop.quit();
            }
        });
    deadline.start(limitMs);
    // User input waits for the exchange to end; timers and repaint go on.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    disconnect(serialConnection);
    disconnect(tcpConnection);
    disconnect(tcpStateConnection);
}

void CommandExchange::countCommError() {
    ++state_.CommErrors;
    emit commErrorsChanged(state_.CommErrors);
}

void CommandExchange::suspendBackgroundTimers() {
    rcvTimer_.stop();
    setNetPollEnabled(false);
    if (state_.AutoUpdate) {
        updateTimer_.stop();
    }
}

void CommandExchange::resumeBackgroundTimers() {
    if (isEthernet()) {
        setNetPollEnabled(true);
    } else {
        rcvTimer_.start();
    }
    if (state_.AutoUpdate) {
        updateTimer_.start();
    }
}

void CommandExchange::sendWatchdogKeepAlive() {
    suspendBackgroundTimers();
    outputOutputString(kKeepAlive);
    resumeBackgroundTimers();
}

void CommandExchange::setRemote(const QString& host, quint16 port) {
    remoteHost_ = host;
    remotePort_ = port;
}

void CommandExchange::connectTcpAndWait() {
    if (tcp_.state() != QAbstractSocket::UnconnectedState) {
        tcp_.abort();
    }
    unsolicited_.clear();
    {
        WaitScope scope(waitDepth_);
        tcp_.connectToHost(remoteHost_, remotePort_);
        waitUntil(
            [this] {
                return tcp_.state() == QAbstractSocket::ConnectedState ||
                       tcp_.state() == QAbstractSocket::UnconnectedState;
            },
            kConnectTimeLimitMs, [] {});
    }
    afterWait();
}

void CommandExchange::closeTcp() {
    if (tcp_.state() != QAbstractSocket::UnconnectedState) {
        tcp_.flush();
        tcp_.abort();
    }
    unsolicited_.clear();
}

void CommandExchange::setNetPollEnabled(bool enabled) {
    netPollEnabled_ = enabled;
    if (!enabled) {
        netPollTimer_.stop();
    } else if (tcp_.bytesAvailable() > 0 || unsolicited_.contains(protocol::kEtx)) {
        netPollTimer_.start();
    }
}

void CommandExchange::onTcpData() {
    if (netPollEnabled_ && !isWaiting()) {
        netPollTimer_.start();
    }
}

void CommandExchange::pollUnsolicited() {
    // Inside a reply wait the bytes are the awaited reply's.
    if (!netPollEnabled_ || !isEthernet() || isWaiting()) {
        return;
    }
    unsolicited_ += tcp_.readAll();
    qsizetype end;
    while ((end = unsolicited_.indexOf(protocol::kEtx)) >= 0) {
        QByteArray message = unsolicited_.left(end + 1);
        unsolicited_.remove(0, end + 1);
        // A message whose start was taken by a reply read leaves a stray
        // fragment in front; the message proper starts at its last STX.
        const qsizetype start = message.lastIndexOf(protocol::kStx);
        if (start > 0) {
            message.remove(0, start);
        }
        state_.RxBufferFull = 1;
        emit unsolicitedMessage(message);
        state_.RxBufferFull = 0;
    }
    if (unsolicited_.size() > kUnsolicitedBufferLimit) {
        unsolicited_.clear();  // no terminator in sight: not a status message
    }
}

void CommandExchange::onCommWatchdog() {
    if (state_.CommStatusFlag && !serial_.isOpen()) {
        serial_.open();
    }
}

void CommandExchange::whenIdle(QObject* context, std::function<void()> action) {
    if (!isWaiting()) {
        action();
        return;
    }
    deferred_.push_back({QPointer<QObject>(context), nullptr, std::move(action)});
}

void CommandExchange::connectTimer(QTimer& timer, QObject* context, std::function<void()> tick) {
    connect(&timer, &QTimer::timeout, context, [this, &timer, context, tick = std::move(tick)] {
        if (!isWaiting()) {
            tick();
            return;
        }
        // Ticks that fall due during one wait make one late tick, not a burst.
        const bool pending = std::any_of(deferred_.begin(), deferred_.end(),
                                         [&timer](const Deferred& d) { return d.timer == &timer; });
        if (!pending) {
            deferred_.push_back({QPointer<QObject>(context), &timer, tick});
        }
    });
}

void CommandExchange::afterWait() {
    if (isWaiting()) {
        return;
    }
    if (netPollEnabled_ && tcp_.bytesAvailable() > 0) {
        netPollTimer_.start();
    }
    drainDeferred();
}

void CommandExchange::drainDeferred() {
    if (isWaiting() || deferred_.empty() || drainScheduled_) {
        return;
    }
    // Run them from the event loop, after the handler that waited has done
    // the rest of its work with the reply.
    drainScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        drainScheduled_ = false;
        while (!deferred_.empty() && !isWaiting()) {
            Deferred next = std::move(deferred_.front());
            deferred_.pop_front();
            if (next.context) {
                next.action();
            }
        }
        drainDeferred();
    });
}

}  // namespace zov::app
