// SPDX-License-Identifier: Apache-2.0
#include "command_exchange.h"

#include <algorithm>

namespace zov::core {
namespace {

constexpr int kReceiveIdleMs = 1000;
constexpr int kUpdateCycleMs = 66;
const QByteArray kKeepAlive = QByteArrayLiteral("WDTT;");

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
    : QObject(parent),
      state_(state),
      serial_(this),
      tcp_(this),
      rcvTimer_(this),
      netPollTimer_(this),
      updateTimer_(this) {
    rcvTimer_.setObjectName(QStringLiteral("tmr_RCVTIMER"));
    rcvTimer_.setInterval(kReceiveIdleMs);
    rcvTimer_.setSingleShot(true);  // the serial idle timer only switches itself off

    netPollTimer_.setObjectName(QStringLiteral("tmr_NETRCVTMR"));
    netPollTimer_.setSingleShot(true);
    connect(&netPollTimer_, &QTimer::timeout, this, &CommandExchange::pollUnsolicited);

    connect(&serial_.reopenWatch(), &QTimer::timeout, this, &CommandExchange::onCommWatchdog);

    updateTimer_.setObjectName(QStringLiteral("tmr_UPDATE"));
    updateTimer_.setInterval(kUpdateCycleMs);
    updateTimer_.setTimerType(Qt::PreciseTimer);

    forwardSignalsOf(serial_);
    forwardSignalsOf(tcp_);
    connect(&serial_, &SerialLink::remainder, this, &CommandExchange::serialRemainder);
    connect(&tcp_, &TcpLink::dataArrived, this, &CommandExchange::onTcpData);
    connect(&tcp_, &TcpLink::error, this, &CommandExchange::tcpError);
}

void CommandExchange::forwardSignalsOf(Link& link) {
    connect(&link, &Link::inputDropped, this, &CommandExchange::inputDropped);
    connect(&link, &Link::replyMissing, this, &CommandExchange::replyMissing);
    connect(&link, &Link::lost, this, &CommandExchange::linkLost);
}

bool CommandExchange::tcpChosen() const {
    return state_.portType == QLatin1String("ethernet");
}

Link& CommandExchange::link() {
    return tcpChosen() ? static_cast<Link&>(tcp_) : serial_;
}

const Link& CommandExchange::link() const {
    return tcpChosen() ? static_cast<const Link&>(tcp_) : serial_;
}

QByteArray CommandExchange::ProcessOutputString(const QByteArray& command) const {
    return link().frame(command);
}

void CommandExchange::outputOutputString(const QByteArray& command) {
    Link& link = this->link();
    const QByteArray frame = link.frame(command);
    lastCommand_ = command;
    link.takeInputBeforeCommand();
    deliverQueuedStatus(link);
    emit transmitted(frame);
    link.writeFrame(frame);
}

QByteArray CommandExchange::inputInputString() {
    QByteArray reply;
    {
        WaitScope scope(waitDepth_);
        Link& link = this->link();
        const auto collected = link.receiveReply(lastCommand_, replyTimeLimitMs_);
        deliverQueuedStatus(link);
        if (collected) {
            reply = *collected;
            emit received(reply);
            rcvTimer_.start();
            link.dropInputAfterReply();
        }
    }
    afterWait();
    return reply;
}

void CommandExchange::deliverQueuedStatus(Link& link) {
    while (const auto message = link.takeStatusMessage()) {
        state_.RxBufferFull = 1;
        emit unsolicitedMessage(*message);
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
    if (link().carriesStatusMessages()) {
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

void CommandExchange::connectTcpAndWait() {
    // A connection that stands is dropped before the wait, so whoever hears
    // of its loss is not held back by the wait.
    tcp_.reset();
    {
        WaitScope scope(waitDepth_);
        tcp_.connectAndWait(kConnectTimeLimitMs);
    }
    afterWait();
}

void CommandExchange::setNetPollEnabled(bool enabled) {
    netPollEnabled_ = enabled;
    if (!enabled) {
        netPollTimer_.stop();
    } else if (link().inputWaiting()) {
        netPollTimer_.start(0);
    }
}

void CommandExchange::keepStatusPollRunning() {
    if (link().carriesStatusMessages()) {
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
    Link& link = this->link();
    if (!netPollEnabled_ || !link.carriesStatusMessages() || isWaiting()) {
        return;
    }
    link.takeWaitingInput(kUnsolicitedChunk);
    deliverQueuedStatus(link);
    if (link.inputUnread()) {
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
    if (netPollEnabled_ && link().inputWaiting()) {
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
