#include "raw_floor.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>

#include "protocol/protocol.h"

namespace zov::bench {
namespace {

constexpr int kWarmUp = 20;
constexpr int kReplyLimitMs = 1000;

// One descriptor, closed on every path.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int fd() const { return m_fd; }

private:
    int m_fd;
};

// Writes the frame, then reads until `terminator`; false when it never came.
bool exchange(int fd, const std::string& frame, char terminator) {
    if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
        return false;
    }
    char buffer[256];
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, kReplyLimitMs) <= 0) {
            return false;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return false;
        }
        if (std::find(buffer, buffer + got, terminator) != buffer + got) {
            return true;
        }
    }
}

LatencySummary measure(int fd, const std::string& frame, char terminator, int exchanges) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    int lost = 0;
    for (int i = 0; i < kWarmUp + exchanges; ++i) {
        const auto start = Clock::now();
        const bool answered = exchange(fd, frame, terminator);
        const std::chrono::duration<double, std::micro> took = Clock::now() - start;
        if (i < kWarmUp) {
            continue;
        }
        if (answered) {
            times.push_back(took.count());
        } else {
            ++lost;
        }
    }
    return summarize(std::move(times), lost);
}

}  // namespace

LatencySummary summarize(std::vector<double> microseconds, int lost) {
    LatencySummary summary;
    summary.exchanges = static_cast<int>(microseconds.size());
    summary.lost = lost;
    if (microseconds.empty()) {
        return summary;
    }
    std::sort(microseconds.begin(), microseconds.end());
    auto at = [&](double share) {
        return microseconds[std::min(microseconds.size() - 1,
                                     static_cast<std::size_t>(share * microseconds.size()))];
    };
    summary.medianUs = at(0.5);
    summary.p99Us = at(0.99);
    return summary;
}

LatencySummary measurePty(const QString& path, const std::string& command, int exchanges) {
    const Descriptor port(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY));
    termios settings{};
    if (port.fd() < 0 || ::tcgetattr(port.fd(), &settings) != 0) {
        return {};
    }
    ::cfmakeraw(&settings);
    ::tcsetattr(port.fd(), TCSANOW, &settings);
    ::tcflush(port.fd(), TCIOFLUSH);
    return measure(port.fd(), protocol::serialFrame(command), protocol::kLf, exchanges);
}

LatencySummary measureTcp(quint16 port, const std::string& command, int exchanges) {
    const Descriptor link(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int on = 1;
    if (link.fd() < 0 || ::setsockopt(link.fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0 ||
        ::connect(link.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return {};
    }
    return measure(link.fd(), protocol::tcpFrame(command), protocol::kEtx, exchanges);
}

SimulatorThread::SimulatorThread() {
    m_thread.start();
    m_sim = new sim::Simulator;
    m_sim->moveToThread(&m_thread);
    const QString link = m_dir.filePath(QStringLiteral("zov-bench-port"));
    configure([&](sim::Simulator& sim) {
        sim.setUnsolicitedStatus(false);
        m_running = m_dir.isValid() && sim.startPty(link) && sim.startTcp(0);
        m_port = sim.tcpPort();
    });
    m_link = link;
}

SimulatorThread::~SimulatorThread() {
    QMetaObject::invokeMethod(
        m_sim, [this] { delete m_sim; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void SimulatorThread::configure(const std::function<void(sim::Simulator&)>& change) {
    QMetaObject::invokeMethod(
        m_sim, [&] { change(*m_sim); }, Qt::BlockingQueuedConnection);
}

RawFloor measureRawFloor(int exchanges, const std::string& command) {
    SimulatorThread supply;
    if (!supply.isRunning()) {
        return {};
    }
    return {measurePty(supply.ptyLink(), command, exchanges),
            measureTcp(supply.tcpPort(), command, exchanges)};
}

}  // namespace zov::bench
