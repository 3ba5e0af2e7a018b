// A simulated supply with its serial (pseudo-terminal) and TCP servers, for
// the zov-sim program, for tests and for the console's --simulator mode.
// Everything runs on the owner's thread, driven by its Qt event loop.
//
//     zov::sim::Simulator sim;
//     sim.startPty("/tmp/zov-port");  // or sim.startTcp(0) and sim.tcpPort()
//     sim.model().setInterlockOpen(true);                 // drive the unit
//     sim.script("STAT;", ScriptedReply::text("1;"));     // put a reply in its mouth
//     sim.faults().dropEvery = 2;                         // or hit the link
//     sim.faults().only = "FLT;";                         // ... at one command only
//     sim.sendStatus();                                   // a status message on TCP now
//     ... sim.commands() lists every command received.
//
// Two layers: the model (SupplyModel and replyTo) decides what the unit does
// and answers; the scripting layer (scripts and the fault plan) decides what
// of it goes out, and how.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/framing.h"
#include "sim/handling.h"
#include "sim/scripted_reply.h"
#include "sim/scripting_layer.h"
#include "sim/supply_model.h"

namespace zov::sim {

class Outbox;
class PtyServer;
class TcpServer;

class Simulator : public QObject {
    Q_OBJECT

public:
    // A real unit's status message comes on its own, a little after the
    // reply of the command that caused it.
    static constexpr std::chrono::milliseconds kStatusGap{20};

    explicit Simulator(QObject* parent = nullptr);
    ~Simulator() override;

    SupplyModel& model() { return m_model; }

    // Changes apply from the next command on.
    FaultPlan& faults() { return m_scripting.faults(); }
    // No faults, and every fault count starts afresh.
    void clearFaults() { m_scripting.clearFaults(); }

    // The next `calls` commands that `pattern` matches get these replies in
    // turn (see ReplyScript); false when the script is full.
    bool script(const CommandPattern& pattern, const ScriptedReply& reply, int calls = 1);
    bool script(const CommandPattern& pattern, std::vector<ScriptedReply> replies,
                int calls = kEachReplyOnce);
    void clearScripts() { m_scripting.script().clear(); }

    // Serves the serial side on a new pseudo-terminal reachable as `linkPath`.
    bool startPty(const QString& linkPath);
    // The serial side unplugged: the pseudo-terminal closes and its link goes,
    // as when a USB adapter is pulled; startPty() plugs a new one in.
    void closePty();
    // Listens on 127.0.0.1:port (0 picks a free port, see tcpPort()).
    bool startTcp(quint16 port = 0);
    [[nodiscard]] QString errorString() const { return m_error; }
    [[nodiscard]] QString ptyDevice() const;
    [[nodiscard]] quint16 tcpPort() const;

    // Every command received with good framing, in order, on either link.
    [[nodiscard]] const QStringList& commands() const { return m_commands; }
    void clearCommands() { m_commands.clear(); }

    // Sends a status message on every TCP connection now: the unit's own
    // combined status (for Own, and for Refusal, which a status cannot be), or
    // the text or bytes of `message` in its place (Nothing sends nothing),
    // shaped as it says, in writes of its own behind any reply still going out.
    void sendStatus(const ScriptedReply& message = ScriptedReply::own());
    // The unit's own status message whenever the X-ray, interlock or fault
    // state changes; on by default, shaped by `shape` (kStatusGap late).
    void setUnsolicitedStatus(bool on) { m_unsolicitedStatus = on; }
    void setStatusShape(Shape shape) { m_statusShape = std::move(shape); }
    void dropTcpConnections();

signals:
    void commandReceived(const QString& command);
    // After every command, status message and unheard noise.
    void handled(const zov::sim::Handling& handling);

private:
    bool answer(Link link, const std::string& command, Outbox& replies);
    void statusChanged();
    void heardNoise(std::string_view bytes, int hostBaud);
    // The rate the serial side is paced at (0: unpaced), and the speed a host
    // must match to be understood (0: any).
    [[nodiscard]] int serialPace() const;
    [[nodiscard]] int speedToMatch() const;

    SupplyModel m_model;
    ScriptingLayer m_scripting;
    QStringList m_commands;
    QString m_error;
    std::unique_ptr<PtyServer> m_pty;
    std::unique_ptr<TcpServer> m_tcp;
    Shape m_statusShape;
    bool m_unsolicitedStatus = true;
    bool m_answering = false;
    bool m_statusPending = false;
};

}  // namespace zov::sim
