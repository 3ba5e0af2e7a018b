#include "app/widgets/legible_text.h"

#include <array>

namespace zov::app {
namespace {

constexpr std::array<const char*, 32> kControlNames{
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
constexpr char16_t kDelete = 0x7F;

}  // namespace

QString legibleText(const QString& text, int limit) {
    QString shown;
    for (const QChar c : QStringView(text).left(limit)) {
        const char16_t code = c.unicode();
        if (code < kControlNames.size()) {
            shown += QLatin1Char('<') + QLatin1String(kControlNames[code]) + QLatin1Char('>');
        } else if (code == kDelete) {
            shown += QLatin1String("<DEL>");
        } else if (code > kDelete) {
            shown += QStringLiteral("<%1>").arg(unsigned(code), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            shown += c;
        }
    }
    if (text.size() > limit) {
        shown += QLatin1String("...");
    }
    return shown;
}

}  // namespace zov::app
