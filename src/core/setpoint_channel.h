// The supply's four analog setpoints, each driven by one channel of a 12-bit
// converter: output voltage (A), tube current (B), filament current limit (C)
// and filament preheat current (D). Reading, programming and displaying a
// setpoint all go through this one table.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/main_state.h"

namespace zov::core {

enum class Channel { A, B, C, D };

struct SetpointChannel {
    Channel channel;
    const char* editorOption;   // option of the channel editor
    const char* editorCaption;  // its caption
    const char* readButton;
    const char* readCaption;
    const char* readCommand;
    int valueStart;  // 1-based position of the value; 1 is the reply's STX
    char delimiter;  // ends the value, searched from valueStart
    // Units per count: a factor read from the unit, or a constant when null.
    double MainState::*scaleFactor;
    double fixedScale;
    const char* pattern;
    const char* suffix;
    const char* displayBox;
    const char* displayStartText;
    const char* displayToolTip;  // empty: none
    const char* displayName;     // what an operator calls the value
    const char* rawBox;          // in the unscaled-data window
    bool startsHidden;           // the filament channels are reached from code only
};

// Filament scales are full scale over 4095 counts: 5 A for the limit, 2.5 A for the preheat.
inline constexpr std::array<SetpointChannel, 4> kSetpointChannels{{
    {Channel::A, "opt_DACA", "KV_PROG", "btn_KVSET", "Voltage Setpoint", "VSET;", 2, ';',
     &MainState::KvScaleFactor, 0.0, "#0.000", " kV", "txt_DACA", "Channel A", "Ch. A, U21, Pin 2",
     "Voltage setpoint", "txt_RAWDACA", false},
    {Channel::B, "opt_DACB", "MA_PROG", "btn_EMI", "Current Setpoint", "ISET;", 2, ';',
     &MainState::mAScaleFactor, 0.0, "0.000", " mA", "txt_DACB", "Channel B", "Ch. B, U21, Pin 6",
     "Current setpoint", "txt_RAWDACB", false},
    {Channel::C, "opt_DACC", "FIL_LIMIT", "btn_FILLIM", "Filament Limit", "16,", 5, ',', nullptr,
     0.001221, "0.##0", " A", "txt_DACC", "N/A", "", "Filament current limit", "txt_RAWDACC", true},
    {Channel::D, "opt_DACD", "FIL_PREHEAT", "btn_FILPREHEAT", "Filament PreHeat", "17,", 5, ',',
     nullptr, 0.0006105, "0.##0", " A", "txt_DACD", "N/A", "Ch. D, U21, Pin 7",
     "Filament preheat current", "txt_RAWDACD", true},
}};

[[nodiscard]] const SetpointChannel& setpointChannel(Channel channel);

[[nodiscard]] double scaleOf(const SetpointChannel& row, const MainState& state);
// The scale a shown reading is converted with: the fixed one, or the unit's
// as it gave it on this link; nothing while it has not.
[[nodiscard]] std::optional<double> shownScaleOf(const SetpointChannel& row,
                                                 const MainState& state);

// What one setpoint reply shows: the count as the unit sent it, and the
// scaled value with the channel's pattern and suffix.
struct SetpointReading {
    std::string raw;
    std::string display;
};

// Nothing when the reply is another command's (a numbered reply echoing
// another number), holds no delimiter after the value's start, or the value
// is empty, not a number, or too large to show. Without a scale the count
// is kept and the display says there is no scale.
[[nodiscard]] std::optional<SetpointReading> readingFrom(const SetpointChannel& row,
                                                         std::string_view reply,
                                                         std::optional<double> scale);

}  // namespace zov::core
