// The phrases control lines share: what a reply or status message holds and
// how it goes out, and the settings of the link faults.
#pragma once

#include <optional>

#include "sim/control_words.h"
#include "sim/fault_plan.h"
#include "sim/scripted_reply.h"

namespace zov::sim {

// Enough for any count worth staging.
inline constexpr long long kMaxCount = 1'000'000;

// Stores a value that was taken; leaves `field` alone when it was not.
template <typename Field, typename Value>
void assign(Field& field, const std::optional<Value>& value) {
    if (value) {
        field = static_cast<Field>(*value);
    }
}

// [<content>] [<shape>], in any order; the unit's own reply without content.
[[nodiscard]] std::optional<ScriptedReply> takeMessage(Words& words);
// One shape word and its value; false when the next word is none.
[[nodiscard]] bool takeShapeWord(Words& words, Shape& shape);
// One fault-plan setting and its value; false when the next word is none.
[[nodiscard]] bool takeLinkWord(Words& words, FaultPlan& plan);

}  // namespace zov::sim
