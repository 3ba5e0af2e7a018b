#include "device_settings.h"

#include <QStringList>

#include "core/link_opening.h"

namespace zov::tango {
namespace {

constexpr int kShortestPeriodMs = 20;
constexpr int kLongestPeriodMs = 60000;
constexpr int kShortestReplyLimitMs = 50;
constexpr int kLongestReplyLimitMs = 10000;

std::optional<int> wholeNumber(const std::string& text, int lowest, int highest) {
    bool ok = false;
    const int value = QString::fromStdString(text).trimmed().toInt(&ok);
    if (!ok || value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> truth(const std::string& text) {
    const QString word = QString::fromStdString(text).trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("1")) {
        return true;
    }
    if (word == QLatin1String("false") || word == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

}  // namespace

QString DeviceSettings::linkName() const {
    return tcp() ? QStringLiteral("%1:%2").arg(host).arg(tcpPort) : serialDevice;
}

std::variant<DeviceSettings, QString> settingsFrom(
    const std::map<std::string, std::string>& properties) {
    DeviceSettings settings;
    const auto given = [&properties](const char* name) -> const std::string* {
        const auto found = properties.find(name);
        return found == properties.end() ? nullptr : &found->second;
    };

    const std::string* port = given("Port");
    const QString link = port ? QString::fromStdString(*port).trimmed() : QString();
    if (link.isEmpty()) {
        return QStringLiteral(
            "the Port property is not set: give the serial device "
            "(/dev/ttyUSB0, COM3) or host:port of the supply");
    }
    // "host:port" is TCP; a serial device name never ends in ":digits" (a
    // Windows "COM3" has no colon).
    const int colon = link.lastIndexOf(QLatin1Char(':'));
    if (colon > 0 && colon + 1 < link.size()) {
        bool ok = false;
        const uint tcpPort = link.mid(colon + 1).toUInt(&ok);
        if (ok) {
            if (tcpPort == 0 || tcpPort > 65535) {
                return QStringLiteral("the Port property \"%1\" names no TCP port (1 to 65535)")
                    .arg(link);
            }
            settings.host = link.left(colon);
            settings.tcpPort = static_cast<quint16>(tcpPort);
        }
    }
    if (!settings.tcp()) {
        settings.serialDevice = link;
    }

    if (const std::string* baud = given("Baud")) {
        const auto value = wholeNumber(*baud, 1, 1000000);
        bool known = false;
        for (const qint32 speed : core::kSerialBauds) {
            known = known || (value && *value == speed);
        }
        if (!known) {
            return QStringLiteral(
                       "the Baud property \"%1\" is no speed of the unit (115200 or 9600)")
                .arg(QString::fromStdString(*baud));
        }
        settings.baud = *value;
    }
    if (const std::string* period = given("UpdatePeriodMs")) {
        const auto value = wholeNumber(*period, kShortestPeriodMs, kLongestPeriodMs);
        if (!value) {
            return QStringLiteral(
                       "the UpdatePeriodMs property \"%1\" is not a whole number of "
                       "milliseconds from %2 to %3")
                .arg(QString::fromStdString(*period))
                .arg(kShortestPeriodMs)
                .arg(kLongestPeriodMs);
        }
        settings.updatePeriodMs = *value;
    }
    if (const std::string* limit = given("ReplyTimeLimitMs")) {
        const auto value = wholeNumber(*limit, kShortestReplyLimitMs, kLongestReplyLimitMs);
        if (!value) {
            return QStringLiteral(
                       "the ReplyTimeLimitMs property \"%1\" is not a whole number of "
                       "milliseconds from %2 to %3")
                .arg(QString::fromStdString(*limit))
                .arg(kShortestReplyLimitMs)
                .arg(kLongestReplyLimitMs);
        }
        settings.replyTimeLimitMs = *value;
    }
    if (const std::string* allowed = given("XrayOnAllowed")) {
        const auto value = truth(*allowed);
        if (!value) {
            return QStringLiteral("the XrayOnAllowed property \"%1\" is neither true nor false")
                .arg(QString::fromStdString(*allowed));
        }
        settings.xrayOnAllowed = *value;
    }
    return settings;
}

}  // namespace zov::tango
