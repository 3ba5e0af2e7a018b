// Number conversions shared by the console and the simulated supply: the
// unit's texts are plain decimals, counts are 16-bit, displays use
// digit-placeholder patterns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zov::protocol {

// A decimal with optional sign and point, blanks allowed around it
// (" -12.5 ", "+3", ".5", "7."). Anything else, an exponent included, is not
// a number; nor is a value outside what a double holds.
[[nodiscard]] std::optional<double> parseNumber(std::string_view text);

// Nearest 16-bit integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Nothing when the result does not fit or the value is not finite.
[[nodiscard]] std::optional<std::int16_t> roundHalfEvenToInt16(double value);

// Render with a digit-placeholder pattern such as "#0.000", "0.##0", "##.#0":
// "0" always prints a digit, "#" before the point only when significant; the
// value is rounded (halves away from zero) to as many decimals as there are
// placeholders after the point. Trailing "#" decimals drop trailing zeros.
// A value that rounds to zero shows no minus sign.
[[nodiscard]] std::string formatPattern(double value, std::string_view pattern);

// Shortest plain decimal with at most 15 significant digits and never an
// exponent: 2048 * 2 / 4095 -> "1.0002442002442", 88.885 * 100 -> "8888.5".
[[nodiscard]] std::string plainNumber(double value);

}  // namespace zov::protocol
