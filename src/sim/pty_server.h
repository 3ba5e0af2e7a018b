// The serial side of the simulated supply on a pseudo-terminal, reachable
// through a symbolic link that stands for the port name. The line's speed is
// the one its host side sets (a pseudo-terminal keeps it without using it);
// on a line whose speeds must agree, what passes at another speed than the
// unit's is noise both ways.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "sim/framing.h"
#include "sim/outbox.h"

namespace zov::sim {

class PtyServer : public QObject {
    Q_OBJECT

public:
    using CommandSink = std::function<void(const std::string& command, Outbox& replies)>;
    // The unit's speed when the host's must match it; 0 when speeds do not matter.
    using SpeedToMatch = std::function<int()>;
    using NoiseSink = std::function<void(std::string_view bytes, int hostBaud)>;

    PtyServer(CommandSink sink, SpeedToMatch speedToMatch, NoiseSink noise,
              QObject* parent = nullptr);
    ~PtyServer() override;

    // Creates the pseudo-terminal at `baud` and points `linkPath` at its
    // device; an existing symbolic link there is replaced, any other file is kept.
    bool open(const QString& linkPath, int baud, QString* error);
    // The speed the host side last set (0 for one without a number).
    [[nodiscard]] int hostBaud() const;

    [[nodiscard]] QString devicePath() const { return m_device; }
    [[nodiscard]] QString linkPath() const { return m_link; }

private:
    void readAvailable();
    void receive(std::string_view bytes);
    void write(std::string_view bytes);
    void close();
    [[nodiscard]] bool speedsDisagree() const;

    CommandSink m_sink;
    SpeedToMatch m_speedToMatch;
    NoiseSink m_noise;
    FrameReader m_reader{Link::Serial};
    Outbox m_outbox;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_master = -1;
    // Held open so that the master never sees a hang-up when a client closes
    // the port.
    int m_slave = -1;
    QString m_device;
    QString m_link;
};

}  // namespace zov::sim
