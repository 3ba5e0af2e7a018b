#include "replies.h"

#include <cmath>

#include "protocol/protocol.h"
#include "sim/reply_values.h"

namespace zov::sim {
namespace {

constexpr std::string_view kRefused = "1";

std::string refusal(const std::optional<Command>& command) {
    if (command && command->dialect == Command::Dialect::Numbered) {
        return numberedText(command->name, kRefused);
    }
    return std::string(kRefused) + ';';
}

}  // namespace

std::string replyTo(SupplyModel& model, std::string_view text) {
    const std::optional<Command> command = parseCommand(text);
    if (!command) {
        return refusal(command);
    }
    const auto reply = command->dialect == Command::Dialect::Numbered
                           ? numberedReply(model, *command)
                           : mnemonicReply(model, *command);
    return reply ? *reply : refusal(command);
}

std::string refusalTo(std::string_view text) {
    return refusal(parseCommand(text));
}

bool isSetCommand(std::string_view text) {
    const std::optional<Command> command = parseCommand(text);
    if (!command) {
        return false;
    }
    const auto kind = command->dialect == Command::Dialect::Numbered ? numberedKind(command->name)
                                                                     : mnemonicKind(command->name);
    return kind == CommandKind::Setting;
}

std::string combinedStatus(const SupplyModel& model) {
    return numberedText("22", statusFlags(model));
}

std::string numberedText(std::string_view number, std::string_view value) {
    return std::string(number) + ',' + std::string(value) + ',';
}

std::string statusFlags(const SupplyModel& model) {
    const UserOptions& options = model.options();
    std::string flags;
    for (const bool set :
         {model.outputOn(), model.interlockOpen(), model.anyFault(), model.remote(),
          model.currentMode(), options.rov != 0, options.aol != 0, model.watchdogEnabled()}) {
        if (!flags.empty()) {
            flags += ',';
        }
        flags += set ? '1' : '0';
    }
    return flags;
}

std::optional<int> parseWholeNumber(std::string_view text) {
    const auto number = protocol::parseNumber(text);
    if (!number || std::floor(*number) != *number) {
        return std::nullopt;
    }
    const auto whole = protocol::roundHalfEvenToInt16(*number);
    if (!whole) {
        return std::nullopt;
    }
    return *whole;
}

bool isStorableText(std::string_view text, std::size_t maxLength) {
    if (text.empty() || text.size() > maxLength) {
        return false;
    }
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code > 0x7e || c == ',' || c == ';') {
            return false;
        }
    }
    return true;
}

}  // namespace zov::sim
