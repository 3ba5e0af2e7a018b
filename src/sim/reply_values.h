// Per-dialect command tables behind replyTo() and isSetCommand().
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/command.h"
#include "sim/supply_model.h"

namespace zov::sim {

// A command either reads something from the unit or sets (or triggers)
// something in it.
enum class CommandKind { Query, Setting };

// The whole reply text to a command the unit knows and accepts; nothing when
// it refuses the command.
[[nodiscard]] std::optional<std::string> mnemonicReply(SupplyModel& model, const Command& command);
[[nodiscard]] std::optional<std::string> numberedReply(SupplyModel& model, const Command& command);

// Nothing for a command the unit does not know.
[[nodiscard]] std::optional<CommandKind> mnemonicKind(std::string_view name);
[[nodiscard]] std::optional<CommandKind> numberedKind(std::string_view name);

// "nn," + value + ",": the shape of every numbered reply.
[[nodiscard]] std::string numberedText(std::string_view number, std::string_view value);

// The flags of the combined status: X-ray, interlock open, supply fault,
// remote, current mode, ROV, AOL, watchdog on.
[[nodiscard]] std::string statusFlags(const SupplyModel& model);

// A whole number written in plain decimals (" 12 " and "12.0" pass, "12.5" not).
[[nodiscard]] std::optional<int> parseWholeNumber(std::string_view text);

// Texts the unit stores and sends back (model, revisions, serial number)
// hold printable characters only, and none of the reply's separators.
[[nodiscard]] bool isStorableText(std::string_view text, std::size_t maxLength);

// The numbered acknowledgement value.
inline constexpr std::string_view kDone = "$";

}  // namespace zov::sim
