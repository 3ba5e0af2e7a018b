// Figures for the console's command exchange against the simulated supply:
// round trips through CommandExchange beside the raw floor of the same links
// in the same run, and the console thread's CPU while idle with a link chosen
// and while waiting on a supply that does not answer. Prints; asserts nothing.

#include <QApplication>
#include <QEventLoop>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/link_selection.h"
#include "app/main_window.h"
#include "bench_console.h"
#include "raw_floor.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kExchanges = 1000;
const QByteArray kCommand = QByteArrayLiteral("STAT;");

void print(const char* what, const zov::bench::LatencySummary& s) {
    std::printf("  %-24s median %8.1f us   p99 %8.1f us   (%d answered, %d lost)\n", what,
                s.medianUs, s.p99Us, s.exchanges, s.lost);
}

zov::bench::LatencySummary consoleRoundTrips(zov::core::CommandExchange& exchange) {
    std::vector<double> samples;
    samples.reserve(kExchanges);
    int lost = 0;
    for (int i = 0; i < kExchanges; ++i) {
        const auto start = Clock::now();
        exchange.outputOutputString(kCommand);
        if (exchange.inputInputString().isEmpty()) {
            ++lost;
            continue;
        }
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return zov::bench::summarize(std::move(samples), lost);
}

void idleCpu(const char* link, int seconds) {
    const double before = zov::bench::threadCpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double used = zov::bench::threadCpuSeconds() - before;
    std::printf("  idle, %-6s link, %2d s: %.3f s CPU = %.3f %% of one core\n", link, seconds, used,
                100.0 * used / seconds);
}

void noReplyCpu(zov::app::MainWindow& window, zov::bench::SimulatorThread& supply) {
    constexpr int kWaits = 100;
    constexpr int kLimitMs = 100;
    zov::core::CommandExchange& exchange = window.exchange();
    exchange.setReplyTimeLimitMs(kLimitMs);
    supply.configure([](zov::sim::Simulator& sim) { sim.faults().dropEvery = 1; });
    const double before = zov::bench::threadCpuSeconds();
    const auto start = Clock::now();
    for (int i = 0; i < kWaits; ++i) {
        exchange.outputOutputString(kCommand);
        (void)exchange.inputInputString();
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double used = zov::bench::threadCpuSeconds() - before;
    std::printf(
        "  %d waits without a reply (%d ms limit): %.2f s, %.3f s CPU = %.3f %% of one core\n",
        kWaits, kLimitMs, wall, used, 100.0 * used / wall);
    supply.configure([](zov::sim::Simulator& sim) { sim.faults().dropEvery = 0; });
    exchange.setReplyTimeLimitMs(zov::core::CommandExchange::kReplyTimeLimitMs);
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
    zov::app::LinkSelection& links = window.linkSelection();
    links.useSimulatedSupply(supply.ptyLink(), QStringLiteral("127.0.0.1"), supply.tcpPort());

    std::printf("Round trips of \"STAT;\", %d exchanges each:\n", kExchanges);
    print("pty, raw client",
          zov::bench::measurePty(supply.ptyLink(), kCommand.toStdString(), kExchanges));
    links.mnu_comm1_Click();
    print("pty, CommandExchange", consoleRoundTrips(window.exchange()));
    print("tcp, raw client",
          zov::bench::measureTcp(supply.tcpPort(), kCommand.toStdString(), kExchanges));
    links.mnu_ethernet_Click();
    print("tcp, CommandExchange", consoleRoundTrips(window.exchange()));

    std::printf("CPU of the console thread:\n");
    links.mnu_comm1_Click();
    idleCpu("serial", 10);
    links.mnu_ethernet_Click();
    idleCpu("tcp", 10);
    links.mnu_comm1_Click();
    noReplyCpu(window, supply);
    return 0;
}
