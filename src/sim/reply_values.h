// Per-dialect command handlers behind replyTo(). Each yields the reply's
// value (empty for a plain acknowledgement in the mnemonic dialect, "$" in the
// numbered one) or nothing when the unit refuses the command.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/command.h"
#include "sim/supply_model.h"

namespace zov::sim {

[[nodiscard]] std::optional<std::string> mnemonicValue(SupplyModel& model, const Command& command);
[[nodiscard]] std::optional<std::string> numberedValue(SupplyModel& model, const Command& command);

// The flags of the combined status: X-ray, interlock open, supply fault,
// remote, current mode, ROV, AOL, watchdog on.
[[nodiscard]] std::string statusFlags(const SupplyModel& model);

// A whole number written in plain decimals (" 12 " and "12.0" pass, "12.5" not).
[[nodiscard]] std::optional<int> parseWholeNumber(std::string_view text);

// The numbered acknowledgement value.
inline constexpr std::string_view kDone = "$";

}  // namespace zov::sim
