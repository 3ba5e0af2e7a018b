// The trend data without windows: the ring's bound and order, the min/max
// reduction for display, the event markers and their lanes.
#include <QtTest>
#include <random>

#include "records/trend_markers.h"
#include "records/trend_series.h"

using namespace zov::records;
using zov::core::SupplyEvent;

class TrendSeriesTest : public QObject {
    Q_OBJECT
private slots:
    void ringDropsTheOldest();
    void timesStayInOrderAndExact();
    void decimationKeepsEachBucketsExtremes();
    void fewPointsComeBackWhole();
    void markersAreBoundedAndLaned();
};

void TrendSeriesTest::ringDropsTheOldest() {
    TrendSeries series(100);
    for (int i = 0; i < 250; ++i) {
        series.append(i * 66, float(i));
    }
    QCOMPARE(series.size(), std::size_t(100));
    QCOMPARE(series.oldest().value, 150.0F);
    QCOMPARE(series.oldest().timeMs, std::int64_t(150 * 66));
    QCOMPARE(series.newest().value, 249.0F);
    for (std::size_t i = 1; i < series.size(); ++i) {
        QCOMPARE(series.at(i).value, series.at(i - 1).value + 1);
    }
    // The memory stays at the capacity however long it runs.
    QVERIFY(series.bytesHeld() <= 100 * 8);
    QCOMPARE(series.lowerBound(200 * 66), std::size_t(50));
    QCOMPARE(series.upperBound(200 * 66), std::size_t(51));
    QCOMPARE(series.lowerBound(0), std::size_t(0));
    QCOMPARE(series.upperBound(1000000), series.size());
}

void TrendSeriesTest::timesStayInOrderAndExact() {
    TrendSeries series(10);
    series.append(1000, 1);
    series.append(900, 2);  // a clock that stepped back
    QCOMPARE(series.at(1).timeMs, std::int64_t(1000));

    // Readings weeks apart: the newest are kept to the millisecond, what
    // lies beyond the span a point can be counted over goes.
    constexpr std::int64_t kDay = 24LL * 3600 * 1000;
    TrendSeries sparse(10);
    sparse.append(0, 1);
    sparse.append(40 * kDay + 7, 2);
    sparse.append(45 * kDay + 8, 3);
    sparse.append(50 * kDay + 9, 4);
    QCOMPARE(sparse.size(), std::size_t(3));
    QCOMPARE(sparse.at(0).timeMs, 40 * kDay + 7);
    QCOMPARE(sparse.at(1).timeMs, 45 * kDay + 8);
    QCOMPARE(sparse.newest().timeMs, 50 * kDay + 9);
    QCOMPARE(sparse.newest().value, 4.0F);
}

void TrendSeriesTest::decimationKeepsEachBucketsExtremes() {
    TrendSeries series(100000);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> value(-50, 50);
    for (int i = 0; i < 20000; ++i) {
        series.append(i * 66, value(random));
    }
    const std::int64_t from = 1000 * 66;
    const std::int64_t to = 15000 * 66;
    constexpr int kBuckets = 300;
    const std::vector<TrendPoint> shown = series.decimated(from, to, kBuckets);
    QVERIFY(shown.size() <= 2 * kBuckets + 2);
    // The lines reach the edges: the point before and after the span.
    QCOMPARE(shown.front().timeMs, from - 66);
    QCOMPARE(shown.back().timeMs, to + 66);
    for (std::size_t i = 1; i < shown.size(); ++i) {
        QVERIFY(shown[i].timeMs > shown[i - 1].timeMs);
    }
    const std::int64_t span = to - from;
    for (int b = 0; b < kBuckets; ++b) {
        float low = 1e9F;
        float high = -1e9F;
        for (std::size_t i = series.lowerBound(from); i < series.upperBound(to); ++i) {
            const TrendPoint p = series.at(i);
            if (std::min<std::int64_t>(kBuckets - 1, (p.timeMs - from) * kBuckets / span) == b) {
                low = std::min(low, p.value);
                high = std::max(high, p.value);
            }
        }
        const auto has = [&](float v) {
            return std::any_of(shown.begin() + 1, shown.end() - 1,
                               [v](const TrendPoint& p) { return p.value == v; });
        };
        QVERIFY2(has(low) && has(high), qPrintable(QStringLiteral("bucket %1").arg(b)));
    }
}

