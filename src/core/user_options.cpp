#include "user_options.h"

#include <algorithm>
#include <cmath>

#include "core/reply_fields.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace zov::core {
namespace {

constexpr int kFirstField = 5;
constexpr int kVerdictPosition = 5;
// Values are decimals of a few digits: what lies closer to a whole number
// of increments than this is on the grid.
constexpr double kGridTolerance = 1e-9;

constexpr char kArcRateWarning[] =
    "An invalid arc rate(Time period/Arc Count) of more than 1 arc per second has been\r\n"
    "entered, these values along with the other variables in the command string have\r\n"
    "been disregard by the HVPS.";
constexpr char kNoArcDetectWarning[] =
    "The No Arc Detect mode(NAD) has been enabled.  In this mode the HVPS has no Arc shutdown "
    "protection.\r\n"
    "The HVPS is designed to handle an arc rate of 1 arc per second.  Exceeding 1 arc per "
    "second\r\n"
    "could cause damage to the HVPS.  HVPS failure caused by excessive arcing will not be "
    "covered under\r\n"
    "the warranty.";

}  // namespace

OptionTexts startTexts() {
    OptionTexts texts;
    texts.fill("0");
    return texts;
}

std::vector<std::string> optionFieldsFrom(std::string_view reply) {
    if (!protocol::echoesCommand(reply, kReadOptions)) {
        return {};
    }
    return commaFields(reply, kFirstField, kOptionCount);
}

std::string saveCommand(const OptionTexts& texts) {
    std::string command = "09,";
    for (const std::string& text : texts) {
        command += text;
        command += ',';
    }
    return command;
}

SaveVerdict verdictFrom(std::string_view reply) {
    if (!protocol::echoesCommand(reply, "09,")) {
        return SaveVerdict::None;
    }
    switch (protocol::charAt(reply, kVerdictPosition).value_or(' ')) {
        case '1':
            return SaveVerdict::ArcRateRejected;
        case '2':
            return SaveVerdict::NoArcDetectOn;
        default:
            return SaveVerdict::None;
    }
}

const char* warningFor(SaveVerdict verdict) {
    switch (verdict) {
        case SaveVerdict::ArcRateRejected:
            return kArcRateWarning;
        case SaveVerdict::NoArcDetectOn:
            return kNoArcDetectWarning;
        case SaveVerdict::None:
            break;
    }
    return "";
}

const NumericOption* numericOptionFor(Option option) {
    for (const NumericOption& numeric : kNumericOptions) {
        if (numeric.option == option) {
            return &numeric;
        }
    }
    return nullptr;
}

std::optional<double> shownValue(const NumericOption& option, std::string_view text) {
    const auto value = protocol::parseNumber(text);
    if (!value) {
        return std::nullopt;
    }
    return *value / option.textUnitsPerShown;
}

std::string textFor(const NumericOption& option, double shown) {
    if (option.textUnitsPerShown == 1.0) {
        return protocol::plainNumber(shown);
    }
    // The edit's limits keep the tenths well inside 16 bits.
    const auto tenths = protocol::roundHalfEvenToInt16(shown * option.textUnitsPerShown);
    return std::to_string(tenths.value_or(0));
}

bool editCanHold(const EditLimits& limits, double value) {
    if (!(value >= limits.minimum && value <= limits.maximum)) {
        return false;
    }
    const double steps = value / limits.increment;
    return std::abs(steps - std::round(steps)) < kGridTolerance * std::max(1.0, std::abs(steps));
}

std::optional<bool> checkedFrom(std::string_view text) {
    const auto value = protocol::parseNumber(text);
    if (value == 0.0 || value == 1.0) {
        return *value == 1.0;
    }
    return std::nullopt;
}

}  // namespace zov::core
