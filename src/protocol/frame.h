// Framing of supply commands for the two links, and the serial checksum.
#pragma once

#include <string>
#include <string_view>

namespace zov::protocol {

inline constexpr char kStx = '\x02';
inline constexpr char kEtx = '\x03';
inline constexpr char kCr = '\r';
inline constexpr char kLf = '\n';

// Low six bits of the negated character sum, lifted into 0x40..0x7F so the
// checksum is always printable and never collides with a framing byte.
[[nodiscard]] char checksum(std::string_view command);

// STX + command + checksum + CR + LF.
[[nodiscard]] std::string serialFrame(std::string_view command);

// STX + command + ETX (the TCP link carries no checksum).
[[nodiscard]] std::string tcpFrame(std::string_view command);

}  // namespace zov::protocol
