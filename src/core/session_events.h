// What happened at the supply, offered to observers that keep it beyond the
// panel (session record, trend view). The areas and runs announce here what
// they read and did; nothing here sends or waits, and an announcement with
// nobody listening costs a signal emission.
#pragma once

#include <QObject>
#include <QString>

namespace zov::core {

// Kinds of supply event; `detail` says the rest in an operator's words.
enum class SupplyEvent {
    LinkChosen,          // a port or TCP link opened (detail: the link)
    LinkLost,            // a link closed or failed (detail: why)
    SetpointProgrammed,  // a channel's count sent (detail: channel, count, reply)
    XrayRequested,       // detail: "ON" or "OFF"
    XrayAcknowledged,    // detail: the state the unit reports
    StatusChanged,       // X-ray output or mode read back changed (detail: what)
    FaultChanged,        // a fault flag raised or cleared (detail: which, new state)
    InterlockChanged,    // detail: "OPEN" or "CLOSED"
    ArcCounted,          // the arc count read back rose (detail: the new count)
    SeasoningStep,       // the seasoning run moved to a step (detail: step, kV, time)
    Error,               // no reply, refused command, unreadable reply (detail: what)
    ReadingsStale,       // the supply stopped answering or the link went (detail: since when)
    ReadingsFresh,       // it answers again
};

class SessionEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // One monitor reading: `variable` is the shared variable it is kept in
    // (KV_MON, EmMon, Fil_I_Mon, LVPS24, AmbTemp), `value` what the operator
    // reads on the panel, in the panel's units.
    void monitorRead(const QString& variable, double value);
    void supplyEvent(zov::core::SupplyEvent kind, const QString& detail);
};

}  // namespace zov::core
