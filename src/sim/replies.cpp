#include "replies.h"

#include "sim/reply_values.h"

#include <cmath>

#include "protocol/protocol.h"

namespace zov::sim {
namespace {

std::string mnemonicReply(std::string_view value) {
    return std::string(value) + ';';
}

std::string numberedReply(std::string_view number, std::string_view value) {
    return std::string(number) + ',' + std::string(value) + ',';
}

std::string refusal(const std::optional<Command>& command) {
    if (command && command->dialect == Command::Dialect::Numbered) {
        return numberedReply(command->name, "1");
    }
    return mnemonicReply("1");
}

}  // namespace

std::string replyTo(SupplyModel& model, std::string_view text) {
    const std::optional<Command> command = parseCommand(text);
    if (!command) {
        return refusal(command);
    }
    if (command->dialect == Command::Dialect::Numbered) {
        const auto value = numberedValue(model, *command);
        return value ? numberedReply(command->name, *value) : refusal(command);
    }
    const auto value = mnemonicValue(model, *command);
    return value ? mnemonicReply(*value) : refusal(command);
}

std::string refusalTo(std::string_view text) {
    return refusal(parseCommand(text));
}

std::string combinedStatus(const SupplyModel& model) {
    return numberedReply("22", statusFlags(model));
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

}  // namespace zov::sim
