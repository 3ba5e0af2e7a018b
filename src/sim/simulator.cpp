#include "simulator.h"

#include <utility>

#include "sim/outbox.h"
#include "sim/pty_server.h"
#include "sim/replies.h"
#include "sim/tcp_server.h"

namespace zov::sim {

Simulator::Simulator(QObject* parent) : QObject(parent), m_model(this) {
    connect(&m_model, &SupplyModel::statusChanged, this, &Simulator::statusChanged);
}

Simulator::~Simulator() = default;

bool Simulator::startPty(const QString& linkPath) {
    auto server = std::make_unique<PtyServer>(
        [this](const std::string& command, Outbox& replies) {
            answer(Link::Serial, command, replies);
        },
        this);
    if (!server->open(linkPath, &m_error)) {
        return false;
    }
    m_pty = std::move(server);
    return true;
}

bool Simulator::startTcp(quint16 port) {
    auto server = std::make_unique<TcpServer>(
        [this](const std::string& command, Outbox& replies) {
            return answer(Link::Tcp, command, replies);
        },
        this);
    if (!server->listen(port, &m_error)) {
        return false;
    }
    m_tcp = std::move(server);
    return true;
}

QString Simulator::ptyDevice() const {
    return m_pty ? m_pty->devicePath() : QString();
}

quint16 Simulator::tcpPort() const {
    return m_tcp ? m_tcp->port() : 0;
}

void Simulator::dropTcpConnections() {
    if (m_tcp) {
        m_tcp->dropConnections();
    }
}

bool Simulator::answer(Link link, const std::string& command, Outbox& replies) {
    const QString text =
        QString::fromLatin1(command.data(), static_cast<qsizetype>(command.size()));
    m_commands.append(text);
    emit commandReceived(text);
    if (link == Link::Tcp && m_faults.tcpDropEvery > 0 &&
        ++m_tcpCommands % m_faults.tcpDropEvery == 0) {
        return false;
    }
    // A status change caused by this command goes out after its reply.
    m_answering = true;
    const std::string reply = m_faults.refuseAll ? refusalTo(command) : replyTo(m_model, command);
    m_answering = false;
    if (auto pieces = m_shaper.shape(frameReply(link, reply))) {
        const int baud = link == Link::Serial ? m_faults.serialBaud : 0;
        pieces->front().delay += wireTime(baud, command.size() + frameOverhead(link));
        replies.setByteTime(wireTime(baud, 1));
        replies.send(std::move(*pieces));
    }
    if (std::exchange(m_statusPending, false)) {
        statusChanged();
    }
    return true;
}

void Simulator::statusChanged() {
    if (m_answering) {
        m_statusPending = true;
    } else if (m_unsolicitedStatus && m_tcp) {
        m_tcp->broadcast(frameReply(Link::Tcp, combinedStatus(m_model)));
    }
}

}  // namespace zov::sim
