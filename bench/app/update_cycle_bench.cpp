// The automatic update cycle against a simulated supply that answers at once,
// on its own thread: for each link, cycles a second beside the ideal (twelve
// 66 ms steps plus the exchange times measured in the same run), the CPU of
// the console's thread, and the longest stall of its event loop. Prints;
// asserts nothing. The pty run is repeated with the records on: the traffic
// log and trend windows open and a session record writing.
// Usage: zov-update-cycle-bench [seconds per link, default 30]

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/identity_area.h"
#include "app/link_selection.h"
#include "app/main_window.h"
#include "bench_console.h"
#include "raw_floor.h"
#include "records/install_traffic_log.h"
#include "records/install_trend_view.h"
#include "records/session_record.h"
#include "records/traffic_log_window.h"
#include "records/trend_window.h"
#include "supply/supply_areas.h"
#include "supply/update_cycle.h"

namespace {

constexpr int kStepMs = 66;
constexpr int kProbeMs = 5;

struct Run {
    int cycles = 0;
    int exchanges = 0;
    double exchangeMs = 0;  // summed from frame out to reply in
    double longestStallMs = 0;
    double cpuShare = 0;  // of one core
    double seconds = 0;
    qint64 errors = 0;
};

Run measure(zov::app::MainWindow& window, int seconds) {
    Run run;
    QElapsedTimer clock;
    clock.start();
    qint64 sentAt = -1;
    const auto sent = QObject::connect(&window.exchange(), &zov::core::CommandExchange::transmitted,
                                       [&](const QByteArray& frame) {
                                           sentAt = clock.nsecsElapsed();
                                           run.cycles += frame.contains("WDTT;") ? 1 : 0;
                                       });
    const auto answered = QObject::connect(
        &window.exchange(), &zov::core::CommandExchange::received, [&](const QByteArray&) {
            if (sentAt >= 0) {
                run.exchangeMs += double(clock.nsecsElapsed() - sentAt) / 1e6;
                ++run.exchanges;
            }
        });
    const qint64 errorsBefore = window.state().CommErrors;
    const double cpuBefore = zov::bench::threadCpuSeconds();
    // The first half measures the CPU; in the second a probe that should
    // tick every few ms finds the longest stall (a late tick), at a CPU cost
    // of its own that the first half leaves out.
    QEventLoop loop;
    QTimer::singleShot(seconds * 500, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpuSeconds = zov::bench::threadCpuSeconds() - cpuBefore;
    const double cpuPhaseSeconds = double(clock.elapsed()) / 1000;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    qint64 lastTick = clock.nsecsElapsed();
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        run.longestStallMs = std::max(run.longestStallMs, double(now - lastTick) / 1e6 - kProbeMs);
        lastTick = now;
    });
    probe.start(kProbeMs);
    QTimer::singleShot(seconds * 500, &loop, &QEventLoop::quit);
    loop.exec();
    run.cpuShare = cpuSeconds / cpuPhaseSeconds;
    run.seconds = double(clock.elapsed()) / 1000;
    run.errors = window.state().CommErrors - errorsBefore;
    QObject::disconnect(sent);
    QObject::disconnect(answered);
    return run;
}

void print(const char* link, const Run& run) {
    const double perCycleMs =
        run.exchanges > 0 && run.cycles > 0 ? run.exchangeMs / run.cycles : 0.0;
    const double ideal = 1000.0 / (12 * kStepMs + perCycleMs);
    std::printf(
        "  %-22s %6.3f cycles/s (ideal %6.3f), exchanges %5.2f ms per cycle, CPU %5.2f %% of "
        "one core, longest stall %5.1f ms, %lld errors\n",
        link, run.cycles / run.seconds, ideal, perCycleMs, 100.0 * run.cpuShare, run.longestStallMs,
        static_cast<long long>(run.errors));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    zov::bench::SimulatorThread supply;
    if (!supply.isRunning()) {
        std::fprintf(stderr, "cannot start the simulated supply\n");
        return 1;
    }
    supply.configure([](zov::sim::Simulator& sim) { sim.setUnsolicitedStatus(false); });

    zov::bench::SilentPrompter prompter;
    zov::app::MainWindow window(prompter);
    zov::bench::answerDialogsWithOk(window);
    zov::app::IdentityArea& identity = zov::app::installIdentityArea(window);
    const zov::supply::SupplyAreas areas = zov::supply::installSupplyAreas(window, identity);
    window.show();
    zov::app::LinkSelection& links = window.linkSelection();
    links.useSimulatedSupply(supply.ptyLink(), QStringLiteral("127.0.0.1"), supply.tcpPort());

    std::printf("Automatic update, %d s per link, supply answering at once:\n", seconds);
    links.mnu_comm1_Click();  // starts the automatic update
    print("pty", measure(window, seconds));
    links.mnu_ethernet_Click();
    print("tcp", measure(window, seconds));
    {
        // The same two with every record on: both windows shown, every
        // reading and event written to a session record.
        zov::records::TrafficRecorder& traffic = zov::records::installTrafficLog(window);
        zov::records::TrendView& trends = zov::records::installTrendView(window);
        zov::records::trafficLogWindow(window, traffic).show();
        trends.mnu_TRENDS_Click();
        const QTemporaryDir folder;
        zov::records::SessionRecord record(window.sessionEvents());
        if (!folder.isValid() || record.start(folder.filePath(QStringLiteral("cycle.csv")))) {
            std::fprintf(stderr, "cannot start a session record\n");
            return 1;
        }
        links.mnu_comm1_Click();
        print("pty, records on", measure(window, seconds));
        links.mnu_ethernet_Click();
        print("tcp, records on", measure(window, seconds));
        window.loadedWindow(QString::fromLatin1(zov::records::TrendView::kWindowName))->close();
        window.loadedWindow(zov::records::kTrafficLogWindow)->close();
    }
    supply.configure([](zov::sim::Simulator& sim) { sim.faults().serialBaud = 115200; });
    links.mnu_comm1_Click();
    print("pty paced at 115200", measure(window, seconds));
    areas.updateCycle->mnu_MANUAL_Click();
    return 0;
}
