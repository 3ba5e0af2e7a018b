// The supply's full-scale voltage and current, read from the unit and turned
// into the kV and mA per converter count that every scaled display uses.
#pragma once

#include <optional>
#include <string_view>

namespace zov::app {
class MainWindow;
}

namespace zov::supply {

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

// The scaling read (getScaling): voltage scale, then current scale. A reply
// that cannot be cut or converted ends the read; an unusable full scale keeps
// its factor and the read goes on; a silent unit only skips its own step.
void getScaling(app::MainWindow& window);

}  // namespace zov::supply
