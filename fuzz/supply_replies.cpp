// The main window's reply conversions: setpoints, monitors, the scale
// reads, the status and fault flags, the "22," reply and the X-ray enable
// answer. A shown raw value is the reply's own text, a shown reading reads
// back as the count times its scale, a flag is its character.
#include <algorithm>
#include <variant>

#include "core/dac_editor.h"
#include "core/monitors.h"
#include "core/scaling.h"
#include "core/setpoint_channel.h"
#include "core/status_flags.h"
#include "fuzz_input.h"
#include "protocol/numbers.h"
#include "protocol/reply.h"

namespace {

using zov::fuzz::require;
using zov::fuzz::requireReadsBack;
namespace protocol = zov::protocol;
namespace core = zov::core;

// `raw` is the reply's text from `start` up to the first `delimiter` there.
void requireCut(std::string_view reply, int start, char delimiter, const std::string& raw) {
    const auto begin = static_cast<std::size_t>(start - 1);
    require(begin + raw.size() < reply.size(), "the cut lies inside the reply");
    require(reply.substr(begin, raw.size()) == raw, "the cut is the reply's text");
    require(reply[begin + raw.size()] == delimiter, "the cut ends at its delimiter");
    require(raw.find(delimiter) == std::string::npos, "the cut stops at the first delimiter");
}

void checkSetpoints(std::string_view reply, double scale) {
    for (const core::SetpointChannel& row : core::kSetpointChannels) {
        const auto reading = core::readingFrom(row, reply, scale);
        if (!reading) {
            continue;
        }
        require(protocol::echoesCommand(reply, row.readCommand), "a reading is its command's");
        requireCut(reply, row.valueStart, row.delimiter, reading->raw);
        const auto count = protocol::parseNumber(reading->raw);
        require(count.has_value(), "a shown setpoint is a number");
        const double value = *count * scale;
        if (std::fabs(value) < 1e300) {
            requireReadsBack(reading->display, row.suffix, value, row.pattern);
        }
    }
}

void checkMonitors(std::string_view reply, const zov::core::MainState& state) {
    for (const core::MonitorRow& row : core::kMonitors) {
        const core::MonitorOutcome outcome = core::monitorOutcome(row, reply, state);
        const auto cut = protocol::cutUntil(reply, 2, ';');
        if (reply.empty()) {
            require(std::holds_alternative<core::NoMonitorReply>(outcome), "silence is no reply");
            continue;
        }
        if (!cut) {
            require(std::holds_alternative<core::UnreadableMonitor>(outcome),
                    "no value without its \";\"");
            continue;
        }
        const bool unscaled = row.scale != nullptr && !state.KvScaleRead;
        const double factor =
            row.scale != nullptr ? (unscaled ? 1.0 : state.*row.scale) : row.fixedFactor;
        const auto count = protocol::parseNumber(*cut);
        if (const auto* text = std::get_if<core::MonitorText>(&outcome)) {
            require(text->raw == *cut, "a text monitor shows the reply's text");
            require(!count || !std::isfinite((*count - row.offset) * factor / row.divisor),
                    "a number is shown as a reading");
            continue;
        }
        if (const auto* kept = std::get_if<core::MonitorUnscaled>(&outcome)) {
            require(unscaled, "a count is converted once the unit gave its scale");
            require(kept->raw == *cut, "an unscaled count is the reply's text");
            continue;
        }
        require(!unscaled, "no reading without the unit's scale");
        const auto* reading = std::get_if<core::MonitorReading>(&outcome);
        require(reading != nullptr, "a cut value is text or a reading");
        requireCut(reply, 2, ';', reading->raw);
        require(count.has_value(), "a reading is a number");
        const double value = (*count - row.offset) * factor / row.divisor;
        if (std::fabs(value) < 1e300) {
            requireReadsBack(reading->display, row.suffix, value, row.pattern);
        }
    }
}

void checkScaling(std::string_view reply) {
    const auto fullScale = core::fullScaleFrom(reply);
    const auto cut = protocol::cutUntil(reply, 2, ';', 5);
    require(fullScale.has_value() == (cut && protocol::parseNumber(*cut).has_value()),
            "a full scale is the number before the \";\"");
    if (!fullScale) {
        return;
    }
    require(*fullScale == *protocol::parseNumber(*cut), "the full scale is the reply's number");
    for (const double units : {core::kVoltageScaleUnitsPerKv, core::kCurrentScaleUnitsPerMa}) {
        const auto factor = core::scaleFactorFor(*fullScale, units);
        const double expected = *fullScale / units / core::kFullScaleCounts;
        if (expected > 0.0 && std::isfinite(expected)) {
            require(factor == expected, "the factor is the full scale over 4095 counts");
        } else {
            require(!factor, "an unusable full scale gives no factor");
        }
    }
}

std::optional<bool> referenceFlag(std::string_view reply, int position) {
    if (position < 1 || static_cast<std::size_t>(position) > reply.size()) {
        return std::nullopt;
    }
    const char c = reply[static_cast<std::size_t>(position - 1)];
    if (c == '1' || c == '0') {
        return c == '1';
    }
    return std::nullopt;
}

void checkStatus(std::string_view reply) {
    for (int position = 0; position <= 20; ++position) {
        require(core::flagAt(reply, position) == referenceFlag(reply, position),
                "a flag is its character");
    }
    const core::CombinedStatus combined = core::combinedStatusFrom(reply);
    const std::optional<bool> fields[] = {
        combined.xrayOn,      combined.interlockOpen, combined.supplyFault, combined.remote,
        combined.currentMode, combined.rov,           combined.aol,         combined.watchdogOn};
    const bool echoes = reply.size() > 3 && reply.substr(1, 3) == "22,";
    for (int i = 0; i < 8; ++i) {
        const auto expected = echoes ? referenceFlag(reply, 5 + 2 * i) : std::nullopt;
        require(fields[i] == expected, "a \"22,\" flag is its character, of a \"22,\" reply only");
    }
    const core::CombinedStatus unasked = core::unsolicitedStatusFrom(reply);
    require(unasked.xrayOn == referenceFlag(reply, 5) &&
                unasked.interlockOpen == referenceFlag(reply, 7) &&
                unasked.supplyFault == referenceFlag(reply, 9) && !unasked.remote,
            "a status message carries three flags");

    const auto answer = core::enableAnswerFrom(reply);
    if (reply.size() < 2) {
        require(answer == core::EnableAnswer::NoReply, "no answer character, no reply");
    } else if (reply[1] == ';') {
        require(answer == core::EnableAnswer::Acknowledged, "\";\" acknowledges");
    } else {
        require(
            answer == (reply[1] == '1' ? core::EnableAnswer::Refused : core::EnableAnswer::Other),
            "\"1\" refuses, anything else is another answer");
    }
}

void checkEditor(std::string_view reply, double scaled, double scale) {
    for (const core::EditorChannel& row : core::kEditorChannels) {
        const std::string command = core::programCommand(row, 2048);
        const auto answer = core::programAnswerFrom(row, command, reply);
        if (answer != core::ProgramAnswer::Failed) {
            require(protocol::echoesCommand(reply, command), "an answer is its command's");
            const auto c = protocol::charAt(reply, row.acknowledgePosition);
            require(c == (answer == core::ProgramAnswer::Acknowledged ? row.acknowledgement : '1'),
                    "the answer is its character");
        }
    }
    const auto count = core::countFor(scaled, scale);
    if (!(scale > 0.0)) {
        require(!count, "no count without a scale");
        return;
    }
    if (!count) {
        require(std::isnan(scaled / scale), "a value with a scale has a count");
        return;
    }
    require(*count >= 0 && *count <= core::kMaxCount, "the count stays within the edit");
    const double wanted = std::clamp(scaled / scale, 0.0, double(core::kMaxCount));
    require(std::fabs(*count - wanted) <= 0.5, "the count is the nearest");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zov::fuzz::Input input(data, size);
    // Scales as the unit gives them, or whatever the bytes make.
    const std::uint8_t choice = input.byte();
    double scale = input.number();
    if (choice % 4 != 0) {
        scale = choice % 4 == 1 ? 0.0 : (choice % 4 == 2 ? 80.0 / 4095 : 0.000341);
    }
    const double scaled = input.number();
    const std::string_view reply = input.rest();

    zov::core::MainState state;
    state.KvScaleFactor = scale;
    // Half the inputs as if the unit had not given its scale on this link.
    state.KvScaleRead = state.mAScaleRead = (choice & 0x80) != 0;
    checkSetpoints(reply, scale);
    checkMonitors(reply, state);
    checkScaling(reply);
    checkStatus(reply);
    checkEditor(reply, scaled, scale);
    return 0;
}
