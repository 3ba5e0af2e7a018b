#include "legible_bytes.h"

namespace zov::core {

QString legibleBytes(const QByteArray& bytes, int limit) {
    QString text;
    for (const char byte : bytes.left(limit)) {
        const auto c = static_cast<unsigned char>(byte);
        switch (c) {
            case 0x02:
                text += QStringLiteral("<STX>");
                break;
            case 0x03:
                text += QStringLiteral("<ETX>");
                break;
            case '\r':
                text += QStringLiteral("<CR>");
                break;
            case '\n':
                text += QStringLiteral("<LF>");
                break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    text += QLatin1Char(byte);
                } else {
                    text += QStringLiteral("<%1>").arg(c, 2, 16, QLatin1Char('0')).toUpper();
                }
        }
    }
    if (bytes.size() > limit) {
        text += QStringLiteral("...");
    }
    return text;
}

}  // namespace zov::core