void TrendSeriesTest::fewPointsComeBackWhole() {
    TrendSeries series(1000);
    for (int i = 0; i < 50; ++i) {
        series.append(i * 1000, float(i % 7));
    }
    const std::vector<TrendPoint> shown = series.decimated(10000, 20000, 100);
    QCOMPARE(shown.size(), std::size_t(11 + 2));
    QCOMPARE(shown[1].timeMs, std::int64_t(10000));
    QVERIFY(series.decimated(20000, 10000, 100).empty());
    QVERIFY(TrendSeries(10).decimated(0, 1000, 100).empty());
}

void TrendSeriesTest::markersAreBoundedAndLaned() {
    QCOMPARE(laneOf(SupplyEvent::XrayAcknowledged, QStringLiteral("OFF")), MarkerLane::XrayOff);
    QCOMPARE(laneOf(SupplyEvent::XrayRequested, QStringLiteral("ON")), MarkerLane::XrayOn);
    QCOMPARE(laneOf(SupplyEvent::XrayAcknowledged, QStringLiteral("X-ray off")),
             MarkerLane::XrayOff);
    QCOMPARE(laneOf(SupplyEvent::FaultChanged, QStringLiteral("Over temperature OFF")),
             MarkerLane::Fault);
    QCOMPARE(laneOf(SupplyEvent::InterlockChanged, QStringLiteral("OPEN")), MarkerLane::Interlock);
    QCOMPARE(laneOf(SupplyEvent::StatusChanged, QStringLiteral("X-RAY OFF")), MarkerLane::XrayOff);
    QCOMPARE(laneOf(SupplyEvent::StatusChanged, QStringLiteral("X-RAY ON")), MarkerLane::XrayOn);
    QCOMPARE(laneOf(SupplyEvent::ArcCounted, QStringLiteral("3")), MarkerLane::Arc);
    QCOMPARE(laneOf(SupplyEvent::LinkLost, QString()), MarkerLane::Session);

    MarkerLog log(3);
    for (int i = 0; i < 5; ++i) {
        log.append(i * 100, SupplyEvent::ArcCounted, QString::number(i + 1));
    }
    QCOMPARE(log.size(), std::size_t(3));
    QCOMPARE(log.at(0).detail, QStringLiteral("3"));
    log.append(0, SupplyEvent::Error, QString(1000, QLatin1Char('x')));
    QCOMPARE(log.at(2).timeMs, std::int64_t(400));
    QCOMPARE(log.at(2).detail.size(), qsizetype(MarkerLog::kMaxDetail));

    // An arc every step: one dot per bucket, not one per arc.
    MarkerLog flood(100000);
    for (int i = 0; i < 50000; ++i) {
        flood.append(i * 66, SupplyEvent::ArcCounted, QString());
        if (i % 10000 == 0) {
            flood.append(i * 66, SupplyEvent::FaultChanged, QStringLiteral("Arc fault ON"));
        }
    }
    QCOMPARE(flood.visible(MarkerLane::Arc, 0, 50000 * 66, 200).size(), std::size_t(200));
    QCOMPARE(flood.visible(MarkerLane::Fault, 0, 50000 * 66, 200).size(), std::size_t(5));
    QVERIFY(flood.visible(MarkerLane::Interlock, 0, 50000 * 66, 200).empty());
}

QTEST_APPLESS_MAIN(TrendSeriesTest)
#include "test_trend_series.moc"
