// Far ends of the console's links for staging what cables and devices do:
// a pseudo-terminal whose other side hangs up and comes back, and peers on
// threads of their own that flood the serial port or a TCP connection.
// Plain POSIX on purpose: nothing of the console's event loop is involved.
#pragma once

#include <QString>
#include <atomic>
#include <string>
#include <thread>

namespace zov::test {

// A pseudo-terminal in raw mode reached through the symbolic link `linkPath`,
// as a device path that a user types. hangUp() closes the far side and
// removes the link, as a pulled USB adapter does; comeBack() plugs a new one
// in under the same link.
class FarEndPty {
public:
    explicit FarEndPty(QString linkPath);
    ~FarEndPty();
    FarEndPty(const FarEndPty&) = delete;
    FarEndPty& operator=(const FarEndPty&) = delete;

    [[nodiscard]] bool isOpen() const { return master_ >= 0; }
    [[nodiscard]] const QString& linkPath() const { return linkPath_; }
    void hangUp();
    bool comeBack();
    // Everything the console has sent so far (non-blocking).
    [[nodiscard]] std::string takeReceived();
    void send(const std::string& bytes);
    [[nodiscard]] int masterFd() const { return master_; }

private:
    QString linkPath_;
    int master_ = -1;
};

// Writes `chatter` again and again to `fd` (or, for a listening socket given
// by its port, to the first connection) until stopped; counts what went out.
class Flooder {
public:
    // Floods the pseudo-terminal's far side.
    Flooder(int fd, std::string chatter);
    // Listens on 127.0.0.1 (port()) and floods whoever connects.
    explicit Flooder(std::string chatter);
    ~Flooder();
    Flooder(const Flooder&) = delete;
    Flooder& operator=(const Flooder&) = delete;

    [[nodiscard]] quint16 port() const { return port_; }
    [[nodiscard]] long long sent() const { return sent_; }
    void stop();

private:
    void floodFd(int fd);

    std::string chatter_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<long long> sent_{0};
    std::thread thread_;
};

// Resident memory of this process in kB (-1 when unknown).
[[nodiscard]] long residentKb();

}  // namespace zov::test
