// Frames on the two links as the supply sees them: commands coming in,
// replies going out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zov::sim {

enum class Link { Serial, Tcp };

// STX + reply + checksum + CR LF on the serial link, STX + reply + ETX on TCP.
[[nodiscard]] std::string frameReply(Link link, std::string_view reply);

// Bytes on the wire in a command frame besides the command text itself.
[[nodiscard]] std::size_t frameOverhead(Link link);

// Collects command frames from a byte stream. Anything outside a frame is
// ignored, a new STX starts the frame afresh, and a serial frame with a
// wrong checksum is dropped without trace, as the unit does.
class FrameReader {
public:
    explicit FrameReader(Link link) : m_link(link) {}

    // The command texts these bytes complete, in order.
    [[nodiscard]] std::vector<std::string> feed(std::string_view bytes);

private:
    void complete(std::vector<std::string>& commands) const;

    Link m_link;
    std::string m_frame;
    bool m_inFrame = false;
};

}  // namespace zov::sim
