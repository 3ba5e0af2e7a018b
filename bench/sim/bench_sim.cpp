// Exchange latency against the simulated supply over its pseudo-terminal and
// over TCP loopback, measured by blocking clients: the raw floor.
#include <QCoreApplication>

#include <cstdio>

#include "raw_floor.h"

namespace {

constexpr int kExchanges = 1000;

void print(const char* link, const zov::bench::LatencySummary& s) {
    std::printf("%-26s %6d %5d %10.1f %10.1f\n", link, s.exchanges, s.lost, s.medianUs, s.p99Us);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    zov::bench::SimulatorThread supply;
    if (!supply.isRunning()) {
        std::fprintf(stderr, "bench_sim: cannot start the simulated supply\n");
        return 1;
    }
    std::printf("%-26s %6s %5s %10s %10s\n", "link (\"STAT;\")", "n", "lost", "median us",
                "p99 us");
    print("pty", zov::bench::measurePty(supply.ptyLink(), "STAT;", kExchanges));
    print("tcp loopback", zov::bench::measureTcp(supply.tcpPort(), "STAT;", kExchanges));
    supply.configure([](zov::sim::Simulator& sim) { sim.faults().serialBaud = 115200; });
    print("pty paced at 115200 baud",
          zov::bench::measurePty(supply.ptyLink(), "STAT;", kExchanges));
    supply.configure([](zov::sim::Simulator& sim) { sim.faults().serialBaud = 9600; });
    print("pty paced at 9600 baud", zov::bench::measurePty(supply.ptyLink(), "STAT;", kExchanges));
    return 0;
}
