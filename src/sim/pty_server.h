// The serial side of the simulated supply on a pseudo-terminal, reachable
// through a symbolic link that stands for the port name.
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

    PtyServer(CommandSink sink, QObject* parent = nullptr);
    ~PtyServer() override;

    // Creates the pseudo-terminal and points `linkPath` at its device; an
    // existing symbolic link there is replaced, any other file is kept.
    bool open(const QString& linkPath, QString* error);

    [[nodiscard]] QString devicePath() const { return m_device; }
    [[nodiscard]] QString linkPath() const { return m_link; }

private:
    void readAvailable();
    void write(std::string_view bytes);
    void close();

    CommandSink m_sink;
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
