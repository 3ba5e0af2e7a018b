// The number texts of the supply and of the input boxes: what parseNumber
// takes must be what strtod reads, what it refuses must be no plain decimal
// or none a double holds; the patterns and plain texts read back as the value
// they were made of; the 16-bit rounding is the nearest, halves to even.
#include <cerrno>
#include <cstdlib>

#include "fuzz_input.h"
#include "protocol/numbers.h"

namespace {

using zov::fuzz::require;

constexpr const char* kPatterns[] = {"#0.000", "0.000", "0.##0", "##.#0", "##.0", "#0.00", "#0"};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The grammar: blanks, an optional sign, digits with at most one point (at
// least one digit), blanks.
bool isPlainDecimal(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        text.remove_prefix(1);
    }
    bool digit = false;
    bool point = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

void checkParse(std::string_view text) {
    const auto parsed = zov::protocol::parseNumber(text);
    if (!isPlainDecimal(text)) {
        require(!parsed, "only a plain decimal is a number");
        return;
    }
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const double reference = std::strtod(copy.c_str(), &end);
    const bool outOfRange = errno == ERANGE;
    require(end == copy.c_str() + copy.size() || isBlank(*end), "strtod reads the whole decimal");
    if (parsed) {
        require(std::isfinite(*parsed), "a number is finite");
        require(*parsed == reference, "a number agrees with strtod");
    } else {
        // Refused only where strtod itself says the value is out of range.
        require(outOfRange, "a decimal in range is a number");
    }
    if (!std::isfinite(reference)) {
        require(!parsed, "a value beyond a double is no number");
    }
}

void checkRounding(double value) {
    const auto rounded = zov::protocol::roundHalfEvenToInt16(value);
    if (!std::isfinite(value) || value < -32768.5 || value > 32767.5) {
        require(!rounded, "a value outside 16 bits has no count");
        return;
    }
    if (!rounded) {
        // Only the halves at the very ends round away from 16 bits.
        require(value == -32768.5 || value == 32767.5, "a value inside 16 bits has a count");
        return;
    }
    const double distance = std::fabs(*rounded - value);
    require(distance <= 0.5, "the count is the nearest");
    if (distance == 0.5) {
        require(*rounded % 2 == 0, "a half goes to the even count");
    }
}

void checkWriting(double value) {
    // Written with 15 digits, the largest doubles round past what a double holds.
    if (!(std::fabs(value) < 1e300)) {
        return;
    }
    for (const char* pattern : kPatterns) {
        zov::fuzz::requireReadsBack(zov::protocol::formatPattern(value, pattern), "", value,
                                    pattern);
    }
    const std::string plain = zov::protocol::plainNumber(value);
    const auto back = zov::protocol::parseNumber(plain);
    require(back.has_value(), "a plain number reads back");
    require(std::fabs(*back - value) <= std::fabs(value) * 1e-14, "a plain number keeps 15 digits");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkParse(text);
    if (const auto parsed = zov::protocol::parseNumber(text)) {
        checkRounding(*parsed);
        checkWriting(*parsed);
    }
    zov::fuzz::Input input(data, size);
    const double raw = input.number();
    checkRounding(raw);
    checkWriting(raw);
    return 0;
}
