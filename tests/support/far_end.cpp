#include "far_end.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <chrono>
#include <cstdlib>

namespace zov::test {

FarEndPty::FarEndPty(QString linkPath) : linkPath_(std::move(linkPath)) {
    comeBack();
}

FarEndPty::~FarEndPty() {
    hangUp();
}

// A pulled adapter takes its device name with it; the name staying behind
// could lead to the next pseudo-terminal that takes the freed number.
void FarEndPty::hangUp() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
        ::unlink(linkPath_.toLocal8Bit().constData());
    }
}

bool FarEndPty::comeBack() {
    hangUp();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        hangUp();
        return false;
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    const char* device = ::ptsname(master_);
    // Raw before the console opens it: no echo, no line editing.
    const int slave = ::open(device, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    ::tcgetattr(slave, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(slave, TCSANOW, &settings);
    ::close(slave);
    const QByteArray link = linkPath_.toLocal8Bit();
    ::unlink(link.constData());
    return ::symlink(device, link.constData()) == 0;
}

std::string FarEndPty::takeReceived() {
    std::string received;
    char buffer[4096];
    ssize_t got;
    while (master_ >= 0 && (got = ::read(master_, buffer, sizeof buffer)) > 0) {
        received.append(buffer, static_cast<std::size_t>(got));
    }
    return received;
}

void FarEndPty::send(const std::string& bytes) {
    if (master_ >= 0) {
        [[maybe_unused]] const auto written = ::write(master_, bytes.data(), bytes.size());
    }
}

Flooder::Flooder(int fd, std::string chatter) : chatter_(std::move(chatter)) {
    thread_ = std::thread([this, fd] { floodFd(fd); });
}

Flooder::Flooder(std::string chatter) : chatter_(std::move(chatter)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 1);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
        const int peer = ::accept(listener_, nullptr, nullptr);
        if (peer >= 0) {
            floodFd(peer);
            ::close(peer);
        }
    });
}

Flooder::~Flooder() {
    stop();
}

void Flooder::stop() {
    stop_ = true;
    if (listener_ >= 0) {
        ::shutdown(listener_, SHUT_RDWR);  // ends an accept still waiting
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    if (listener_ >= 0) {
        ::close(listener_);
        listener_ = -1;
    }
}

void Flooder::floodFd(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    while (!stop_) {
        const ssize_t n = ::send(fd, chatter_.data(), chatter_.size(), MSG_NOSIGNAL);
        const ssize_t written =
            n < 0 && errno == ENOTSOCK ? ::write(fd, chatter_.data(), chatter_.size()) : n;
        if (written > 0) {
            sent_ += written;
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return std::atol(line.mid(6).trimmed().constData());
        }
    }
    return -1;
}

}  // namespace zov::test
