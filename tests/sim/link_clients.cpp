#include "link_clients.h"

#include <QtTest>

#include "protocol/protocol.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray takeThrough(QByteArray& buffer, char terminator) {
    const auto end = buffer.indexOf(terminator);
    const QByteArray taken = end < 0 ? buffer : buffer.left(end + 1);
    buffer.remove(0, taken.size());
    return taken;
}

}  // namespace

PtyClient::PtyClient(const QString& path) {
    m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (m_fd >= 0 && ::tcgetattr(m_fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(m_fd, TCSANOW, &settings);
        ::tcflush(m_fd, TCIOFLUSH);
    }
}

PtyClient::~PtyClient() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void PtyClient::setBaud(int baud) {
    termios settings{};
    QCOMPARE(::tcgetattr(m_fd, &settings), 0);
    QCOMPARE(::cfsetspeed(&settings, baud == 9600 ? B9600 : B115200), 0);
    QCOMPARE(::tcsetattr(m_fd, TCSANOW, &settings), 0);
}

void PtyClient::send(const QByteArray& bytes) {
    QCOMPARE(::write(m_fd, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
}

void PtyClient::drain() {
    char buffer[512];
    ssize_t got;
    while ((got = ::read(m_fd, buffer, sizeof buffer)) > 0) {
        m_received.append(buffer, got);
        ++m_reads;
    }
}

QByteArray PtyClient::readUntil(char terminator, int timeoutMs) {
    (void)QTest::qWaitFor(
        [&] {
            drain();
            return m_received.contains(terminator);
        },
        timeoutMs);
    return takeThrough(m_received, terminator);
}

QByteArray PtyClient::collectFor(int ms) {
    QTest::qWait(ms);
    drain();
    return std::exchange(m_received, QByteArray());
}

TcpClient::TcpClient(quint16 port) {
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] {
        m_received += m_socket.readAll();
        ++m_reads;
    });
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    (void)QTest::qWaitFor([this] { return isConnected(); }, 3000);
}

bool TcpClient::isConnected() const {
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

void TcpClient::send(const QByteArray& bytes) {
    m_socket.write(bytes);
    m_socket.flush();
}

QByteArray TcpClient::readUntil(char terminator, int timeoutMs) {
    (void)QTest::qWaitFor([&] { return m_received.contains(terminator); }, timeoutMs);
    return takeThrough(m_received, terminator);
}

QByteArray TcpClient::collectFor(int ms) {
    QTest::qWait(ms);
    return std::exchange(m_received, QByteArray());
}

FramedClient::FramedClient(bool overTcp, const QString& ptyPath, quint16 tcpPort) {
    if (overTcp) {
        m_tcp = std::make_unique<TcpClient>(tcpPort);
    } else {
        m_pty = std::make_unique<PtyClient>(ptyPath);
    }
}

void FramedClient::sendCommands(std::initializer_list<std::string_view> commands) {
    std::string frames;
    for (const std::string_view command : commands) {
        frames += m_tcp ? zov::protocol::tcpFrame(command) : zov::protocol::serialFrame(command);
    }
    const QByteArray bytes = QByteArray::fromStdString(frames);
    m_tcp ? m_tcp->send(bytes) : m_pty->send(bytes);
}

QByteArray FramedClient::readReply(int timeoutMs) {
    return m_tcp ? m_tcp->readUntil(zov::protocol::kEtx, timeoutMs)
                 : m_pty->readUntil(zov::protocol::kLf, timeoutMs);
}

QByteArray FramedClient::frame(std::string_view reply) const {
    return QByteArray::fromStdString(m_tcp ? zov::protocol::tcpFrame(reply)
                                           : zov::protocol::serialFrame(reply));
}

QByteArray FramedClient::collectFor(int ms) {
    return m_tcp ? m_tcp->collectFor(ms) : m_pty->collectFor(ms);
}

int FramedClient::reads() const {
    return m_tcp ? m_tcp->reads() : m_pty->reads();
}
