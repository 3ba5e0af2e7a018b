// What the channel editor decides, apart from its widgets: per channel the
// scaled edit's bounds, the commands that program and revert the setpoint,
// how the unit acknowledges, and the confirmation shown. The scale of a
// channel, for the edit and the confirmation alike, is its setpoint
// channel's (kSetpointChannels).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/main_state.h"
#include "core/setpoint_channel.h"

namespace zov::core {

struct EditorChannel {
    Channel channel;
    const char* modifyingCaption;  // lbl_CHMOD
    double lowerBound;             // of the scaled edit
    double upperBound;
    const char* programPrefix;  // the count follows, then the suffix
    const char* programSuffix;
    int acknowledgePosition;
    char acknowledgement;
    const char* confirmationPattern;
    const char* confirmationSuffix;
    const char* revertPrefix;  // the count follows, nothing after it
    std::int16_t MainState::*edited;
    std::int16_t MainState::*accepted;
};

inline constexpr std::array<EditorChannel, 4> kEditorChannels{{
    {Channel::A, "Now Modifying KV_PROG", 0, 70000, "VREF ", ";", 2, ';', "#0.##0", " kV", "10,",
     &MainState::NewDAC_A, &MainState::OldDAC_A},
    {Channel::B, "Now Modifying MA_PROG", 0, 8.56, "IREF ", ";", 2, ';', "0.##0", " mA", "11,",
     &MainState::NewDAC_B, &MainState::OldDAC_B},
    {Channel::C, "Now Modifying FIL_LIMIT", 0, 4.999995, "12,", ",", 5, '$', "0.##0", " A", "12,",
     &MainState::NewDAC_C, &MainState::OldDAC_C},
    {Channel::D, "Now Modifying FIL_PREHEAT", 0, 2.5, "13,", ",", 5, '$', "0.##0", " A", "13,",
     &MainState::NewDAC_D, &MainState::OldDAC_D},
}};

[[nodiscard]] const EditorChannel& editorChannel(Channel channel);

// "VREF 2048;", "12,819,": the count as plain decimal text.
[[nodiscard]] std::string programCommand(const EditorChannel& row, std::int16_t count);
// "10,2048": the revert carries the count and nothing after it.
[[nodiscard]] std::string revertCommand(const EditorChannel& row, std::int16_t count);

enum class ProgramAnswer { Acknowledged, Refused, Failed };
// A numbered reply that echoes another command's number is neither an
// acknowledgement nor a refusal of this one.
[[nodiscard]] ProgramAnswer programAnswerFrom(const EditorChannel& row, std::string_view command,
                                              std::string_view reply);

// How a programmed setpoint is told in the session's events:
// "VREF 2048; acknowledged", "12,819, refused", "IREF 100; no answer".
[[nodiscard]] std::string programmedDetail(std::string_view command, ProgramAnswer answer);

// "60.000 kV" for 4095 counts on channel A at 60 kV full scale; without a
// scale (the unit has not given its own) no number.
[[nodiscard]] std::string confirmationOf(const EditorChannel& row, std::int16_t count,
                                         std::optional<double> scale);

// The count a scaled value stands for, rounded half to even and kept within
// the count edit's range; nothing while the channel's scale is unknown (0),
// which no value can be divided by.
[[nodiscard]] std::optional<std::int16_t> countFor(double scaled, double scale);

inline constexpr int kMaxCount = 4095;

}  // namespace zov::core
