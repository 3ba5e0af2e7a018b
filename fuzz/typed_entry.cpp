// What an operator types into the port box and the service user into the
// factory and serial-number boxes: a port is a device path or a port
// number from 1, a
// text that may be sent reaches the unit as one command carrying exactly that
// text (the simulated unit's parser is the judge), one that could not is
// refused; the converted entries (scaling, preheat, turn-on) carry the
// number typed, and only as counts the unit's converters take.
#include <QString>
#include <cmath>

#include "config/typed_entry.h"
#include "core/factory_data.h"
#include "core/serial_link.h"
#include "fuzz_input.h"
#include "protocol/frame.h"
#include "protocol/numbers.h"
#include "sim/command.h"
#include "sim/framing.h"

namespace {

using zov::fuzz::require;
namespace config = zov::config;
namespace core = zov::core;
namespace protocol = zov::protocol;

bool sendable(const QString& text) {
    for (const QChar character : text) {
        const char16_t c = character.unicode();
        if (c == u';' || c == u',' || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c > 0xFF) {
            return false;
        }
    }
    return true;
}

// The command the simulated unit hears from `command` on both links.
zov::sim::Command heard(const std::string& command) {
    for (const auto link : {zov::sim::Link::Serial, zov::sim::Link::Tcp}) {
        zov::sim::FrameReader reader(link);
        const std::string frame = link == zov::sim::Link::Serial ? protocol::serialFrame(command)
                                                                 : protocol::tcpFrame(command);
        const auto commands = reader.feed(frame);
        require(commands.size() == 1 && commands[0] == command, "the unit hears the command sent");
    }
    const auto parsed = zov::sim::parseCommand(command);
    require(parsed.has_value(), "the unit understands the command");
    return *parsed;
}

// "NAME n;" with a number close to `value` (plain text keeps 15 digits).
void requireNumberCommand(const std::string& command, const char* name, double value) {
    const auto parsed = heard(command);
    require(parsed.name == name && parsed.args.size() == 1, "one number after the mnemonic");
    const auto number = protocol::parseNumber(parsed.args[0]);
    require(number && std::fabs(*number - value) <= std::fabs(value) * 1e-14,
            "the number sent is the number typed");
}

void checkTextEntry(const QString& text) {
    const bool canSend = !config::unsendablePart(text).has_value();
    require(canSend == sendable(text), "a text is refused exactly when it could break the frame");
    if (!canSend) {
        return;
    }
    const std::string entry = text.toLatin1().toStdString();
    require(QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size())) == text,
            "the unit receives the text typed");
    if (entry.size() > 500) {
        return;  // longer than any frame the unit takes
    }
    for (const char* mnemonic : {"HWVP", "MODP", "RAMP", "ARCP"}) {
        const auto parsed = heard(core::textCommand(mnemonic, entry));
        require(parsed.name == mnemonic, "the command is the button's");
        require(parsed.args.size() == (entry.empty() ? 0u : 1u) &&
                    (entry.empty() || parsed.args[0] == entry),
                "the command carries the text typed");
    }
}

void checkConversions(std::string_view entry, double kvScaleFactor) {
    const core::ScalingEntry scaling = core::scalingFrom(entry);
    const auto comma = entry.find(',');
    require(scaling.kvVoltage.has_value() == (comma != std::string_view::npos) &&
                (!scaling.kvVoltage || *scaling.kvVoltage == entry.substr(0, comma)),
            "the voltage is the text before the comma");
    if (scaling.commands) {
        const double kv = *protocol::parseNumber(entry.substr(0, comma));
        const double ma = *protocol::parseNumber(entry.substr(comma + 1));
        requireNumberCommand(scaling.commands->first, "SLVP", kv * 100);
        requireNumberCommand(scaling.commands->second, "SLIP", ma * 1000);
    } else if (scaling.kvVoltage) {
        const auto kv = protocol::parseNumber(entry.substr(0, comma));
        const auto ma = protocol::parseNumber(entry.substr(comma + 1));
        require(!kv || !ma || !std::isfinite(*kv * 100) || !std::isfinite(*ma * 1000),
                "two numbers make the scaling commands");
    }

    const auto amps = protocol::parseNumber(entry);
    const core::Preheat preheat = core::preheatCommand(entry);
    if (preheat.command) {
        require(amps.has_value() && !preheat.outOfRange, "a preheat is a number from 0 to 2 A");
        requireNumberCommand(*preheat.command, "FILP", std::floor(*amps * 4095 / 2));
    } else {
        require(!amps || preheat.outOfRange || !std::isfinite(std::floor(*amps * 4095 / 2)),
                "a number from 0 to 2 A makes a preheat");
    }

    const core::TurnOn turnOn = core::turnOnCommand(entry, kvScaleFactor, "80.00");
    require(!turnOn.scalingUnknown, "a full-scale voltage is known");
    if (turnOn.command) {
        const double fullScale = kvScaleFactor > 0.0 ? kvScaleFactor * 4095 : 80.0;
        const double wanted = *amps * 4095 / fullScale;
        const auto parsed = heard(*turnOn.command);
        const auto count = protocol::parseNumber(parsed.arg(0));
        require(parsed.name == "FTON" && count && std::fabs(*count - wanted) <= 0.5 &&
                    *count == std::floor(*count) && *count >= 0 && *count <= 4095,
                "the turn-on is the nearest count the converter takes");
    } else if (amps) {
        const double wanted = *amps * 4095 / (kvScaleFactor > 0.0 ? kvScaleFactor * 4095 : 80.0);
        require(turnOn.outOfRange && !(wanted >= -0.5 && wanted < 4095.5),
                "a turn-on from 0 to full scale is sent");
    }
}

void checkPortEntry(const QString& entry) {
    const auto device = zov::core::serialDeviceFor(entry);
    const QString text = entry.trimmed();
    if (text.startsWith(QLatin1Char('/'))) {
        require(device == text, "a path is the device");
        return;
    }
    const auto number = protocol::parseNumber(text.toStdString());
    const auto rounded = number ? protocol::roundHalfEvenToInt16(*number) : std::nullopt;
    if (!rounded || *rounded < 1) {
        require(!device, "no port for what is no port number");
        return;
    }
    require(device == QStringLiteral("/dev/ttyS%1").arg(*rounded - 1),
            "port n is the n-th serial device");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zov::fuzz::Input input(data, size);
    const std::uint8_t choice = input.byte();
    const double kvScaleFactor = choice % 2 == 0 ? 0.0 : 80.0 / 4095;
    const std::string_view bytes = input.rest();
    checkTextEntry(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    checkTextEntry(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
    checkConversions(bytes, kvScaleFactor);
    checkPortEntry(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return 0;
}
