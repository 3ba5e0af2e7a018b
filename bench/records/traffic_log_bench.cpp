// Figures for the traffic log: exchange round trips against the simulated
// supply with the log window closed and open (in alternating blocks, so
// drifts of the machine fall on both alike), the cost of recording one frame,
// and the window's work on a full log. Prints; asserts nothing.

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/link_selection.h"
#include "app/main_window.h"
#include "bench_console.h"
#include "raw_floor.h"
#include "records/install_traffic_log.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBlocks = 10;
constexpr int kPerBlock = 300;
const QByteArray kCommand = QByteArrayLiteral("STAT;");

struct Samples {
    std::vector<double> closed;
    std::vector<double> open;
    int lost = 0;
};

void roundTrips(zov::core::CommandExchange& exchange, std::vector<double>& into, int& lost) {
    for (int i = 0; i < kPerBlock; ++i) {
        const auto start = Clock::now();
        exchange.outputOutputString(kCommand);
        if (exchange.inputInputString().isEmpty()) {
            ++lost;
            continue;
        }
        into.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
}

void print(const char* what, std::vector<double> samples, int lost) {
    const zov::bench::LatencySummary s = zov::bench::summarize(std::move(samples), lost);
    std::printf("  %-26s median %8.1f us   p99 %8.1f us   (%d answered, %d lost)\n", what,
                s.medianUs, s.p99Us, s.exchanges, s.lost);
}

void compare(const char* link, zov::app::MainWindow& window,
             zov::records::TrafficRecorder& recorder) {
    Samples samples;
    for (int block = 0; block < kBlocks; ++block) {
        const bool open = block % 2 == 1;
        if (open) {
            zov::records::TrafficLogWindow& log = zov::records::trafficLogWindow(window, recorder);
            log.show();
            QApplication::processEvents();
            roundTrips(window.exchange(), samples.open, samples.lost);
            log.close();
            QApplication::processEvents();
        } else {
            roundTrips(window.exchange(), samples.closed, samples.lost);
        }
    }
    std::printf("%s, %d exchanges of \"STAT;\" each:\n", link, kBlocks / 2 * kPerBlock);
    print("log window closed", std::move(samples.closed), 0);
    print("log window open", std::move(samples.open), samples.lost);
}

// What recording costs per frame: the exchange's signal into a recorder of
// its own, with no window or status bar listening.
void recordingCost() {
    constexpr int kFrames = 1000000;
    zov::core::MainState state;
    zov::core::CommandExchange exchange(state);
    zov::records::TrafficRecorder recorder(exchange);
    const QByteArray reply = QByteArrayLiteral(
        "\x02"
        "0;\x03");
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kFrames; ++i) {
        emit exchange.received(reply);
    }
    std::printf("Recording: %.0f ns per frame (%d frames into a ring of %zu)\n",
                double(clock.nsecsElapsed()) / kFrames, kFrames,
                zov::records::TrafficLog::kDefaultCapacity);
}

// The window on a full log: opening it, and a refresh that brings 100 new
// frames (about what 150 ms of a flood delivers) while as many old ones go.
void fullLogWindow(zov::app::MainWindow& window, zov::records::TrafficRecorder& recorder) {
    zov::core::CommandExchange& exchange = window.exchange();
    const QByteArray reply = QByteArrayLiteral(
        "\x02"
        "0;\x03");
    while (recorder.log().size() < recorder.log().capacity()) {
        emit exchange.received(reply);
    }
    QElapsedTimer clock;
    clock.start();
    zov::records::TrafficLogWindow& log = zov::records::trafficLogWindow(window, recorder);
    log.show();
    QApplication::processEvents();
    const double openMs = double(clock.nsecsElapsed()) / 1e6;

    constexpr int kRefreshes = 50;
    std::vector<double> refreshMs;
    std::vector<double> repaintMs;
    for (int i = 0; i < kRefreshes; ++i) {
        for (int frame = 0; frame < 100; ++frame) {
            emit exchange.received(reply);
        }
        clock.restart();
        log.refresh();
        QApplication::processEvents();  // the view lays out the rows that came and went
        refreshMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        log.repaint();
        repaintMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(refreshMs.begin(), refreshMs.end());
    std::sort(repaintMs.begin(), repaintMs.end());
    std::printf("Window on a full log (%zu frames): open %.1f ms\n", recorder.log().size(), openMs);
    std::printf("  refresh, 100 frames in, 100 out: median %6.2f ms, max %6.2f ms\n",
                refreshMs[refreshMs.size() / 2], refreshMs.back());
    std::printf("  repaint of the whole window:     median %6.2f ms, max %6.2f ms\n",
                repaintMs[repaintMs.size() / 2], repaintMs.back());

    clock.restart();
    log.table().setFilter(QStringLiteral("22,"));
    std::printf("  a new filter over the full log:  %.1f ms\n", double(clock.nsecsElapsed()) / 1e6);
    log.close();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    zov::bench::SimulatorThread supply;
    if (!supply.isRunning()) {
        std::fprintf(stderr, "cannot start the simulated supply\n");
        return 1;
    }
    supply.configure([](zov::sim::Simulator& sim) { sim.setUnsolicitedStatus(false); });

    zov::bench::SilentPrompter prompter;
    zov::app::MainWindow window(prompter);
    zov::bench::answerDialogsWithOk(window);
    zov::records::TrafficRecorder& recorder = zov::records::installTrafficLog(window);
    zov::app::LinkSelection& links = window.linkSelection();
    links.useSimulatedSupply(supply.ptyLink(), QStringLiteral("127.0.0.1"), supply.tcpPort());

    links.mnu_comm1_Click();
    compare("pty", window, recorder);
    links.mnu_ethernet_Click();
    window.exchange().suspendBackgroundTimers();
    compare("tcp", window, recorder);

    recordingCost();
    fullLogWindow(window, recorder);
    return 0;
}
