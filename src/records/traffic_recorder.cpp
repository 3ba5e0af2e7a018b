#include "records/traffic_recorder.h"

#include <QDateTime>

namespace zov::records {

TrafficRecorder::TrafficRecorder(core::CommandExchange& exchange, QObject* parent)
    : QObject(parent), exchange_(exchange) {
    clock_.start();
    using core::CommandExchange;
    connect(&exchange, &CommandExchange::transmitted, this, &TrafficRecorder::onTransmitted);
    connect(&exchange, &CommandExchange::replyMissing, this, &TrafficRecorder::onReplyMissing);
    connect(&exchange, &CommandExchange::received, this, &TrafficRecorder::onReceived);
    connect(&exchange, &CommandExchange::serialRemainder, this, &TrafficRecorder::onRemainder);
    connect(&exchange, &CommandExchange::inputDropped, this, &TrafficRecorder::onDropped);
    connect(&exchange, &CommandExchange::unsolicitedMessage, this, &TrafficRecorder::onUnsolicited);
}

void TrafficRecorder::onTransmitted(const QByteArray& frame) {
    // The signal comes just before the write, with the link as it stands.
    const bool open = exchange_.isEthernet()
                          ? exchange_.tcp().state() == QAbstractSocket::ConnectedState
                          : exchange_.serial().isOpen();
    replyMissed_ = false;
    transmittedAtNs_ = clock_.nsecsElapsed();
    add(frame, open ? Outcome::Sent : Outcome::NotSent, TrafficEntry::kNoRoundTrip);
}

void TrafficRecorder::onReplyMissing(const QByteArray& partial) {
    replyMissed_ = true;
    add(partial, partial.isEmpty() ? Outcome::NoReply : Outcome::Incomplete, sinceTransmit());
}

void TrafficRecorder::onReceived(const QByteArray& reply) {
    if (replyMissed_) {
        return;
    }
    add(reply, Outcome::Answered, sinceTransmit());
}

void TrafficRecorder::onRemainder(const QByteArray& remainder) {
    if (!remainder.isEmpty()) {
        add(remainder, replyMissed_ ? Outcome::Late : Outcome::Extra, sinceTransmit());
    }
}

void TrafficRecorder::onDropped(const QByteArray& bytes) {
    // On TCP the rest of a missed reply is dropped while the link settles.
    add(bytes, replyMissed_ ? Outcome::Late : Outcome::Dropped, TrafficEntry::kNoRoundTrip);
}

void TrafficRecorder::onUnsolicited(const QByteArray& message) {
    add(message, Outcome::Unsolicited, TrafficEntry::kNoRoundTrip);
}

qint64 TrafficRecorder::sinceTransmit() const {
    return transmittedAtNs_ < 0 ? TrafficEntry::kNoRoundTrip
                                : clock_.nsecsElapsed() - transmittedAtNs_;
}

void TrafficRecorder::add(const QByteArray& bytes, Outcome outcome, qint64 roundTripNs) {
    log_.append({QDateTime::currentMSecsSinceEpoch(), roundTripNs, bytes, bytes.size(),
                 currentLink(), outcome});
}

const QString& TrafficRecorder::currentLink() {
    const bool ethernet = exchange_.isEthernet();
    const bool same = ethernet == ethernet_ &&
                      (ethernet ? exchange_.remoteHost() == host_ && exchange_.remotePort() == port_
                                : exchange_.serial().device() == device_);
    if (same && !link_.isEmpty()) {
        return link_;
    }
    ethernet_ = ethernet;
    host_ = exchange_.remoteHost();
    port_ = exchange_.remotePort();
    device_ = exchange_.serial().device();
    if (ethernet) {
        link_ = QStringLiteral("TCP %1:%2").arg(host_).arg(port_);
    } else {
        link_ = device_.isEmpty() ? QStringLiteral("no port") : device_;
    }
    return link_;
}

}  // namespace zov::records
