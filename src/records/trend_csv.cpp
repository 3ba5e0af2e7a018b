#include "trend_csv.h"

#include <QDateTime>
#include <QSaveFile>
#include <limits>

#include "records/record_lines.h"
#include "records/trend_store.h"

namespace zov::records {
namespace {

QString csvText(const QString& text) {
    return QString::fromUtf8(csvField(text));
}

constexpr qsizetype kChunkBytes = 1 << 20;

// Formats a day of timestamps fast: the date, time and offset are worked out
// once a second, the milliseconds added to them.
class Timestamps {
public:
    QString operator()(std::int64_t wallClockMs) {
        const std::int64_t second =
            wallClockMs >= 0 ? wallClockMs / 1000 : (wallClockMs - 999) / 1000;
        if (second != second_) {
            second_ = second;
            const QString whole = csvTimestamp(second * 1000);
            // "2024-05-01T10:00:00.000+02:00": the milliseconds sit at 20.
            head_ = whole.left(20);
            tail_ = whole.mid(23);
        }
        const auto ms = int(wallClockMs - second_ * 1000);
        return head_ + QStringLiteral("%1").arg(ms, 3, 10, QLatin1Char('0')) + tail_;
    }

private:
    std::int64_t second_ = std::numeric_limits<std::int64_t>::min();
    QString head_;
    QString tail_;
};

}  // namespace

TrendSnapshot takeSnapshot(const TrendStore& store, std::int64_t fromMs, std::int64_t toMs) {
    TrendSnapshot snapshot;
    snapshot.wallClockAtZeroMs = store.wallClockMs(0);
    for (int q = 0; q < kQuantities; ++q) {
        const TrendSeries& source = store.series(q);
        snapshot.series.emplace_back(source, source.lowerBound(fromMs), source.upperBound(toMs));
    }
    const MarkerLog& markers = store.markers();
    const std::size_t first = markers.lowerBound(fromMs);
    const std::size_t end = markers.upperBound(toMs);
    snapshot.markers = MarkerLog(std::max<std::size_t>(end - first, 1));
    for (std::size_t i = first; i < end; ++i) {
        const Marker& m = markers.at(i);
        snapshot.markers.append(m.timeMs, m.kind, m.detail);
    }
    return snapshot;
}

QString csvTimestamp(std::int64_t wallClockMs) {
    return timestamp(QDateTime::fromMSecsSinceEpoch(wallClockMs));
}

CsvOutcome writeTrendCsv(const TrendSnapshot& snapshot, const QString& path) {
    CsvOutcome outcome;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        outcome.error = file.errorString();
        return outcome;
    }
    QByteArray chunk = "time,name,value,unit,detail\n";
    const auto flushChunk = [&] {
        if (file.write(chunk) != chunk.size()) {
            return false;
        }
        chunk.clear();
        return true;
    };
    // A merge of the five series and the events by time; on equal times the
    // readings come first, in the panel's order, then the event.
    std::vector<std::size_t> next(snapshot.series.size(), 0);
    std::size_t nextMarker = 0;
    Timestamps timestamp;
    std::array<QString, kQuantities> units;
    for (std::size_t q = 0; q < units.size(); ++q) {
        units[q] = QString::fromUtf8(kTrendQuantities.at(q).unit);
    }
    for (;;) {
        int source = -1;
        std::int64_t earliest = 0;
        for (std::size_t q = 0; q < snapshot.series.size(); ++q) {
            const TrendSeries& s = snapshot.series[q];
            if (next[q] < s.size() && (source < 0 || s.at(next[q]).timeMs < earliest)) {
                source = static_cast<int>(q);
                earliest = s.at(next[q]).timeMs;
            }
        }
        const bool marker = nextMarker < snapshot.markers.size() &&
                            (source < 0 || snapshot.markers.at(nextMarker).timeMs < earliest);
        if (marker) {
            const Marker& m = snapshot.markers.at(nextMarker++);
            chunk += (timestamp(snapshot.wallClockAtZeroMs + m.timeMs) + QLatin1Char(',') +
                      csvText(eventName(m.kind)) + QStringLiteral(",,,") + csvText(m.detail) +
                      QLatin1Char('\n'))
                         .toUtf8();
        } else if (source >= 0) {
            const auto q = static_cast<std::size_t>(source);
            const TrendPoint p = snapshot.series[q].at(next[q]++);
            const Quantity& quantity = kTrendQuantities.at(q);
            chunk += (timestamp(snapshot.wallClockAtZeroMs + p.timeMs) + QLatin1Char(',') +
                      QLatin1String(quantity.variable) + QLatin1Char(',') +
                      QString::number(double(p.value), 'g', 7) + QLatin1Char(',') + units[q] +
                      QStringLiteral(",\n"))
                         .toUtf8();
        } else {
            break;
        }
        ++outcome.lines;
        if (chunk.size() >= kChunkBytes && !flushChunk()) {
            outcome.error = file.errorString();
            file.cancelWriting();
            return outcome;
        }
    }
    if (!flushChunk() || !file.commit()) {
        outcome.error = file.errorString();
        return outcome;
    }
    outcome.ok = true;
    return outcome;
}

}  // namespace zov::records
