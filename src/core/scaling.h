// The supply's full-scale voltage and current, read from the unit and turned
// into the kV and mA per converter count that every scaled value uses.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/main_state.h"

namespace zov::core {

class CommandExchange;

// The unit reports full scale in hundredths of a kV and thousandths of a mA.
inline constexpr double kVoltageScaleUnitsPerKv = 100.0;
inline constexpr double kCurrentScaleUnitsPerMa = 1000.0;
inline constexpr double kFullScaleCounts = 4095.0;

// The full scale in a "SLVR ;" or "SLIR ;" reply, whose value runs from
// character 2 to the first ";" at or after character 5. Nothing when there is
// no such ";" or the value is not a number.
[[nodiscard]] std::optional<double> fullScaleFrom(std::string_view reply);

// Units per count for a full scale; nothing when the full scale is no usable
// one (zero, negative, or so large that the factor is not finite).
[[nodiscard]] std::optional<double> scaleFactorFor(double fullScale,
                                                   double unitsPerEngineeringUnit);

// What a reading that needs the unit's scale shows while the unit has not
// given it on this link: no number converted with a factor it never gave.
inline constexpr const char* kNoScaleText = "no scale";

// `factor` (KvScaleFactor or mAScaleFactor) as the unit gave it on the link
// in use; nothing before it has.
[[nodiscard]] std::optional<double> unitScale(const MainState& state, double MainState::*factor);

// The converter count for `value` (kV or mA) at `scale` units per count:
// nearest, halves to even. Nothing when the value is negative, not a number
// or above the unit's full scale (half a count of slack at the top).
[[nodiscard]] std::optional<std::int16_t> countWithinFullScale(double value, double scale);

// A link was chosen, lost or closed: the unit behind it may be another, so
// no factor counts as read any more.
void forgetUnitScales(MainState& state);

// Inside a running exchange bracket: the scaling read, voltage scale then
// current scale. A reply that cannot be cut or converted ends the read; an
// unusable full scale keeps its factor and the read goes on; a silent unit
// only skips its own step. True when the unit gave both factors in this pass.
bool readScaling(CommandExchange& exchange, MainState& state);

// Inside a running exchange bracket, before a reading that `factor` converts:
// reads it ("SLVR ;" or "SLIR ;") when the unit has not given it on this
// link yet. Nothing is sent for a fixed scale (null) or a factor already read.
void readScaleIfMissing(CommandExchange& exchange, MainState& state, double MainState::*factor);

}  // namespace zov::core
