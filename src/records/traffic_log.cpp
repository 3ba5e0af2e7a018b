#include "records/traffic_log.h"

#include <QDateTime>

#include "app/widgets/legible_text.h"

namespace zov::records {

bool isOutgoing(Outcome outcome) {
    return outcome == Outcome::Sent || outcome == Outcome::NotSent;
}

QString outcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Sent:
            return QStringLiteral("sent");
        case Outcome::NotSent:
            return QStringLiteral("not sent, link closed");
        case Outcome::Answered:
            return QStringLiteral("answered");
        case Outcome::NoReply:
            return QStringLiteral("no reply");
        case Outcome::Incomplete:
            return QStringLiteral("incomplete reply");
        case Outcome::Late:
            return QStringLiteral("late, dropped");
        case Outcome::Extra:
            return QStringLiteral("after the reply, dropped");
        case Outcome::Dropped:
            return QStringLiteral("no command's, dropped");
        case Outcome::Unsolicited:
            return QStringLiteral("unsolicited status");
    }
    return {};
}

QString timeText(const TrafficEntry& entry) {
    return QDateTime::fromMSecsSinceEpoch(entry.wallMs).toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString directionText(const TrafficEntry& entry) {
    return isOutgoing(entry.outcome) ? QStringLiteral("sent") : QStringLiteral("received");
}

QString frameText(const TrafficEntry& entry) {
    QString text =
        app::legibleText(QString::fromLatin1(entry.bytes), int(TrafficEntry::kBytesKept));
    if (entry.size > entry.bytes.size()) {
        text += QStringLiteral("... (%1 bytes)").arg(entry.size);
    }
    return text;
}

QString roundTripText(const TrafficEntry& entry) {
    if (entry.roundTripNs == TrafficEntry::kNoRoundTrip) {
        return {};
    }
    return QStringLiteral("%1 ms").arg(double(entry.roundTripNs) / 1e6, 0, 'f', 2);
}

QString lineOf(const TrafficEntry& entry) {
    const QString when = QDateTime::fromMSecsSinceEpoch(entry.wallMs)
                             .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    return QStringList{when,
                       entry.link,
                       directionText(entry),
                       frameText(entry),
                       roundTripText(entry),
                       outcomeText(entry.outcome)}
        .join(QLatin1Char('\t'));
}

bool matches(const TrafficEntry& entry, const QString& filter) {
    if (filter.isEmpty()) {
        return true;
    }
    return entry.link.contains(filter, Qt::CaseInsensitive) ||
           directionText(entry).contains(filter, Qt::CaseInsensitive) ||
           frameText(entry).contains(filter, Qt::CaseInsensitive) ||
           outcomeText(entry.outcome).contains(filter, Qt::CaseInsensitive);
}

TrafficLog::TrafficLog(std::size_t capacity) : capacity_(capacity > 0 ? capacity : 1) {
    // Reserved, not touched: the pages are only used as the log fills.
    ring_.reserve(capacity_);
}

void TrafficLog::append(TrafficEntry entry) {
    entry.size = entry.bytes.size();
    if (entry.bytes.size() > TrafficEntry::kBytesKept) {
        entry.bytes.truncate(TrafficEntry::kBytesKept);
    }
    if (ring_.size() < capacity_) {
        ring_.push_back(std::move(entry));
    } else {
        ring_[std::size_t(end_ % capacity_)] = std::move(entry);
    }
    ++end_;
    if (end_ - first_ > capacity_) {
        first_ = end_ - capacity_;
    }
}

void TrafficLog::clear() {
    first_ = end_;
}

}  // namespace zov::records
