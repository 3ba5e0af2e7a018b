// The service commands' own rules, for the Supply's service operations and
// the windows that offer them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zov::core {

// "40," + revision + "," for an answer of exactly three characters.
[[nodiscard]] std::optional<std::string> hardwareRevisionCommand(std::string_view answer);
// Whether the unit took the new revision ("$" at character 5 of its "40," reply).
[[nodiscard]] bool revisionTaken(std::string_view reply);
// The command that switches the unit's watchdog away from `enabled`.
[[nodiscard]] const char* watchdogToggleCommand(bool enabled);

}  // namespace zov::core
