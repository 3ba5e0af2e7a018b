#include "numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace zov::protocol {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A finite double as sign, significant digits (no leading zeros, at most 15)
// and the position of the decimal point relative to the first digit:
// 12.5 -> {false, "125", 2}; 0.045 -> {false, "45", -1}; 0 -> {false, "", 0}.
struct Decimal {
    bool negative = false;
    std::string digits;
    int pointPosition = 0;
};

Decimal toDecimal(double value) {
    Decimal d;
    if (value == 0.0 || !std::isfinite(value)) {
        return d;
    }
    // d.dddddddddddddde[+-]xx, with a "." whatever the process locale says
    char buffer[40] = {};
    std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value),
                  std::chars_format::scientific, 14);
    d.negative = value < 0;
    d.digits += buffer[0];
    const char* p = buffer + 2;
    while (*p != 'e') {
        d.digits += *p++;
    }
    d.pointPosition = std::atoi(p + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    return d;
}

// Digits of the integer part and of `decimals` fraction places, rounded half
// away from zero on the decimal digits (the way the unit's texts read).
struct Rounded {
    bool negative = false;
    std::string integerDigits;   // no leading zeros; empty for zero
    std::string fractionDigits;  // exactly `decimals` digits
};

Rounded roundDecimal(const Decimal& d, int decimals) {
    // All digits up to `decimals` places after the point, as one digit string
    // scaled by 10^decimals.
    const int keep = d.pointPosition + decimals;
    std::string scaled;
    bool roundUp = false;
    if (keep > 0) {
        for (int i = 0; i < keep; ++i) {
            scaled +=
                i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
        }
        roundUp = keep < static_cast<int>(d.digits.size()) &&
                  d.digits[static_cast<std::size_t>(keep)] >= '5';
    } else if (keep == 0) {
        roundUp = !d.digits.empty() && d.digits[0] >= '5';
    }
    if (roundUp) {
        int i = static_cast<int>(scaled.size()) - 1;
        while (i >= 0 && scaled[static_cast<std::size_t>(i)] == '9') {
            scaled[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            scaled.insert(scaled.begin(), '1');
        } else {
            ++scaled[static_cast<std::size_t>(i)];
        }
    }
    if (static_cast<int>(scaled.size()) < decimals) {
        scaled.insert(0, static_cast<std::size_t>(decimals) - scaled.size(), '0');
    }
    Rounded r;
    const auto split = scaled.size() - static_cast<std::size_t>(decimals);
    r.integerDigits = scaled.substr(0, split);
    r.fractionDigits = scaled.substr(split);
    const auto firstNonZero = r.integerDigits.find_first_not_of('0');
    r.integerDigits =
        firstNonZero == std::string::npos ? std::string() : r.integerDigits.substr(firstNonZero);
    const bool isZero =
        r.integerDigits.empty() && r.fractionDigits.find_first_not_of('0') == std::string::npos;
    r.negative = d.negative && !isZero;
    return r;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    const std::string body(text.substr(begin, end - begin));
    std::size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
        ++i;
    }
    bool sawDigit = false;
    bool sawPoint = false;
    for (; i < body.size(); ++i) {
        if (isDigit(body[i])) {
            sawDigit = true;
        } else if (body[i] == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            return std::nullopt;
        }
    }
    if (!sawDigit) {
        return std::nullopt;
    }
    // from_chars reads "." as the point in every locale; it takes no "+".
    const char* first = body.c_str() + (body[0] == '+' ? 1 : 0);
    const char* last = body.c_str() + body.size();
    double value = 0.0;
    const auto [stop, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    // A value a double cannot hold (400 nines, or so small it would read as 0)
    // is no number: from_chars then leaves `value` at 0.
    if (error != std::errc() || stop != last) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int16_t> roundHalfEvenToInt16(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(value);  // default rounding mode: halves to even
    if (rounded < -32768.0 || rounded > 32767.0) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::string formatPattern(double value, std::string_view pattern) {
    const auto point = pattern.find('.');
    const std::string_view integerPart = pattern.substr(0, point);
    const std::string_view fractionPart =
        point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);

    std::size_t minimumIntegerDigits = 0;
    for (const char c : integerPart) {
        minimumIntegerDigits += c == '0' ? 1 : 0;
    }
    int decimals = 0;
    for (const char c : fractionPart) {
        decimals += (c == '0' || c == '#') ? 1 : 0;
    }

    const Rounded r = roundDecimal(toDecimal(value), decimals);
    std::string integerDigits = r.integerDigits;
    if (integerDigits.size() < minimumIntegerDigits) {
        integerDigits.insert(0, minimumIntegerDigits - integerDigits.size(), '0');
    }
    std::string fractionDigits = r.fractionDigits;
    if (!fractionPart.empty() && fractionPart.back() == '#') {
        // Optional trailing places: drop zeros back to the last required "0".
        const auto lastRequired = fractionPart.find_last_of('0');
        const std::size_t required = lastRequired == std::string_view::npos ? 0 : lastRequired + 1;
        while (fractionDigits.size() > required && fractionDigits.back() == '0') {
            fractionDigits.pop_back();
        }
    }

    std::string text;
    if (r.negative) {
        text += '-';
    }
    text += integerDigits;
    if (point != std::string_view::npos && (!fractionDigits.empty() || fractionPart.empty())) {
        text += '.';
    }
    text += fractionDigits;
    return text;
}

std::string plainNumber(double value) {
    const Decimal d = toDecimal(value);
    if (d.digits.empty()) {
        return "0";
    }
    std::string text = d.negative ? "-" : "";
    const int digitCount = static_cast<int>(d.digits.size());
    if (d.pointPosition <= 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-d.pointPosition), '0');
        text += d.digits;
    } else if (d.pointPosition >= digitCount) {
        text += d.digits;
        text.append(static_cast<std::size_t>(d.pointPosition - digitCount), '0');
    } else {
        text += d.digits.substr(0, static_cast<std::size_t>(d.pointPosition));
        text += '.';
        text += d.digits.substr(static_cast<std::size_t>(d.pointPosition));
    }
    return text;
}

}  // namespace zov::protocol
