// Opening the supply's link without a window: what the Ports menu does for
// a serial port (RS-232 or a USB virtual port) and for Ethernet, for a
// command-line tool or a device server. One link is open at a time; either
// call closes the other, and the unit behind the new link counts as one
// whose scales have not been given yet.
#pragma once

#include <QString>
#include <optional>

#include "core/command_exchange.h"
#include "core/main_state.h"

namespace zov::core {

// The speeds a unit's serial side runs at.
inline constexpr qint32 kSerialBauds[] = {115200, 9600};

// Opens `device` (a path, "COMn", or a port number as the Ports menu takes
// it) at `baud`, 8 data bits, no parity, one stop bit. Nothing when it is
// open; else why not, in one line, and no link is left open.
[[nodiscard]] std::optional<QString> openSerialLink(CommandExchange& exchange, MainState& state,
                                                    const QString& device, qint32 baud);

// Connects to host:port, waiting up to the exchange's connect time limit.
// Nothing when connected; else why not, in one line, and no link is left open.
[[nodiscard]] std::optional<QString> openTcpLink(CommandExchange& exchange, MainState& state,
                                                 const QString& host, quint16 port);

}  // namespace zov::core
