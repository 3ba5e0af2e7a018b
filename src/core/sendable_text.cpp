#include "sendable_text.h"

namespace zov::core {
namespace {

constexpr char16_t kLastAscii = 0x7E;
constexpr char16_t kLastLatin1Control = 0x9F;
constexpr char16_t kLastLatin1 = 0xFF;

bool isControl(char16_t c) {
    return c < u' ' || (c > kLastAscii && c <= kLastLatin1Control);
}

QString controlCharacter(char16_t c) {
    return QStringLiteral("a control character (code %1)").arg(unsigned(c));
}

}  // namespace

std::optional<QString> unsendablePart(const QString& text) {
    for (const QChar character : text) {
        const char16_t c = character.unicode();
        if (c == u';' || c == u',') {
            return QStringLiteral("\"%1\"").arg(character);
        }
        if (isControl(c)) {
            return controlCharacter(c);
        }
        if (c > kLastLatin1) {
            return QStringLiteral("\"%1\", which the unit's 8-bit text cannot carry")
                .arg(character);
        }
    }
    return std::nullopt;
}

std::optional<QString> unsendableCommand(const QString& command) {
    if (command.isEmpty()) {
        return QStringLiteral("no command");
    }
    if (command.size() > kTypedCommandLimit) {
        return QStringLiteral("more than %1 characters").arg(kTypedCommandLimit);
    }
    for (const QChar character : command) {
        const char16_t c = character.unicode();
        if (c == u'\r' || c == u'\n') {
            return QStringLiteral("a line break");
        }
        if (isControl(c)) {
            return controlCharacter(c);
        }
        if (c > kLastAscii) {
            return QStringLiteral("a character outside printable ASCII (code %1)").arg(unsigned(c));
        }
    }
    if (const qsizetype semicolon = command.indexOf(u';');
        semicolon >= 0 && semicolon < command.size() - 1) {
        return QStringLiteral("a \";\" before its end, where a second command would start");
    }
    return std::nullopt;
}

}  // namespace zov::core
