// The factory configuration ("CONF;") and the user options ("27,", "09,")
// as the two windows read them: every shown field is the reply's text or a
// conversion that reads back as the field's number, and an option the edit
// can hold is saved back as the value the unit sent.
#include <algorithm>

#include "core/factory_data.h"
#include "core/reply_fields.h"
#include "core/user_options.h"
#include "fuzz_input.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace {

using zov::fuzz::require;
using zov::fuzz::requireReadsBack;
namespace core = zov::core;
namespace protocol = zov::protocol;

constexpr core::FactoryField kOrder[] = {
    core::FactoryField::HardwareRevision, core::FactoryField::Model,    core::FactoryField::Scaling,
    core::FactoryField::Preheat,          core::FactoryField::RampRate, core::FactoryField::Arc,
    core::FactoryField::FilamentTurnOn};

void checkConfiguration(std::string_view reply) {
    const auto fields = core::commaFields(reply, 2, 8);
    const core::Configuration taken = core::configurationFrom(reply);
    require(taken.shown.size() <= fields.size(), "a field shown was in the reply");
    for (std::size_t i = 0; i < taken.shown.size(); ++i) {
        require(taken.shown[i].first == kOrder[i], "fields are shown in the reply's order");
    }
    const auto shown = [&taken](std::size_t i) { return taken.shown[i].second; };
    if (taken.shown.size() >= 1) {
        require(shown(0) == fields[0], "the hardware revision is the reply's text");
    }
    if (taken.shown.size() >= 2) {
        require(shown(1) == fields[1], "the model is the reply's text");
    }
    if (taken.kvVoltage) {
        const auto hundredths = protocol::parseNumber(fields[2]);
        require(hundredths.has_value(), "the full scale is a number");
        if (std::fabs(*hundredths) < 1e300) {
            requireReadsBack(*taken.kvVoltage, "", *hundredths / 100, "#0.00");
        }
    }
    if (taken.shown.size() >= 3) {
        const auto thousandths = protocol::parseNumber(fields[3]);
        require(thousandths.has_value(), "the full-scale current is a number");
        const std::string& scaling = shown(2);
        require(scaling.substr(0, taken.kvVoltage->size() + 1) == *taken.kvVoltage + ',',
                "the scaling is the voltage, then the current");
        if (std::fabs(*thousandths) < 1e300) {
            requireReadsBack(std::string_view(scaling).substr(taken.kvVoltage->size() + 1), "",
                             *thousandths / 1000, "0.000");
        }
    }
    if (taken.shown.size() >= 4) {
        const double amps = *protocol::parseNumber(fields[4]) * 2.0 / 4095;
        if (std::fabs(amps) < 1e300) {
            const auto back = protocol::parseNumber(shown(3));
            require(back && std::fabs(*back - amps) <= std::fabs(amps) * 1e-14,
                    "the preheat reads back as its counts in amps");
        }
    }
    if (taken.shown.size() >= 5) {
        require(shown(4) == fields[5] && (taken.shown.size() < 6 || shown(5) == fields[6]),
                "ramp and arc are the reply's text");
    }
    if (taken.shown.size() == 7) {
        const double volts =
            *protocol::parseNumber(fields[7]) * *protocol::parseNumber(*taken.kvVoltage) / 4095;
        if (std::fabs(volts) < 1e300) {
            requireReadsBack(shown(6), "", volts, "#0.00");
        }
    }
}

void checkOptions(std::string_view reply) {
    const auto fields = core::optionFieldsFrom(reply);
    const bool echoes = reply.size() > 3 && reply.substr(1, 3) == "27,";
    require(fields == (echoes ? core::commaFields(reply, 5, core::kOptionCount)
                              : std::vector<std::string>()),
            "the options are the \"27,\" reply's fields");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& text = fields[i];
        const auto number = protocol::parseNumber(text);
        const auto checked = core::checkedFrom(text);
        require(checked == (number == 0.0 || number == 1.0 ? std::optional<bool>(*number == 1.0)
                                                           : std::nullopt),
                "a check box is on for 1, off for 0");
        const core::NumericOption* numeric = core::numericOptionFor(static_cast<core::Option>(i));
        if (numeric == nullptr) {
            continue;
        }
        const auto value = core::shownValue(*numeric, text);
        require(value.has_value() == number.has_value(), "an option number is shown");
        if (!value || !core::editCanHold(numeric->limits, *value)) {
            continue;
        }
        require(*value >= numeric->limits.minimum && *value <= numeric->limits.maximum,
                "an edit holds only values within its limits");
        const auto saved = protocol::parseNumber(core::textFor(*numeric, *value));
        require(saved && std::fabs(*saved - *number) <= 1e-9 * std::max(1.0, std::fabs(*number)),
                "a held option is saved as the unit sent it");
    }

    const auto verdict = core::verdictFrom(reply);
    const bool saveEcho = reply.size() > 3 && reply.substr(1, 3) == "09,";
    const char c = saveEcho && reply.size() >= 5 ? reply[4] : ' ';
    require(verdict == (c == '1'   ? core::SaveVerdict::ArcRateRejected
                        : c == '2' ? core::SaveVerdict::NoArcDetectOn
                                   : core::SaveVerdict::None),
            "the verdict is character 5 of a \"09,\" reply");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    checkConfiguration(reply);
    checkOptions(reply);
    return 0;
}
