// The trend data without windows: the ring's bound and order, the min/max
// reduction for display, the event markers and their lanes, the axes' ticks.
#include <QtTest>
#include <random>

#include "records/trend_markers.h"
#include "records/trend_series.h"
#include "records/trend_ticks.h"

using namespace zov::records;
using zov::core::SupplyEvent;

namespace {

// The reduction read off every point of the span: per bucket the earliest
// lowest and the earliest highest, in the order they were read.
std::vector<TrendPoint> scanOfEveryPoint(const TrendSeries& series, std::int64_t from,
                                         std::int64_t to, int buckets) {
    std::vector<TrendPoint> out;
    const std::size_t first = series.lowerBound(from);
    const std::size_t end = series.upperBound(to);
    if (first > 0) {
        out.push_back(series.at(first - 1));
    }
    if (end - first <= std::size_t(2 * buckets)) {
        for (std::size_t i = first; i < end; ++i) {
            out.push_back(series.at(i));
        }
    } else {
        std::vector<std::pair<std::size_t, std::size_t>> lowHigh(std::size_t(buckets), {end, end});
        for (std::size_t i = first; i < end; ++i) {
            const TrendPoint p = series.at(i);
            auto& [low, high] = lowHigh[std::size_t(
                std::min<std::int64_t>(buckets - 1, (p.timeMs - from) * buckets / (to - from)))];
            low = low == end || p.value < series.at(low).value ? i : low;
            high = high == end || p.value > series.at(high).value ? i : high;
        }
        for (const auto& [low, high] : lowHigh) {
            if (low != end) {
                out.push_back(series.at(std::min(low, high)));
                if (low != high) {
                    out.push_back(series.at(std::max(low, high)));
                }
            }
        }
    }
    if (end < series.size()) {
        out.push_back(series.at(end));
    }
    return out;
}

}  // namespace

class TrendSeriesTest : public QObject {
    Q_OBJECT
private slots:
    void ringDropsTheOldest();
    void timesStayInOrderAndExact();
    void decimationKeepsEachBucketsExtremes();
    void fewPointsComeBackWhole();
    void pyramidDrawsWhatAScanOfEveryPointDraws_data();
    void pyramidDrawsWhatAScanOfEveryPointDraws();
    void markersAreBoundedAndLaned();
    void timeTicksAtRoundSteps_data();
    void timeTicksAtRoundSteps();
    void valueAxesAtRoundSteps();
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
    // The memory stays at the capacity however long it runs: 8 bytes a
    // point and at most a sixth more for their pyramid.
    QVERIFY(series.bytesHeld() <= 100 * 8 * 7 / 6);
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

void TrendSeriesTest::pyramidDrawsWhatAScanOfEveryPointDraws_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("appended");
    QTest::addColumn<int>("levels");      // distinct values; 0: any float
    QTest::addColumn<int>("sameTimeIn");  // one reading in n keeps the time before; 0: none
    QTest::addColumn<int>("buckets");
    QTest::newRow("growing, many ties") << 5000 << 3000 << 4 << 0 << 100;
    QTest::newRow("ring wrapped") << 4000 << 10007 << 0 << 0 << 300;
    QTest::newRow("wrapped, equal times") << 3000 << 7000 << 6 << 3 << 37;
    QTest::newRow("odd capacity, one bucket") << 4099 << 9001 << 0 << 0 << 1;
    QTest::newRow("more columns than points") << 2000 << 2600 << 0 << 0 << 1900;
    QTest::newRow("a day at 66 ms, a screen wide")
        << int(24 * 3600 * 1000 / 66) << int(24 * 3600 * 1000 / 66) + 777 << 0 << 0 << 1270;
}

