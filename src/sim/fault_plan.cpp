#include "fault_plan.h"

#include <algorithm>

namespace zov::sim {

std::chrono::nanoseconds wireTime(int baud, std::size_t bytes) {
    constexpr long long kBitsPerByte = 10;
    if (baud <= 0) {
        return std::chrono::nanoseconds(0);
    }
    return std::chrono::nanoseconds(static_cast<long long>(bytes) * kBitsPerByte * 1'000'000'000LL /
                                    baud);
}

bool ReplyShaper::lose() {
    ++m_replies;
    if (m_plan.dropEvery > 0 && m_replies % m_plan.dropEvery == 0) {
        return true;
    }
    if (m_plan.dropFraction <= 0.0) {
        return false;
    }
    if (m_seededWith != m_plan.seed) {
        m_random.seed(m_plan.seed);
        m_seededWith = m_plan.seed;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < m_plan.dropFraction;
}

std::optional<std::vector<Piece>> ReplyShaper::shape(const std::string& frame) {
    if (lose()) {
        return std::nullopt;
    }
    const std::size_t count =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(1, m_plan.splitPieces)), 1,
                                std::max<std::size_t>(1, frame.size()));
    std::vector<Piece> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t end = frame.size() * (i + 1) / count;
        pieces.push_back(
            {i == 0 ? m_plan.delay : m_plan.splitGap, frame.substr(start, end - start)});
        start = end;
    }
    pieces.front().bytes.insert(0, m_plan.leadingGarbage);
    pieces.back().bytes += m_plan.trailingBytes;
    return pieces;
}

}  // namespace zov::sim
