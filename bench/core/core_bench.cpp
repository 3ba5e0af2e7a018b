// Figures for the headless core against the simulated supply, in one run:
// round trips through the supply object, and through its worker from another
// thread, beside the raw floor of the same links; then the update cycle as
// the core runs it (the console's cycle) beside `zovctl watch` at the same
// step: readings a second and CPU. Prints; asserts nothing.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/link_opening.h"
#include "core/poller.h"
#include "core/supply.h"
#include "core/supply_worker.h"
#include "raw_floor.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr int kExchanges = 1000;
constexpr int kCycleSeconds = 10;
const QByteArray kCommand = QByteArrayLiteral("STAT;");

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void print(const char* what, const zov::bench::LatencySummary& s) {
    std::printf("  %-28s median %8.1f us   p99 %8.1f us   (%d answered, %d lost)\n", what,
                s.medianUs, s.p99Us, s.exchanges, s.lost);
}

template <typename Exchange>
zov::bench::LatencySummary roundTrips(Exchange exchange) {
    std::vector<double> samples;
    samples.reserve(kExchanges);
    int lost = 0;
    for (int i = 0; i < kExchanges; ++i) {
        const auto start = Clock::now();
        if (!exchange()) {
            ++lost;
            continue;
        }
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return zov::bench::summarize(std::move(samples), lost);
}

struct Core {
    zov::core::MainState state;
    zov::core::SessionEvents events;
    zov::core::CommandExchange exchange{state};
    zov::core::Supply supply{exchange, state, events};
};

bool open(Core& core, const zov::bench::SimulatorThread& sim, bool tcp) {
    const auto failed = tcp ? zov::core::openTcpLink(core.exchange, core.state,
                                                     QStringLiteral("127.0.0.1"), sim.tcpPort())
                            : zov::core::openSerialLink(core.exchange, core.state,
                                                        sim.ptyLink(), 115200);
    if (failed) {
        std::fprintf(stderr, "zov-core-bench: %s\n", qPrintable(*failed));
    }
    return !failed;
}

void coreRoundTrips(const zov::bench::SimulatorThread& sim) {
    for (const bool tcp : {false, true}) {
        Core core;
        if (!open(core, sim, tcp)) {
            continue;
        }
        print(tcp ? "supply object, tcp" : "supply object, pty",
              roundTrips([&] { return core.supply.send(kCommand).done(); }));
    }
    zov::core::SupplyWorker worker;
    const auto opened = worker.callAndWait(
        [&sim](zov::core::Supply& supply) {
            return !zov::core::openSerialLink(supply.exchange(), supply.state(), sim.ptyLink(),
                                              115200);
        },
        zov::core::SupplyWorker::kNoDeadline);
    if (opened.value.value_or(false)) {
        print("worker from another thread, pty", roundTrips([&worker] {
                  const auto sent = worker.callAndWait(
                      [](zov::core::Supply& supply) { return supply.send(kCommand); }, 2s);
                  return sent.value && sent.value->done();
              }));
    }
}

void coreCycle(const zov::bench::SimulatorThread& sim) {
    Core core;
    if (!open(core, sim, false)) {
        return;
    }
    zov::core::Poller poller(core.supply);
    int readings = 0;
    QObject::connect(&core.events, &zov::core::SessionEvents::monitorRead,
                     [&readings] { ++readings; });
    int cycles = 0;
    QObject::connect(&poller, &zov::core::Poller::stepRan, [&cycles](zov::core::UpdateStep step) {
        cycles += step == zov::core::UpdateStep::KeepAlive ? 1 : 0;
    });
    const double before = cpuSeconds(RUSAGE_THREAD);
    poller.start();
    QEventLoop loop;
    QTimer::singleShot(kCycleSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    poller.stop();
    const double used = cpuSeconds(RUSAGE_THREAD) - before;
    std::printf("  core update cycle, 66 ms step:  %5.2f cycles/s, %6.1f monitor readings/s, "
                "%.2f %% of one core\n",
                double(cycles) / kCycleSeconds, double(readings) / kCycleSeconds,
                100.0 * used / kCycleSeconds);
}

void zovctlWatch(const zov::bench::SimulatorThread& sim, const QString& zovctl) {
    QProcess watch;
    watch.start(zovctl, {QStringLiteral("--port"), sim.ptyLink(), QStringLiteral("watch"),
                         QStringLiteral("--every"), QStringLiteral("66ms"),
                         QStringLiteral("--format"), QStringLiteral("csv"), QStringLiteral("--for"),
                         QStringLiteral("%1s").arg(kCycleSeconds)});
    const double before = cpuSeconds(RUSAGE_CHILDREN);
    if (!watch.waitForFinished((kCycleSeconds + 20) * 1000)) {
        std::printf("  zovctl watch did not end (%s)\n", qPrintable(watch.errorString()));
        watch.kill();
        watch.waitForFinished();
        return;
    }
    const double used = cpuSeconds(RUSAGE_CHILDREN) - before;
    const int lines = watch.readAllStandardOutput().count('\n') - 1;  // less the header
    std::printf("  zovctl watch, 66 ms step:        %6.1f lines/s (exit %d), "
                "%.2f %% of one core (process, start-up included)\n",
                double(lines) / kCycleSeconds, watch.exitCode(), 100.0 * used / kCycleSeconds);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    zov::bench::SimulatorThread sim;
    if (!sim.isRunning()) {
        std::fprintf(stderr, "zov-core-bench: the simulated supply did not start\n");
        return 1;
    }
    std::printf("Round trips of \"%s\", %d each:\n", kCommand.constData(), kExchanges);
    const zov::bench::RawFloor floor = zov::bench::measureRawFloor(kExchanges);
    print("raw floor, pty", floor.pty);
    print("raw floor, tcp", floor.tcp);
    coreRoundTrips(sim);
    std::printf("Update cycle for %d s on the pty:\n", kCycleSeconds);
    coreCycle(sim);
    zovctlWatch(sim, QStringLiteral(ZOVCTL_PATH));
    return 0;
}
