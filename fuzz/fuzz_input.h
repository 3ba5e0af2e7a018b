// What every target shares: pulling typed values off the front of the
// fuzzer's bytes, and the checks that stop the run on a disagreement.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/numbers.h"

namespace zov::fuzz {

// A disagreement with the reference is as much a fault as a crash: the
// fuzzer keeps the input that shows it.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "disagreement: %s\n", what);
        __builtin_trap();
    }
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (rest_.empty()) {
            return 0;
        }
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

    // Any double, infinities, NaN and subnormals included.
    double number() {
        double value = 0.0;
        const std::size_t n = rest_.size() < sizeof value ? rest_.size() : sizeof value;
        std::memcpy(&value, rest_.data(), n);
        rest_.remove_prefix(n);
        return value;
    }

    // Text up to the next NUL (taken), or all that is left.
    std::string_view text() {
        const auto end = rest_.find('\0');
        const std::string_view taken = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return taken;
    }

    [[nodiscard]] std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

// Decimals a digit-placeholder pattern rounds to.
inline int decimalsOf(std::string_view pattern) {
    const auto point = pattern.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - point - 1);
}

// `shown` is a number written with `pattern`, then `suffix`, and reads back
// as `value` within the pattern's rounding (and the 15 significant digits a
// value is first written with).
inline void requireReadsBack(std::string_view shown, std::string_view suffix, double value,
                             std::string_view pattern) {
    require(shown.size() >= suffix.size() && shown.substr(shown.size() - suffix.size()) == suffix,
            "display ends with its unit");
    const std::string_view number = shown.substr(0, shown.size() - suffix.size());
    require(number.find_first_not_of("-0123456789.") == std::string_view::npos,
            "display holds only a decimal");
    const auto back = protocol::parseNumber(number);
    require(back.has_value(), "display reads back as a number");
    const double tolerance =
        0.5 * std::pow(10.0, -decimalsOf(pattern)) * (1 + 1e-9) + std::fabs(value) * 2e-14;
    require(std::fabs(*back - value) <= tolerance, "display reads back within its rounding");
}

}  // namespace zov::fuzz
