// SPDX-License-Identifier: Apache-2.0
// Fills the traffic log from what the command exchange reports: every frame
// sent, every reply or its absence, late and dropped input and status
// messages. It only listens: it never sends, never waits and does O(1) work
// per report, so an exchange takes as long with it as without it.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "core/command_exchange.h"
#include "records/traffic_log.h"

namespace zov::records {

class TrafficRecorder : public QObject {
    Q_OBJECT
public:
    explicit TrafficRecorder(core::CommandExchange& exchange, QObject* parent = nullptr);

    TrafficLog& log() { return log_; }
    const TrafficLog& log() const { return log_; }

private:
    void onTransmitted(const QByteArray& frame);
    void onReplyMissing(const QByteArray& partial);
    void onReceived(const QByteArray& reply);
    void onRemainder(const QByteArray& remainder);
    void onDropped(const QByteArray& bytes);
    void onUnsolicited(const QByteArray& message);
    void onArrival();
    void add(const QByteArray& bytes, Outcome outcome, qint64 roundTripNs);
    // Input that lay waiting until it was dropped: stamped when it came, and
    // when late with the round trip from its command to then.
    void addWaiting(const QByteArray& bytes, Outcome outcome);
    [[nodiscard]] qint64 sinceTransmit() const;
    // "TCP host:port" or the serial device: one copy, shared while it stays.
    const QString& currentLink();

    core::CommandExchange& exchange_;
    TrafficLog log_;
    QElapsedTimer clock_;
    qint64 transmittedAtNs_ = -1;
    // When the first bytes came that no row has told of yet (-1: none).
    qint64 arrivedAtNs_ = -1;
    qint64 arrivedWallMs_ = 0;
    // From a missed reply to the next command: what comes meanwhile is late
    // (however long after), and the `received` that repeats the missing
    // reply's bytes is not logged twice.
    bool replyMissed_ = false;
    QString link_;
};

}  // namespace zov::records
