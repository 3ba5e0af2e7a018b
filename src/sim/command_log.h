// The --log record of zov-sim: one flushed line for every command, status
// message, unheard noise and control line, each after its local time:
//     2024-05-06 14:03:21.507 serial "STAT;" answered "0;"
//     2024-05-06 14:03:21.590 control interlock open
#pragma once

#include <QIODevice>
#include <QObject>

#include <string>
#include <string_view>

#include "sim/simulator.h"

namespace zov::sim {

class CommandLog : public QObject {
    Q_OBJECT

public:
    // Writes to `device`, which must be open and outlive the log.
    CommandLog(Simulator& sim, QIODevice& device, QObject* parent = nullptr);

    void note(std::string_view text);

private:
    QIODevice& m_device;
};

}  // namespace zov::sim
