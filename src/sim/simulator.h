// A simulated supply with its serial (pseudo-terminal) and TCP servers, for
// the zov-sim program, for tests and for the console's --simulator mode.
// Everything runs on the owner's thread, driven by its Qt event loop.
//
//     zov::sim::Simulator sim;
//     sim.startPty("/tmp/zov-port");  // or sim.startTcp(0) and sim.tcpPort()
//     sim.model().setInterlockOpen(true);
//     sim.faults().delay = std::chrono::milliseconds(200);
//     ... sim.commands() lists every command received.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

#include "sim/fault_plan.h"
#include "sim/framing.h"
#include "sim/supply_model.h"

namespace zov::sim {

class Outbox;
class PtyServer;
class TcpServer;

class Simulator : public QObject {
    Q_OBJECT

public:
    explicit Simulator(QObject* parent = nullptr);
    ~Simulator() override;

    SupplyModel& model() { return m_model; }
    // Changes apply from the next command on.
    FaultPlan& faults() { return m_faults; }

    // Serves the serial side on a new pseudo-terminal reachable as `linkPath`.
    bool startPty(const QString& linkPath);
    // Listens on 127.0.0.1:port (0 picks a free port, see tcpPort()).
    bool startTcp(quint16 port = 0);
    [[nodiscard]] QString errorString() const { return m_error; }
    [[nodiscard]] QString ptyDevice() const;
    [[nodiscard]] quint16 tcpPort() const;

    // Every command received with good framing, in order, on either link.
    [[nodiscard]] const QStringList& commands() const { return m_commands; }
    void clearCommands() { m_commands.clear(); }

    // The status message sent on TCP when the X-ray, interlock or fault state
    // changes; on by default.
    void setUnsolicitedStatus(bool on) { m_unsolicitedStatus = on; }
    void dropTcpConnections();

signals:
    void commandReceived(const QString& command);

private:
    bool answer(Link link, const std::string& command, Outbox& replies);
    void statusChanged();

    SupplyModel m_model;
    FaultPlan m_faults;
    ReplyShaper m_shaper{m_faults};
    QStringList m_commands;
    QString m_error;
    std::unique_ptr<PtyServer> m_pty;
    std::unique_ptr<TcpServer> m_tcp;
    long long m_tcpCommands = 0;
    bool m_unsolicitedStatus = true;
    bool m_answering = false;
    bool m_statusPending = false;
};

}  // namespace zov::sim
