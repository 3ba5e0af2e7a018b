#include "framing.h"

#include "protocol/protocol.h"

namespace zov::sim {
namespace {

// Longer than any command; a frame that grows past it lost its terminator.
constexpr std::size_t kMaxFrame = 512;

}  // namespace

std::string frameReply(Link link, std::string_view reply) {
    return link == Link::Serial ? protocol::serialFrame(reply) : protocol::tcpFrame(reply);
}

std::size_t frameOverhead(Link link) {
    return link == Link::Serial ? 4 : 2;
}

std::vector<std::string> FrameReader::feed(std::string_view bytes) {
    const char terminator = m_link == Link::Serial ? protocol::kLf : protocol::kEtx;
    std::vector<std::string> commands;
    for (const char c : bytes) {
        if (c == protocol::kStx) {
            m_frame.clear();
            m_inFrame = true;
        } else if (!m_inFrame) {
            continue;
        } else if (c == terminator) {
            complete(commands);
            m_inFrame = false;
        } else if (m_frame.size() < kMaxFrame) {
            m_frame += c;
        } else {
            m_inFrame = false;
        }
    }
    return commands;
}

// A serial frame holds the command, its checksum character and CR.
void FrameReader::complete(std::vector<std::string>& commands) const {
    if (m_link == Link::Tcp) {
        commands.push_back(m_frame);
        return;
    }
    if (m_frame.size() < 2 || m_frame.back() != protocol::kCr) {
        return;
    }
    const std::string_view command(m_frame.data(), m_frame.size() - 2);
    if (protocol::checksum(command) == m_frame[m_frame.size() - 2]) {
        commands.emplace_back(command);
    }
}

}  // namespace zov::sim
