#include "reply.h"

namespace zov::protocol {

std::optional<char> charAt(std::string_view reply, int position) {
    if (position < 1 || static_cast<std::size_t>(position) > reply.size()) {
        return std::nullopt;
    }
    return reply[static_cast<std::size_t>(position) - 1];
}

std::optional<std::string> cutUntil(std::string_view reply, int start, char delimiter,
                                    int searchFrom) {
    if (start < 1 || searchFrom < 1) {
        return std::nullopt;
    }
    const auto from = static_cast<std::size_t>(searchFrom) - 1;
    if (from >= reply.size()) {
        return std::nullopt;
    }
    const auto found = reply.find(delimiter, from);
    if (found == std::string_view::npos) {
        return std::nullopt;
    }
    const auto begin = static_cast<std::size_t>(start) - 1;
    if (begin >= found) {
        return std::string();
    }
    return std::string(reply.substr(begin, found - begin));
}

bool echoesCommand(std::string_view reply, std::string_view command) {
    constexpr std::size_t kEchoLength = 3;  // two digits and the comma
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const bool numbered = command.size() >= kEchoLength && isDigit(command[0]) &&
                          isDigit(command[1]) && command[2] == ',';
    if (!numbered) {
        return true;
    }
    return reply.size() > kEchoLength &&
           reply.substr(1, kEchoLength) == command.substr(0, kEchoLength);
}

std::string cutFixed(std::string_view reply, int start, int length) {
    if (start < 1 || length <= 0) {
        return {};
    }
    const auto begin = static_cast<std::size_t>(start) - 1;
    if (begin >= reply.size()) {
        return {};
    }
    return std::string(reply.substr(begin, static_cast<std::size_t>(length)));
}

}  // namespace zov::protocol
