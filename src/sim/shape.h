// How the bytes of one reply or status message go out on a link: late, in
// pieces, with stray bytes around them.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace zov::sim {

struct Shape {
    std::chrono::milliseconds delay{0};  // before the first byte
    // Cut before these byte offsets of the frame (0 is its STX) ...
    std::vector<std::size_t> splitAt;
    // ... or, without offsets, into this many pieces of about equal length.
    std::size_t equalPieces = 1;
    std::chrono::milliseconds splitGap{0};  // between pieces
    std::string leadingGarbage;             // before the frame, in its first piece
    std::string trailingBytes;              // after the frame, in its last piece
};

// Bytes to write once `delay` has passed since the previous piece went out.
struct Piece {
    std::chrono::nanoseconds delay{0};
    std::string bytes;
};

// Nothing for nothing to send; offsets outside the frame are ignored.
[[nodiscard]] std::vector<Piece> cut(const std::string& frame, const Shape& shape);

// Time a serial link at `baud` needs for `bytes` bytes, at ten bit times a
// byte (start, eight data bits, stop); 0 for an unpaced link (baud 0).
[[nodiscard]] std::chrono::nanoseconds wireTime(int baud, std::size_t bytes);

}  // namespace zov::sim
