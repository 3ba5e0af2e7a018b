#include "frame.h"

#include <cstdint>

namespace zov::protocol {

char checksum(std::string_view command) {
    std::uint16_t sum = 0;
    for (const char c : command) {
        sum = static_cast<std::uint16_t>(sum + static_cast<unsigned char>(c));
    }
    const auto negated = static_cast<std::uint16_t>(256u - sum);
    return static_cast<char>((negated & 0x3Fu) | 0x40u);
}

std::string serialFrame(std::string_view command) {
    std::string frame;
    frame.reserve(command.size() + 4);
    frame += kStx;
    frame += command;
    frame += checksum(command);
    frame += kCr;
    frame += kLf;
    return frame;
}

std::string tcpFrame(std::string_view command) {
    std::string frame;
    frame.reserve(command.size() + 2);
    frame += kStx;
    frame += command;
    frame += kEtx;
    return frame;
}

}  // namespace zov::protocol
