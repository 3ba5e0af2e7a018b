#include "trend_store.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <cmath>
#include <limits>
#include <memory>

namespace zov::records {
namespace {

template <std::size_t... I>
std::array<TrendSeries, kQuantities> makeSeries(std::size_t capacity, std::index_sequence<I...>) {
    return {{(static_cast<void>(I), TrendSeries(capacity))...}};
}

}  // namespace

TrendStore::TrendStore(QObject* parent, std::size_t seriesCapacity, std::size_t markerCapacity)
    : QObject(parent),
      series_(makeSeries(seriesCapacity, std::make_index_sequence<kQuantities>())),
      markers_(markerCapacity) {
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    clock_ = [steady] { return steady->elapsed(); };
    wallAtZero_ = QDateTime::currentMSecsSinceEpoch();
}

void TrendStore::follow(const core::SessionEvents& events) {
    connect(&events, &core::SessionEvents::monitorRead, this, &TrendStore::addReading);
    connect(&events, &core::SessionEvents::supplyEvent, this, &TrendStore::addEvent);
}

void TrendStore::setClock(Clock clock, std::int64_t wallClockAtZeroMs) {
    clock_ = std::move(clock);
    wallAtZero_ = wallClockAtZeroMs;
}

void TrendStore::addReading(const QString& variable, double value) {
    // A reading that is no number, or none a float can hold, is no point.
    if (!std::isfinite(value) || std::abs(value) > std::numeric_limits<float>::max()) {
        return;
    }
    for (int q = 0; q < kQuantities; ++q) {
        if (variable == QLatin1String(kTrendQuantities.at(q).variable)) {
            series_.at(q).append(clock_(), static_cast<float>(value));
            emit appended();
            return;
        }
    }
}

void TrendStore::addEvent(core::SupplyEvent kind, const QString& detail) {
    markers_.append(clock_(), kind, detail);
    emit appended();
}

std::int64_t TrendStore::oldestTime() const {
    std::int64_t oldest = std::numeric_limits<std::int64_t>::max();
    for (const TrendSeries& s : series_) {
        if (!s.empty()) {
            oldest = std::min(oldest, s.oldest().timeMs);
        }
    }
    if (!markers_.empty()) {
        oldest = std::min(oldest, markers_.at(0).timeMs);
    }
    return oldest == std::numeric_limits<std::int64_t>::max() ? now() : oldest;
}

std::int64_t TrendStore::newestTime() const {
    std::int64_t newest = std::numeric_limits<std::int64_t>::min();
    for (const TrendSeries& s : series_) {
        if (!s.empty()) {
            newest = std::max(newest, s.newest().timeMs);
        }
    }
    if (!markers_.empty()) {
        newest = std::max(newest, markers_.at(markers_.size() - 1).timeMs);
    }
    return newest == std::numeric_limits<std::int64_t>::min() ? now() : newest;
}

std::size_t TrendStore::bytesHeld() const {
    std::size_t bytes = 0;
    for (const TrendSeries& s : series_) {
        bytes += s.bytesHeld();
    }
    return bytes + markers_.size() * sizeof(Marker);
}

}  // namespace zov::records
