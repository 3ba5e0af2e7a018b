// SPDX-License-Identifier: Apache-2.0
#include "link_opening.h"

#include <algorithm>
#include <iterator>

#include "core/scaling.h"

namespace zov::core {
namespace {

void leaveNoLinkOpen(CommandExchange& exchange) {
    exchange.serial().release();
    exchange.closeTcp();
    exchange.tmr_RCVTIMER().stop();
    exchange.setNetPollEnabled(false);
}

}  // namespace

std::optional<QString> openSerialLink(CommandExchange& exchange, MainState& state,
                                      const QString& device, qint32 baud) {
    exchange.tmr_RCVTIMER().stop();
    forgetUnitScales(state);
    state.CommPortNum = device;
    // Also after a failure: what was chosen is a serial link, so no command
    // goes out on a TCP connection nobody chose.
    state.portType = QStringLiteral("comm1");
    if (std::find(std::begin(kSerialBauds), std::end(kSerialBauds), baud) ==
        std::end(kSerialBauds)) {
        leaveNoLinkOpen(exchange);
        return QStringLiteral("the unit's serial side runs at 115200 or 9600 baud, not %1")
            .arg(baud);
    }
    const auto path = serialDeviceFor(device);
    if (!path) {
        leaveNoLinkOpen(exchange);
        return QStringLiteral("\"%1\" names no serial port").arg(device);
    }
    SerialLink& serial = exchange.serial();
    serial.release();
    serial.setSettings(QStringLiteral("%1,n,8,1").arg(baud));
    serial.setDevice(*path);
    if (!serial.open()) {
        leaveNoLinkOpen(exchange);
        return QStringLiteral("cannot open the serial port %1").arg(*path);
    }
    // The serial port is now the one open link.
    exchange.closeTcp();
    exchange.tmr_RCVTIMER().start();
    exchange.setNetPollEnabled(false);
    return std::nullopt;
}

std::optional<QString> openTcpLink(CommandExchange& exchange, MainState& state, const QString& host,
                                   quint16 port) {
    exchange.tmr_RCVTIMER().stop();
    exchange.setNetPollEnabled(false);
    forgetUnitScales(state);
    state.portType = QStringLiteral("ethernet");
    // The TCP connection becomes the one link; nothing reopens the serial port.
    exchange.serial().release();
    exchange.setRemote(host, port);
    exchange.connectTcpAndWait();
    if (!exchange.tcp().isOpen()) {
        const QTcpSocket& socket = exchange.tcp().socket();
        const QString why = socket.error() == QAbstractSocket::UnknownSocketError
                                ? QStringLiteral("no connection within %1 s")
                                      .arg(CommandExchange::kConnectTimeLimitMs / 1000)
                                : socket.errorString();
        leaveNoLinkOpen(exchange);
        return QStringLiteral("cannot connect to %1:%2: %3").arg(host).arg(port).arg(why);
    }
    exchange.setNetPollEnabled(true);
    return std::nullopt;
}

}  // namespace zov::core
