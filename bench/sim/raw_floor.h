// Round trips measured by plain blocking clients (no Qt on the client side)
// against a simulated supply that runs on a thread of its own: the floor any
// console exchange sits on.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <string>
#include <vector>

#include "sim/simulator.h"

namespace zov::bench {

struct LatencySummary {
    int exchanges = 0;  // answered
    int lost = 0;       // no reply within a second
    double medianUs = 0.0;
    double p99Us = 0.0;
};

[[nodiscard]] LatencySummary summarize(std::vector<double> microseconds, int lost);

// `exchanges` round trips of `command` after a short warm-up: frame out,
// wait for the reply's terminator.
[[nodiscard]] LatencySummary measurePty(const QString& path, const std::string& command,
                                        int exchanges);
[[nodiscard]] LatencySummary measureTcp(quint16 port, const std::string& command, int exchanges);

// A simulated supply serving a pseudo-terminal and a TCP port from its own
// thread, so the calling thread may block on a client.
class SimulatorThread {
public:
    SimulatorThread();
    ~SimulatorThread();
    SimulatorThread(const SimulatorThread&) = delete;
    SimulatorThread& operator=(const SimulatorThread&) = delete;

    [[nodiscard]] bool isRunning() const { return m_running; }
    [[nodiscard]] QString ptyLink() const { return m_link; }
    [[nodiscard]] quint16 tcpPort() const { return m_port; }
    // Runs `change` on the simulator's thread and waits for it.
    void configure(const std::function<void(sim::Simulator&)>& change);

private:
    QTemporaryDir m_dir;
    QThread m_thread;
    sim::Simulator* m_sim = nullptr;
    QString m_link;
    quint16 m_port = 0;
    bool m_running = false;
};

struct RawFloor {
    LatencySummary pty;
    LatencySummary tcp;
};

// Both links against an instantly answering supply.
[[nodiscard]] RawFloor measureRawFloor(int exchanges = 1000, const std::string& command = "STAT;");

}  // namespace zov::bench