void TrendSeriesTest::pyramidDrawsWhatAScanOfEveryPointDraws() {
    QFETCH(int, capacity);
    QFETCH(int, appended);
    QFETCH(int, levels);
    QFETCH(int, sameTimeIn);
    QFETCH(int, buckets);
    std::mt19937 random(11);
    std::uniform_real_distribution<float> anyValue(-50, 50);
    std::uniform_int_distribution<int> level(0, std::max(levels - 1, 0));
    TrendSeries series{std::size_t(capacity)};
    std::int64_t now = 0;
    for (int i = 0; i < appended; ++i) {
        now += sameTimeIn > 0 && int(random() % unsigned(sameTimeIn)) == 0 ? 0 : 60 + random() % 13;
        series.append(now, levels > 0 ? float(level(random)) : anyValue(random));
    }
    const std::int64_t oldest = series.oldest().timeMs;
    // So must a copy of a part of it, as an export takes one.
    const TrendSeries copy(series, series.size() / 4, series.size() * 3 / 4);
    std::uniform_int_distribution<std::int64_t> start(oldest - 1000, now);
    for (int round = 0; round < 40; ++round) {
        const std::int64_t from = start(random);
        const std::int64_t to =
            from + 1 + std::int64_t(random() % std::uint64_t(now - oldest + 2000));
        for (const TrendSeries* kept : {static_cast<const TrendSeries*>(&series), &copy}) {
            const std::vector<TrendPoint> drawn = kept->decimated(from, to, buckets);
            const std::vector<TrendPoint> scanned = scanOfEveryPoint(*kept, from, to, buckets);
            QCOMPARE(drawn.size(), scanned.size());
            for (std::size_t i = 0; i < drawn.size(); ++i) {
                QVERIFY2(
                    drawn[i].timeMs == scanned[i].timeMs && drawn[i].value == scanned[i].value,
                    qPrintable(QStringLiteral("span %1..%2, point %3").arg(from).arg(to).arg(i)));
            }
        }
    }
    // What the pyramid adds stays a small part of the points' own bytes.
    QVERIFY(series.bytesHeld() <= series.capacity() * 8 * 7 / 6);
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

void TrendSeriesTest::timeTicksAtRoundSteps_data() {
    QTest::addColumn<QString>("from");  // local time
    QTest::addColumn<qint64>("spanMs");
    QTest::addColumn<int>("maxTicks");
    QTest::addColumn<int>("offset");  // seconds from UTC
    QTest::addColumn<qint64>("stepMs");
    QTest::addColumn<QStringList>("labels");  // first, second and last

    constexpr qint64 s = 1000;
    constexpr qint64 min = 60 * s;
    constexpr qint64 h = 60 * min;
    QTest::newRow("5 s") << "10:00:00.400" << 5 * s << 8 << 3600 << s
                         << QStringList{"10:00:01", "10:00:02", "10:00:05"};
    QTest::newRow("1 min") << "06:51:57.123" << 60 * s << 8 << 3600 << 10 * s
                           << QStringList{"06:52:00", "06:52:10", "06:52:50"};
    QTest::newRow("10 min") << "06:50:20.000" << 10 * min << 11 << 3600 << min
                            << QStringList{"06:51", "06:52", "07:00"};
    QTest::newRow("10 min, narrow") << "06:50:20.000" << 10 * min << 4 << 3600 << 5 * min
                                    << QStringList{"06:55", "07:00", "07:00"};
    QTest::newRow("30 min") << "06:50:20.000" << 30 * min << 5 << 0 << 10 * min
                            << QStringList{"07:00", "07:10", "07:20"};
    QTest::newRow("1 h, +05:45") << "13:07:00.000" << h << 3 << 20700 << 30 * min
                                 << QStringList{"13:30", "14:00", "14:00"};
    QTest::newRow("4 h") << "03:10:00.000" << 4 * h << 11 << -18000 << 30 * min
                         << QStringList{"03:30", "04:00", "07:00"};
    QTest::newRow("24 h") << "09:12:00.000" << 24 * h << 11 << 3600 << 3 * h
                          << QStringList{"01.05 12:00", "01.05 15:00", "02.05 09:00"};
    QTest::newRow("25 h, narrow") << "09:12:00.000" << 25 * h << 6 << 3600 << 6 * h
                                  << QStringList{"01.05 12:00", "01.05 18:00", "02.05 06:00"};
    QTest::newRow("24 h, one tick") << "09:12:00.000" << 24 * h << 1 << 3600 << 12 * h
                                    << QStringList{"01.05 12:00", "02.05 00:00", "02.05 00:00"};
}

void TrendSeriesTest::timeTicksAtRoundSteps() {
    QFETCH(QString, from);
    QFETCH(qint64, spanMs);
    QFETCH(int, maxTicks);
    QFETCH(int, offset);
    QFETCH(qint64, stepMs);
    QFETCH(QStringList, labels);
    const QDateTime start(QDate(2024, 5, 1), QTime::fromString(from, "hh:mm:ss.zzz"),
                          Qt::OffsetFromUTC, offset);
    const qint64 fromMs = start.toMSecsSinceEpoch();
    const TimeTicks ticks = timeTicks(fromMs, fromMs + spanMs, maxTicks, offset);
    QCOMPARE(ticks.stepMs, stepMs);
    QCOMPARE(QStringList({ticks.labels.value(0), ticks.labels.value(1), ticks.labels.last()}),
             labels);
    QVERIFY(ticks.wallMs.size() <= std::size_t(std::max(maxTicks, 2)));
    QCOMPARE(qsizetype(ticks.wallMs.size()), ticks.labels.size());
    for (std::size_t i = 0; i < ticks.wallMs.size(); ++i) {
        QVERIFY(ticks.wallMs[i] >= fromMs && ticks.wallMs[i] <= fromMs + spanMs);
        // Each tick on the step of the local clock, so its label is exact.
        QCOMPARE((ticks.wallMs[i] + offset * 1000LL) % stepMs, 0LL);
    }
    QCOMPARE(QSet<QString>(ticks.labels.begin(), ticks.labels.end()).size(), ticks.labels.size());
}

void TrendSeriesTest::valueAxesAtRoundSteps() {
    struct Case {
        double low, high;
        int intervals;
        double min, max, step;
        int decimals;
    };
    const Case cases[] = {
        {0, 1, 4, 0, 1, 0.25, 2},  // an empty pane
        {0, 1, 5, 0, 1, 0.2, 1},   //
        {29.93, 30.08, 5, 29.9, 30.1, 0.05, 2},
        {-15.07, -14.93, 3, -15.1, -14.9, 0.1, 1},
        {0, 99.0, 5, 0, 100, 20, 0},         // a spike to 99 kV
        {0.0, 0.251, 4, 0, 0.3, 0.1, 1},     //
        {24.1, 35.4, 5, 20, 40, 5, 0},       //
        {0.3, 1.1, 4, 0.25, 1.25, 0.25, 2},  //
        {1.23452, 1.23458, 2, 1.2345, 1.2346, 0.00005, 5},
        {5, 5, 4, 5, 6, 0.25, 2},  // flat, unpadded
    };
    for (const Case& c : cases) {
        const ValueScale scale = valueScale(c.low, c.high, c.intervals);
        const QString what = QStringLiteral("%1..%2 in %3").arg(c.low).arg(c.high).arg(c.intervals);
        QVERIFY2(qFuzzyCompare(scale.step, c.step),
                 qPrintable(what + " step " + QString::number(scale.step)));
        QVERIFY2(qFuzzyCompare(1 + scale.min, 1 + c.min) && qFuzzyCompare(1 + scale.max, 1 + c.max),
                 qPrintable(what + QStringLiteral(": %1..%2").arg(scale.min).arg(scale.max)));
        QCOMPARE(scale.decimals, c.decimals);
        QCOMPARE(scale.ticks, int(std::lround((scale.max - scale.min) / scale.step)) + 1);
        QVERIFY(scale.ticks - 1 <= c.intervals && scale.min <= c.low && scale.max >= c.high);
    }
}

QTEST_APPLESS_MAIN(TrendSeriesTest)
#include "test_trend_series.moc"
