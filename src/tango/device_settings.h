// A ZovSupply device's properties as the server takes them: where the supply
// is, how fast to read it and whether a client may switch its X-ray output
// on. Checked before anything is opened, with a message that names the
// property at fault.
#pragma once

#include <QString>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace zov::tango {

struct DeviceSettings {
    // Either a serial device ("/dev/ttyUSB0", "COM3") or a TCP host and port.
    QString serialDevice;
    QString host;
    quint16 tcpPort = 0;
    qint32 baud = 115200;
    int updatePeriodMs = 66;
    int replyTimeLimitMs = 1000;
    bool xrayOnAllowed = false;

    [[nodiscard]] bool tcp() const { return tcpPort != 0; }
    [[nodiscard]] QString linkName() const;
};

// The properties by name, as the database or resource file gave them (a
// property it has no value for is absent). The settings, or why not.
[[nodiscard]] std::variant<DeviceSettings, QString> settingsFrom(
    const std::map<std::string, std::string>& properties);

}  // namespace zov::tango
