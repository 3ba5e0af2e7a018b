// Bytes from the unit as a person can read them in a message or a line of
// output: framing and other bytes outside printable ASCII spelt out
// ("<STX>2730;<CR><LF>", "<9F>"), at most `limit` bytes of them.
#pragma once

#include <QByteArray>
#include <QString>

namespace zov::core {

[[nodiscard]] QString legibleBytes(const QByteArray& bytes, int limit = 256);

}  // namespace zov::core
