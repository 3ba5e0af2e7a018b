// Faults a test or a user can inject on the link side of the simulated
// supply, and how they turn one framed reply into timed pieces of bytes.
#pragma once

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zov::sim {

struct FaultPlan {
    int dropEvery = 0;          // every Nth reply is lost (0: none)
    double dropFraction = 0.0;  // this share of replies is lost, drawn from `seed`
    unsigned seed = 1;
    std::chrono::milliseconds delay{0};     // before a reply starts
    int splitPieces = 1;                    // a reply goes out in this many pieces...
    std::chrono::milliseconds splitGap{0};  // ...this far apart
    std::string leadingGarbage;             // sent before the reply's STX
    std::string trailingBytes;              // sent after its terminator
    bool refuseAll = false;                 // every command answered with a refusal
    int tcpDropEvery = 0;  // every Nth command on TCP closes its connection instead (0: never)
    int serialBaud = 0;    // serial side paced at this rate (0: as fast as the pty goes)
};

// Time a serial link at `baud` needs for `bytes` bytes, at ten bit times a
// byte (start, eight data bits, stop).
[[nodiscard]] std::chrono::nanoseconds wireTime(int baud, std::size_t bytes);

// Bytes to write once `delay` has passed since the previous piece went out.
struct Piece {
    std::chrono::nanoseconds delay{0};
    std::string bytes;
};

// Applies the plan to successive replies; the plan may change between them.
class ReplyShaper {
public:
    explicit ReplyShaper(const FaultPlan& plan) : m_plan(plan) {}

    // Nothing when this reply is to be lost.
    [[nodiscard]] std::optional<std::vector<Piece>> shape(const std::string& frame);

private:
    [[nodiscard]] bool lose();

    const FaultPlan& m_plan;
    long long m_replies = 0;
    std::mt19937 m_random;
    std::optional<unsigned> m_seededWith;
};

}  // namespace zov::sim
