#include "simulator.h"

#include <utility>

#include "sim/outbox.h"
#include "sim/pty_server.h"
#include "sim/replies.h"
#include "sim/tcp_server.h"

namespace zov::sim {
namespace {

// Unheard noise is logged by its first bytes only.
constexpr std::size_t kNoiseShown = 32;

// The text `message` sends and its bytes on the link, where the unit itself
// would send `own`.
struct Outgoing {
    std::string text;
    std::string bytes;
};

Outgoing outgoing(Link link, const ScriptedReply& message, const std::string& own) {
    using Content = ScriptedReply::Content;
    switch (message.content()) {
        case Content::Own:
        case Content::Refusal:
            return {own, frameReply(link, own)};
        case Content::Text:
            return {message.bytes(), frameReply(link, message.bytes())};
        case Content::Raw:
            return {message.bytes(), message.bytes()};
        case Content::Nothing:
            break;
    }
    return {};
}

Handling::Outcome outcomeOf(const Treatment& treatment) {
    using Outcome = Handling::Outcome;
    if (treatment.closeConnection) {
        return Outcome::ConnectionClosed;
    }
    if (treatment.origin == Treatment::Origin::Script) {
        return Outcome::Scripted;
    }
    if (treatment.lost) {
        return Outcome::Dropped;
    }
    return treatment.reply.content() == ScriptedReply::Content::Refusal ? Outcome::Refused
                                                                        : Outcome::Answered;
}

}  // namespace

Simulator::Simulator(QObject* parent)
    : QObject(parent),
      m_model(this),
      m_scripting([](std::string_view c) { return isSetCommand(c); }) {
    m_statusShape.delay = kStatusGap;
    connect(&m_model, &SupplyModel::statusChanged, this, &Simulator::statusChanged);
}

Simulator::~Simulator() = default;

bool Simulator::script(const CommandPattern& pattern, const ScriptedReply& reply, int calls) {
    return script(pattern, std::vector<ScriptedReply>{reply}, calls);
}

bool Simulator::script(const CommandPattern& pattern, std::vector<ScriptedReply> replies,
                       int calls) {
    return m_scripting.script().add(pattern, std::move(replies), calls);
}

bool Simulator::startPty(const QString& linkPath) {
    auto server = std::make_unique<PtyServer>(
        [this](const std::string& command, Outbox& replies) {
            answer(Link::Serial, command, replies);
        },
        [this] { return speedToMatch(); },
        [this](std::string_view bytes, int hostBaud) { heardNoise(bytes, hostBaud); }, this);
    if (!server->open(linkPath, m_model.baudRate(), &m_error)) {
        return false;
    }
    m_pty = std::move(server);
    return true;
}

void Simulator::closePty() {
    m_pty.reset();
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

    const Treatment treatment = m_scripting.treat(link, command);
    Handling handling(outcomeOf(treatment), link, command);
    if (treatment.closeConnection) {
        emit handled(handling);
        return false;
    }
    const bool refused = treatment.reply.content() == ScriptedReply::Content::Refusal;
    // A status change caused by this command goes out after its reply.
    m_answering = true;
    const std::string own = refused ? refusalTo(command) : replyTo(m_model, command);
    m_answering = false;

    const Outgoing out = outgoing(link, treatment.reply, own);
    handling.reply = out.text;
    handling.raw = treatment.reply.content() == ScriptedReply::Content::Raw;
    handling.refusal = refused;
    if (!treatment.lost) {
        std::vector<Piece> pieces = cut(out.bytes, treatment.reply.shape());
        handling.pieces = pieces.size();
        handling.delay = treatment.reply.shape().delay;
        const int baud = link == Link::Serial ? serialPace() : 0;
        if (!pieces.empty()) {
            pieces.front().delay += wireTime(baud, command.size() + frameOverhead(link));
            replies.setByteTime(wireTime(baud, 1));
            replies.send(std::move(pieces));
        }
    }
    emit handled(handling);
    if (std::exchange(m_statusPending, false)) {
        statusChanged();
    }
    return true;
}

void Simulator::sendStatus(const ScriptedReply& message) {
    if (!m_tcp) {
        return;
    }
    const Outgoing out = outgoing(Link::Tcp, message, combinedStatus(m_model));
    std::vector<Piece> pieces = cut(out.bytes, message.shape());
    if (pieces.empty()) {
        return;
    }
    Handling handling(Handling::Outcome::StatusSent, Link::Tcp);
    handling.reply = out.text;
    handling.raw = message.content() == ScriptedReply::Content::Raw;
    handling.delay = message.shape().delay;
    handling.pieces = pieces.size();
    m_tcp->broadcast(pieces);
    emit handled(handling);
}

void Simulator::statusChanged() {
    if (m_answering) {
        m_statusPending = true;
    } else if (m_unsolicitedStatus) {
        sendStatus(ScriptedReply::own().shaped(m_statusShape));
    }
}

void Simulator::heardNoise(std::string_view bytes, int hostBaud) {
    Handling handling(Handling::Outcome::Unheard, Link::Serial,
                      std::string(bytes.substr(0, kNoiseShown)));
    handling.note = std::to_string(bytes.size()) + " bytes with the host at " +
                    std::to_string(hostBaud) + " baud, the unit at " +
                    std::to_string(m_model.baudRate());
    emit handled(handling);
}

int Simulator::serialPace() const {
    const FaultPlan& plan = m_scripting.faults();
    if (plan.serialBaud > 0) {
        return plan.serialBaud;
    }
    return plan.pacedSerial ? m_model.baudRate() : 0;
}

int Simulator::speedToMatch() const {
    const FaultPlan& plan = m_scripting.faults();
    return plan.serialBaud == 0 && plan.pacedSerial ? m_model.baudRate() : 0;
}

}  // namespace zov::sim
