#include "shape.h"

#include <algorithm>

namespace zov::sim {
namespace {

// Where the pieces begin, the first at 0.
std::vector<std::size_t> pieceStarts(std::size_t size, const Shape& shape) {
    std::vector<std::size_t> starts{0};
    if (!shape.splitAt.empty()) {
        for (const std::size_t offset : shape.splitAt) {
            if (offset > 0 && offset < size) {
                starts.push_back(offset);
            }
        }
        std::sort(starts.begin(), starts.end());
        starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
        return starts;
    }
    const std::size_t count =
        std::clamp<std::size_t>(shape.equalPieces, 1, std::max<std::size_t>(1, size));
    for (std::size_t i = 1; i < count; ++i) {
        starts.push_back(size * i / count);
    }
    return starts;
}

}  // namespace

std::vector<Piece> cut(const std::string& frame, const Shape& shape) {
    if (frame.empty() && shape.leadingGarbage.empty() && shape.trailingBytes.empty()) {
        return {};
    }
    const std::vector<std::size_t> starts = pieceStarts(frame.size(), shape);
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : frame.size();
        pieces.push_back(
            {i == 0 ? shape.delay : shape.splitGap, frame.substr(starts[i], end - starts[i])});
    }
    pieces.front().bytes.insert(0, shape.leadingGarbage);
    pieces.back().bytes += shape.trailingBytes;
    return pieces;
}

std::chrono::nanoseconds wireTime(int baud, std::size_t bytes) {
    constexpr long long kBitsPerByte = 10;
    if (baud <= 0) {
        return std::chrono::nanoseconds(0);
    }
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * kBitsPerByte * 1'000'000'000LL /
                                    baud);
}

}  // namespace zov::sim
