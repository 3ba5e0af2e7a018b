#include "command_exchange.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>

#include "protocol/frame.h"

namespace zov::core {
namespace {

constexpr int kReceiveIdleMs = 1000;
constexpr int kCommWatchdogMs = 5000;
constexpr int kUpdateCycleMs = 66;
const QByteArray kKeepAlive = QByteArrayLiteral("WDTT;");

// A serial reply as it comes in. Only new bytes are searched for the LF, and
// a peer that streams without one is cut off at a bound.
class ReplyBuffer {
public:
    void append(const QByteArray& more) {
        const QByteArray taken = more.left(CommandExchange::kReplyByteLimit - bytes_.size());
        terminated_ = terminated_ || taken.contains(protocol::kLf);
        bytes_ += taken;
    }
    [[nodiscard]] bool terminated() const { return terminated_; }
    [[nodiscard]] bool done() const {
        return terminated_ || bytes_.size() >= CommandExchange::kReplyByteLimit;
    }
    [[nodiscard]] const QByteArray& bytes() const { return bytes_; }

private:
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

// The last whole line of `bytes`; all of them when there is only one.
QByteArray lastLine(const QByteArray& bytes) {
    const qsizetype end = bytes.lastIndexOf(protocol::kLf);
    if (end <= 0) {
        return bytes;
    }
    const qsizetype start = bytes.lastIndexOf(protocol::kLf, end - 1);
    return start < 0 ? bytes : bytes.mid(start + 1, end - start);
}

// What is passed on (diagnostics window, traffic log) of bytes that came too
// late or were dropped.
constexpr int kLateBytesShown = 4096;

}  // namespace

CommandExchange::CommandExchange(MainState& state, QObject* parent)
    : QObject(parent), state_(state), serial_(this) {
    rcvTimer_.setObjectName(QStringLiteral("tmr_RCVTIMER"));
    rcvTimer_.setInterval(kReceiveIdleMs);
    rcvTimer_.setSingleShot(true);  // the serial idle timer only switches itself off

    netPollTimer_.setObjectName(QStringLiteral("tmr_NETRCVTMR"));
    netPollTimer_.setSingleShot(true);
    connect(&netPollTimer_, &QTimer::timeout, this, &CommandExchange::pollUnsolicited);

    commWatchdog_.setObjectName(QStringLiteral("tmr_COMMWDT"));
    commWatchdog_.setInterval(kCommWatchdogMs);
    connect(&commWatchdog_, &QTimer::timeout, this, &CommandExchange::onCommWatchdog);

    updateTimer_.setObjectName(QStringLiteral("tmr_UPDATE"));
    updateTimer_.setInterval(kUpdateCycleMs);
    updateTimer_.setTimerType(Qt::PreciseTimer);

    // A peer that sends faster than the console reads meets a full buffer,
    // and TCP holds it back, instead of the console's memory growing.
    tcp_.setReadBufferSize(kReplyByteLimit);
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
    lastCommand_ = command;
    if (isEthernet()) {
        // Nothing that came before the command is its reply: status messages
        // among it are decoded, the rest (replies nobody read) is dropped.
        takeTcpInput(kReplyByteLimit);
        if (const QByteArray rest = tcpInbox_.take(kLateBytesShown); !rest.isEmpty()) {
            emit inputDropped(rest);
        }
        tcpInbox_.clear();
        deliverQueuedStatus();
        emit transmitted(frame);
        if (tcp_.state() == QAbstractSocket::ConnectedState) {
            tcp_.write(frame);
        }
        return;
    }
    // A closed port or a failed write ends here silently; the receive that
    // follows finds no reply and the caller counts it.
    discardSerialInput();
    emit transmitted(frame);
    serial_.write(frame);
}

QByteArray CommandExchange::inputInputString() {
    QByteArray reply;
    {
        WaitScope scope(waitDepth_);
        const auto collected =
            isEthernet() ? std::optional<QByteArray>(receiveTcp()) : receiveSerial();
        deliverQueuedStatus();
        if (collected) {
            reply = *collected;
            emit received(reply);
            rcvTimer_.start();
            discardSerialInput();
        }
    }
    afterWait();
    return reply;
}

QByteArray CommandExchange::receiveTcp() {
    // A "22," query is answered in the very layout of a status message.
    const bool statusIsTheReply = lastCommand_.startsWith("22,");
    std::optional<QByteArray> reply;
    bool lookForALaterReply = false;
    const auto collect = [&] {
        tcpInbox_.append(tcp_.readAll());
        while (!reply || lookForALaterReply) {
            auto frame = tcpInbox_.takeFrame();
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
    const auto done = [&] { return reply || tcpInbox_.size() >= kReplyByteLimit; };
    waitOnLink(replyTimeLimitMs_, 0, collect, done);
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
    const QByteArray partial = tcpInbox_.take(kReplyByteLimit);
    emit replyMissing(partial);
    settle();
    return partial;
}

std::optional<QByteArray> CommandExchange::receiveSerial() {
    ReplyBuffer buffer;
    bool readFailed = false;
    const auto collect = [&] {
        if (const auto input = serial_.takeInput()) {
            buffer.append(*input);
        } else {
            readFailed = true;
        }
    };
    waitOnLink(replyTimeLimitMs_, 0, collect, [&] { return readFailed || buffer.done(); });
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
    QByteArray remainder;
    if (buffer.terminated()) {
        // Whatever the same burst still carried belongs to this reply.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        collect();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        remainder = serial_.takeInput().value_or(QByteArray());
    } else {
        remainder = settle();
    }
    if (readFailed || !serial_.isOpen()) {
        if (buffer.terminated()) {
            emit replyMissing(buffer.bytes());  // the link went away with it
        }
        return std::nullopt;
    }
    emit serialRemainder(remainder);
    commWatchdog_.start();
    return lookForALaterReply ? lastLine(buffer.bytes()) : buffer.bytes();
}

QByteArray CommandExchange::settle() {
    QByteArray late;
    const auto drain = [&] {
        if (isEthernet()) {
            takeTcpInput(kReplyByteLimit);
        } else if (const auto input = serial_.takeInput()) {
            late += input->left(kLateBytesShown - late.size());
        }
    };
    waitOnLink(kSettleLimitMs, kSettleQuietMs, drain,
               [this] { return !isEthernet() && !serial_.isOpen(); });
    return late;
}

void CommandExchange::waitOnLink(int limitMs, int quietMs, const std::function<void()>& collect,
                                 const std::function<bool()>& done) {
    collect();
    if (done()) {
        return;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer quiet;
    quiet.setSingleShot(true);
    connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto onEvent = [&] {
        collect();
        if (done()) {
            loop.quit();
        } else if (quietMs > 0) {
            quiet.start(quietMs);
        }
    };
    const QMetaObject::Connection connections[] = {
        connect(&serial_, &SerialLink::dataArrived, &loop, onEvent),
        connect(&serial_, &SerialLink::lost, &loop, onEvent),
        connect(&tcp_, &QTcpSocket::readyRead, &loop, onEvent),
        connect(&tcp_, &QTcpSocket::stateChanged, &loop, onEvent),
    };
    deadline.start(limitMs);
    if (quietMs > 0) {
        quiet.start(quietMs);
    }
    // User input waits for the exchange to end; timers and repaint go on.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    for (const auto& connection : connections) {
        disconnect(connection);
    }
}

void CommandExchange::takeTcpInput(qint64 limit) {
    tcpInbox_.append(tcp_.read(limit));
    QByteArray dropped;
    while (const auto frame = tcpInbox_.takeFrame()) {
        if (isStatusMessage(*frame)) {
            queueStatus(*frame);
        } else {
            dropped += frame->left(kLateBytesShown - dropped.size());
        }
    }
    const QByteArray unterminated = tcpInbox_.boundUnterminated();
    dropped += unterminated.left(kLateBytesShown - dropped.size());
    if (!dropped.isEmpty()) {
        emit inputDropped(dropped);
    }
}

void CommandExchange::discardSerialInput() {
    if (const QByteArray dropped = serial_.discardInput(); !dropped.isEmpty()) {
        emit inputDropped(dropped.left(kLateBytesShown));
    }
}

void CommandExchange::queueStatus(const QByteArray& frame) {
    statusQueue_.push_back(statusMessageIn(frame));
    if (statusQueue_.size() > kStatusQueueLimit) {
        statusQueue_.pop_front();
    }
}

void CommandExchange::deliverQueuedStatus() {
    while (!statusQueue_.empty()) {
        const QByteArray message = std::move(statusQueue_.front());
        statusQueue_.pop_front();
        state_.RxBufferFull = 1;
        emit unsolicitedMessage(message);
        state_.RxBufferFull = 0;
    }
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
    tcpInbox_.clear();
    statusQueue_.clear();
    {
        WaitScope scope(waitDepth_);
        tcp_.connectToHost(remoteHost_, remotePort_);
        waitOnLink(
            kConnectTimeLimitMs, 0, [] {},
            [this] {
                return tcp_.state() == QAbstractSocket::ConnectedState ||
                       tcp_.state() == QAbstractSocket::UnconnectedState;
            });
    }
    afterWait();
}

void CommandExchange::closeTcp() {
    if (tcp_.state() != QAbstractSocket::UnconnectedState) {
        tcp_.flush();
        tcp_.abort();
    }
    tcpInbox_.clear();
    statusQueue_.clear();
}

bool CommandExchange::tcpInputWaiting() const {
    return tcp_.bytesAvailable() > 0 || tcpInbox_.size() > 0;
}

void CommandExchange::setNetPollEnabled(bool enabled) {
    netPollEnabled_ = enabled;
    if (!enabled) {
        netPollTimer_.stop();
    } else if (tcpInputWaiting()) {
        netPollTimer_.start(0);
    }
}

void CommandExchange::keepStatusPollRunning() {
    if (isEthernet()) {
        setNetPollEnabled(true);
    }
}

void CommandExchange::onTcpData() {
    // A poll already due keeps its time: a flood does not make it come sooner.
    if (netPollEnabled_ && !isWaiting() && !netPollTimer_.isActive()) {
        netPollTimer_.start(0);
    }
}

void CommandExchange::pollUnsolicited() {
    // Inside a reply wait the bytes are the awaited reply's.
    if (!netPollEnabled_ || !isEthernet() || isWaiting()) {
        return;
    }
    takeTcpInput(kUnsolicitedChunk);
    deliverQueuedStatus();
    if (tcp_.bytesAvailable() > 0) {
        netPollTimer_.start(kUnsolicitedPollMs);
    }
}

void CommandExchange::onCommWatchdog() {
    // Only the chosen port is reopened: after a failed choice, or once the
    // link is Ethernet, there is none.
    if (state_.CommStatusFlag && serial_.hasDevice() && !serial_.isOpen()) {
        serial_.open();
    }
}

void CommandExchange::whenIdle(QObject* context, std::function<void()> action) {
    if (!isWaiting()) {
        action();
        return;
    }
    deferred_.push_back({QPointer<QObject>(context), false, nullptr, std::move(action)});
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
            deferred_.push_back({QPointer<QObject>(context), true, &timer, tick});
        }
    });
}

void CommandExchange::stopTimer(QTimer& timer) {
    timer.stop();
    const auto itsTick = [&timer](const Deferred& d) { return d.isTick && d.timer == &timer; };
    deferred_.erase(std::remove_if(deferred_.begin(), deferred_.end(), itsTick), deferred_.end());
}

void CommandExchange::afterWait() {
    if (isWaiting()) {
        return;
    }
    if (netPollEnabled_ && tcpInputWaiting()) {
        netPollTimer_.start(0);
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
        if (!deferred_.empty() && !isWaiting()) {
            Deferred next = std::move(deferred_.front());
            deferred_.pop_front();
            // A timer stopped since its tick fell due (Manual Update Mode,
            // say) has no tick left to give; a single-shot one is stopped by
            // its own timeout, so its tick stands.
            const bool timerGone =
                next.timer.isNull() || (!next.timer->isActive() && !next.timer->isSingleShot());
            if (next.context && !(next.isTick && timerGone)) {
                next.action();
            }
        }
        // One action per pass of the event loop: the operator's input, held
        // back during each wait, is handled between them, even when a timer's
        // exchanges take longer than its interval and keep the queue full.
        drainDeferred();
    });
}

}  // namespace zov::core
