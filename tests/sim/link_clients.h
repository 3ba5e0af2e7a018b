// Test-side ends of the two links: a plain POSIX client on the simulator's
// pseudo-terminal and a QTcpSocket client, both collecting what arrives.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpSocket>

#include <memory>
#include <string_view>

class PtyClient {
public:
    explicit PtyClient(const QString& path);
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }
    // The line speed, as a serial port sets it on its device.
    void setBaud(int baud);
    void send(const QByteArray& bytes);
    // Everything received up to and including `terminator`, or what came
    // before the timeout. Counts the reads that delivered data.
    QByteArray readUntil(char terminator, int timeoutMs = 3000);
    // Everything that arrives within `ms`.
    QByteArray collectFor(int ms);
    [[nodiscard]] int reads() const { return m_reads; }

private:
    void drain();

    int m_fd = -1;
    int m_reads = 0;
    QByteArray m_received;
};

class TcpClient {
public:
    explicit TcpClient(quint16 port);

    [[nodiscard]] bool isConnected() const;
    void send(const QByteArray& bytes);
    QByteArray readUntil(char terminator, int timeoutMs = 3000);
    QByteArray collectFor(int ms);
    [[nodiscard]] int reads() const { return m_reads; }
    QTcpSocket& socket() { return m_socket; }

private:
    QTcpSocket m_socket;
    int m_reads = 0;
    QByteArray m_received;
};

// Either client, speaking in frames of its link.
class FramedClient {
public:
    FramedClient(bool overTcp, const QString& ptyPath, quint16 tcpPort);

    [[nodiscard]] bool overTcp() const { return m_tcp != nullptr; }
    void sendCommands(std::initializer_list<std::string_view> commands);
    // One reply through its terminator, or what came before the timeout.
    QByteArray readReply(int timeoutMs = 3000);
    // A reply text as it arrives on this link.
    [[nodiscard]] QByteArray frame(std::string_view reply) const;
    QByteArray collectFor(int ms);
    [[nodiscard]] int reads() const;

private:
    std::unique_ptr<PtyClient> m_pty;
    std::unique_ptr<TcpClient> m_tcp;
};
