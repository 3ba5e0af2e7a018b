#include "tcp_server.h"

#include <QTcpSocket>

#include <algorithm>

#include "sim/framing.h"

namespace zov::sim {

// One connection: its socket, the frames it has begun and its transmitter.
// Lives as a child of the socket and dies with it.
class TcpPeer : public QObject {
public:
    TcpPeer(QTcpSocket* socket, const TcpServer::CommandSink& sink)
        : QObject(socket),
          m_socket(socket),
          m_sink(sink),
          m_outbox(
              [this](std::string_view bytes) {
                  m_socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
                  m_socket->flush();
              },
              this) {
        connect(socket, &QTcpSocket::readyRead, this, &TcpPeer::readAvailable);
    }

    Outbox& outbox() { return m_outbox; }
    void drop() { m_socket->disconnectFromHost(); }

private:
    void readAvailable() {
        const QByteArray bytes = m_socket->readAll();
        for (const std::string& command : m_reader.feed(
                 std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
            if (!m_sink(command, m_outbox)) {
                drop();
                return;
            }
        }
    }

    QTcpSocket* m_socket;
    const TcpServer::CommandSink& m_sink;
    FrameReader m_reader{Link::Tcp};
    Outbox m_outbox;
};

TcpServer::TcpServer(CommandSink sink, QObject* parent)
    : QObject(parent), m_sink(std::move(sink)), m_server(this) {
    connect(&m_server, &QTcpServer::newConnection, this, &TcpServer::accept);
}

bool TcpServer::listen(quint16 port, QString* error) {
    if (!m_server.listen(QHostAddress::LocalHost, port)) {
        *error = m_server.errorString();
        return false;
    }
    return true;
}

void TcpServer::broadcast(const std::vector<Piece>& pieces) {
    for (TcpPeer* peer : m_peers) {
        peer->outbox().send(pieces);
    }
}

void TcpServer::dropConnections() {
    for (TcpPeer* peer : m_peers) {
        peer->drop();
    }
}

void TcpServer::accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto* peer = new TcpPeer(socket, m_sink);
        m_peers.push_back(peer);
        connect(peer, &QObject::destroyed, this, [this, peer] {
            m_peers.erase(std::remove(m_peers.begin(), m_peers.end(), peer), m_peers.end());
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

}  // namespace zov::sim
