// SPDX-License-Identifier: Apache-2.0
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
    // Told before the exchange takes the bytes, as these listen from start-up.
    connect(&exchange.serial(), &core::Link::dataArrived, this, &TrafficRecorder::onArrival);
    connect(&exchange.tcp(), &core::Link::dataArrived, this, &TrafficRecorder::onArrival);
}

void TrafficRecorder::onArrival() {
    if (arrivedAtNs_ < 0) {
        arrivedAtNs_ = clock_.nsecsElapsed();
        arrivedWallMs_ = QDateTime::currentMSecsSinceEpoch();
    }
}

void TrafficRecorder::onTransmitted(const QByteArray& frame) {
    // The signal comes just before the write, with the link as it stands.
    const bool open = exchange_.link().isOpen();
    replyMissed_ = false;
    transmittedAtNs_ = clock_.nsecsElapsed();
    arrivedAtNs_ = -1;
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
        addWaiting(remainder, replyMissed_ ? Outcome::Late : Outcome::Extra);
    }
    arrivedAtNs_ = -1;
}

void TrafficRecorder::onDropped(const QByteArray& bytes) {
    // On TCP the rest of a missed reply is dropped while the link settles;
    // on either link what came after that when the next command goes out.
    addWaiting(bytes, replyMissed_ ? Outcome::Late : Outcome::Dropped);
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
    if (!isOutgoing(outcome)) {
        arrivedAtNs_ = -1;
    }
}

void TrafficRecorder::addWaiting(const QByteArray& bytes, Outcome outcome) {
    if (arrivedAtNs_ < 0) {
        // Bytes the system held until now (no arrival was told): they came by now.
        onArrival();
    }
    const bool late = outcome == Outcome::Late || outcome == Outcome::Extra;
    const qint64 roundTrip = late && transmittedAtNs_ >= 0 ? arrivedAtNs_ - transmittedAtNs_
                                                           : TrafficEntry::kNoRoundTrip;
    log_.append({arrivedWallMs_, roundTrip, bytes, bytes.size(), currentLink(), outcome});
    arrivedAtNs_ = -1;
}

const QString& TrafficRecorder::currentLink() {
    // Entries share one copy of the name for as long as the link stays.
    if (QString name = exchange_.link().name(); name != link_) {
        link_ = std::move(name);
    }
    return link_;
}

}  // namespace zov::records
