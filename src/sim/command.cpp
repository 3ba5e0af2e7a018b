#include "command.h"

#include <cctype>

namespace zov::sim {
namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool isUpper(char c) {
    return std::isupper(static_cast<unsigned char>(c)) != 0;
}

std::optional<Command> parseNumbered(std::string_view text) {
    Command command{Command::Dialect::Numbered, std::string(text.substr(0, 2)), {}};
    std::string_view rest = text.substr(3);
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        command.args.emplace_back(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return command;
}

std::optional<Command> parseMnemonic(std::string_view text) {
    if (text.back() != ';') {
        return std::nullopt;
    }
    const std::string_view body = text.substr(0, text.size() - 1);
    const auto blank = body.find(' ');
    Command command{Command::Dialect::Mnemonic, std::string(body.substr(0, blank)), {}};
    if (command.name.size() < 3 || command.name.size() > 4) {
        return std::nullopt;
    }
    for (const char c : command.name) {
        if (!isUpper(c)) {
            return std::nullopt;
        }
    }
    if (blank != std::string_view::npos && blank + 1 < body.size()) {
        command.args.emplace_back(body.substr(blank + 1));
    }
    return command;
}

}  // namespace

std::optional<Command> parseCommand(std::string_view text) {
    if (text.size() >= 3 && isDigit(text[0]) && isDigit(text[1]) && text[2] == ',') {
        return parseNumbered(text);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    return parseMnemonic(text);
}

}  // namespace zov::sim
