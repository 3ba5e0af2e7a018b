// The supply's answer to each command, as the text between the reply's STX
// and its terminator.
//
// Mnemonic commands answer a value and ";" ("2048;"), ";" alone to
// acknowledge, or "1;" to refuse; "CONF;" answers its fields, each ended by
// ",". Numbered commands echo their number and comma, then a value and "," or
// "$," to acknowledge ("16,819,", "12,$,"), or "1," to refuse ("12,1,").
// Unknown commands are refused.
#pragma once

#include <string>
#include <string_view>

#include "sim/supply_model.h"

namespace zov::sim {

[[nodiscard]] std::string replyTo(SupplyModel& model, std::string_view command);

// The answer of a unit that refuses the command without acting on it.
[[nodiscard]] std::string refusalTo(std::string_view command);

// Whether the command sets or triggers something in the unit (a setpoint, the
// output, a fault reset, stored data, the watchdog ...) rather than reading.
[[nodiscard]] bool isSetCommand(std::string_view command);

// The "22," reply; on TCP the unit also sends it unasked when the X-ray,
// interlock or fault state changes.
[[nodiscard]] std::string combinedStatus(const SupplyModel& model);

}  // namespace zov::sim
