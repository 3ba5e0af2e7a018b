#include "command_pattern.h"

namespace zov::sim {

bool CommandPattern::matches(std::string_view command) const {
    const std::string_view pattern(m_text);
    if (!pattern.empty() && pattern.back() == '*') {
        const std::string_view prefix = pattern.substr(0, pattern.size() - 1);
        return command.substr(0, prefix.size()) == prefix;
    }
    return pattern.empty() || command == pattern;
}

}  // namespace zov::sim
