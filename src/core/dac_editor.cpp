#include "dac_editor.h"

#include <algorithm>
#include <cmath>

#include "core/scaling.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace zov::core {

const EditorChannel& editorChannel(Channel channel) {
    return kEditorChannels[static_cast<std::size_t>(channel)];
}

std::string programCommand(const EditorChannel& row, std::int16_t count) {
    return row.programPrefix + std::to_string(count) + row.programSuffix;
}

std::string revertCommand(const EditorChannel& row, std::int16_t count) {
    return row.revertPrefix + std::to_string(count);
}

ProgramAnswer programAnswerFrom(const EditorChannel& row, std::string_view command,
                                std::string_view reply) {
    if (!protocol::echoesCommand(reply, command)) {
        return ProgramAnswer::Failed;
    }
    const auto answer = protocol::charAt(reply, row.acknowledgePosition);
    if (answer == row.acknowledgement) {
        return ProgramAnswer::Acknowledged;
    }
    return answer == '1' ? ProgramAnswer::Refused : ProgramAnswer::Failed;
}

std::string programmedDetail(std::string_view command, ProgramAnswer answer) {
    switch (answer) {
        case ProgramAnswer::Acknowledged:
            return std::string(command) + " acknowledged";
        case ProgramAnswer::Refused:
            return std::string(command) + " refused";
        case ProgramAnswer::Failed:
            break;
    }
    return std::string(command) + " no answer";
}

std::string confirmationOf(const EditorChannel& row, std::int16_t count,
                           std::optional<double> scale) {
    if (!scale) {
        return kNoScaleText;
    }
    return protocol::formatPattern(count * *scale, row.confirmationPattern) +
           row.confirmationSuffix;
}

std::optional<std::int16_t> countFor(double scaled, double scale) {
    if (!(scale > 0.0)) {
        return std::nullopt;
    }
    const double count = std::clamp(scaled / scale, 0.0, double(kMaxCount));
    return protocol::roundHalfEvenToInt16(count);
}

}  // namespace zov::core
