// The TCP side of the simulated supply: a listener on the loopback address
// and one framed conversation per connection.
#pragma once

#include <QObject>
#include <QTcpServer>

#include <functional>
#include <string>
#include <vector>

#include "sim/outbox.h"

namespace zov::sim {

class TcpPeer;

class TcpServer : public QObject {
    Q_OBJECT

public:
    // Returns false to close the connection instead of answering.
    using CommandSink = std::function<bool(const std::string& command, Outbox& replies)>;

    explicit TcpServer(CommandSink sink, QObject* parent = nullptr);

    // Port 0 picks a free one.
    bool listen(quint16 port, QString* error);
    [[nodiscard]] quint16 port() const { return m_server.serverPort(); }

    // Queued on every connection behind the replies still going out.
    void broadcast(const std::vector<Piece>& pieces);
    void dropConnections();

private:
    void accept();

    CommandSink m_sink;
    // Outlives the server, whose connections deregister as they go.
    std::vector<TcpPeer*> m_peers;
    QTcpServer m_server;
};

}  // namespace zov::sim
