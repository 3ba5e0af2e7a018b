// The trend view with hours of readings of all five monitors at the 66 ms
// step: the cost of one redraw (decimate the shown span, replace the series,
// render the window to a pixmap) for several spans, the CSV export of all of
// it, and the memory a full day of readings holds. Prints; asserts nothing.
// Usage: zov-trend-bench [hours, default 4] [picture.png of the window at the 24 h span]

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "records/trend_csv.h"
#include "records/trend_pane.h"
#include "records/trend_store.h"
#include "records/trend_window.h"

namespace {

using zov::core::SupplyEvent;
using zov::records::TrendStore;
using zov::records::TrendWindow;

constexpr std::int64_t kStepMs = 66;

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

// A seasoning-like run: the output raised step by step, an arc now and then,
// a fault and an interlock opening once an hour.
void fill(TrendStore& store, std::int64_t& now, double hours) {
    std::mt19937 noise(7);
    std::normal_distribution<double> jitter(0.0, 1.0);
    const auto steps = std::int64_t(hours * 3600 * 1000 / kStepMs);
    bool on = false;
    for (std::int64_t i = 0; i < steps; ++i) {
        now = i * kStepMs;
        const double minutes = double(now) / 60000.0;
        const int phase = int(minutes) % 60;
        const bool wantOn = phase >= 2 && phase < 55;
        if (wantOn != on) {
            on = wantOn;
            store.addEvent(SupplyEvent::XrayRequested, on ? "ON" : "OFF");
            store.addEvent(SupplyEvent::XrayAcknowledged, on ? "ON" : "OFF");
        }
        const double kv = on ? 20.0 + 10.0 * std::min(5, (phase - 2) / 10) : 0.0;
        const bool arc = on && i % 9000 == 4500;
        if (arc) {
            store.addEvent(SupplyEvent::ArcCounted, QString::number(i / 9000 + 1));
        }
        if (phase == 40 && i % 909 == 0) {
            store.addEvent(SupplyEvent::InterlockChanged, "OPEN");
            store.addEvent(SupplyEvent::FaultChanged, "Over temperature ON");
        }
        store.addReading("KV_MON", arc ? kv * 0.4 : kv + 0.05 * jitter(noise));
        store.addReading("EmMon", on ? kv * 0.025 + 0.002 * jitter(noise) : 0.0);
        store.addReading("Fil_I_Mon", on ? 2.1 + 0.01 * jitter(noise) : 0.3);
        store.addReading("LVPS24", -15.0 + 0.02 * jitter(noise));
        store.addReading("AmbTemp",
                         25.0 + 10.0 * (1 - std::exp(-minutes / 90)) + 0.1 * jitter(noise));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const double hours = argc > 1 ? std::max(0.01, std::atof(argv[1])) : 4.0;
    const QString picture = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    TrendStore store;
    std::int64_t now = 0;
    store.setClock([&now] { return now; },
                   QDateTime::currentMSecsSinceEpoch() - std::int64_t(hours * 3600 * 1000));
    fill(store, now, hours);
    std::printf("%.2f h at %lld ms: %zu readings per monitor, %zu events\n", hours,
                static_cast<long long>(kStepMs), store.series(0).size(), store.markers().size());

    TrendWindow window(store,
                       {[](const QString&, const QString&, const QString&) { return QString(); },
                        [](const QString&) {}});
    window.resize(1400, 900);
    window.show();
    QApplication::processEvents();

    for (const std::int64_t span :
         {std::int64_t(10 * 60 * 1000), std::int64_t(3600 * 1000), std::int64_t(4 * 3600 * 1000),
          std::int64_t(24 * 3600 * 1000)}) {
        window.showRange(now - span, now);
        constexpr int kRounds = 10;
        double decimateMs = 0;
        double renderMs = 0;
        int points = 0;
        for (int round = 0; round < kRounds; ++round) {
            QElapsedTimer clock;
            clock.start();
            window.redrawNow();
            decimateMs += double(clock.nsecsElapsed()) / 1e6;
            clock.restart();
            // The panes paint, on screen, when events are processed; a
            // picture of them (grab) would paint them a second time.
            QApplication::processEvents();
            renderMs += double(clock.nsecsElapsed()) / 1e6;
            if (round == kRounds - 1 && !picture.isEmpty() && span == 24 * 3600 * 1000) {
                window.grab().save(picture);
            }
        }
        for (int q = 0; q < zov::records::kQuantities; ++q) {
            points += int(window.pane(q)->points().size());
        }
        // The reduction alone, as the window asks it of the five series.
        QElapsedTimer reduce;
        reduce.start();
        for (int round = 0; round < kRounds; ++round) {
            for (int q = 0; q < zov::records::kQuantities; ++q) {
                (void)store.series(q).decimated(now - span, now, window.pane(q)->plotColumns());
            }
        }
        std::printf(
            "span %5.2f h: decimate %6.3f ms, decimate + replace %6.2f ms, render the six panes "
            "%6.2f ms, %d points drawn in %d plot columns\n",
            double(span) / 3.6e6, double(reduce.nsecsElapsed()) / 1e6 / kRounds,
            decimateMs / kRounds, renderMs / kRounds, points, window.pane(0)->plotColumns());
    }

    QTemporaryDir directory;
    QElapsedTimer clock;
    clock.start();
    const auto snapshot = zov::records::takeSnapshot(store, 0, now);
    const double snapshotMs = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    const auto outcome =
        zov::records::writeTrendCsv(snapshot, directory.filePath(QStringLiteral("all.csv")));
    std::printf(
        "CSV of everything: snapshot %.1f ms (window thread), %lld lines written in "
        "%.2f s (worker)\n",
        snapshotMs, static_cast<long long>(outcome.lines), double(clock.nsecsElapsed()) / 1e9);

    const long before = residentKiB();
    TrendStore day;
    std::int64_t dayNow = 0;
    day.setClock([&dayNow] { return dayNow; }, 0);
    for (std::size_t i = 0; i < zov::records::kSeriesCapacity + 1000; ++i) {
        dayNow = std::int64_t(i) * kStepMs;
        for (const auto& quantity : zov::records::kTrendQuantities) {
            day.addReading(QLatin1String(quantity.variable), 1.0 + double(i % 100));
        }
    }
    std::printf(
        "24 h full: %zu readings per monitor (capacity %zu), %.1f MiB held by the "
        "series, resident grew %.1f MiB\n",
        day.series(0).size(), zov::records::kSeriesCapacity, double(day.bytesHeld()) / 1048576.0,
        double(residentKiB() - before) / 1024.0);
    return 0;
}
