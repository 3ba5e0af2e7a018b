// The unit's user options as the option window reads ("27,") and saves
// ("09,") them: nine decimal texts in a fixed order, the editors' limits,
// and the unit's verdict on a save. No widgets here.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zov::core {

// In the order both commands carry them.
enum class Option {
    Rov,          // over-voltage option on ("1") or off ("0")
    OverVoltage,  // percent
    Ramp,         // tenths of a second
    Aol,          // over-current option
    ArcCount,
    ArcPeriod,   // seconds
    QuenchTime,  // milliseconds
    ReRamp,      // re-ramp after an arc
    NoArcDetect,
};
inline constexpr std::size_t kOptionCount = 9;
using OptionTexts = std::array<std::string, kOptionCount>;

[[nodiscard]] constexpr std::size_t indexOf(Option option) {
    return static_cast<std::size_t>(option);
}

// Every option text before the unit has been read.
[[nodiscard]] OptionTexts startTexts();

inline constexpr char kReadOptions[] = "27,";

// The option fields of a "27," reply (they start at character 5), as many
// as could be taken, in order. None from a reply echoing another command.
[[nodiscard]] std::vector<std::string> optionFieldsFrom(std::string_view reply);

// "09," and each text followed by ",".
[[nodiscard]] std::string saveCommand(const OptionTexts& texts);

enum class SaveVerdict { None, ArcRateRejected, NoArcDetectOn };
// Character 5 of the "09," reply: "1" the arc rate was rejected (and the
// options with it), "2" they were taken with arc detection off.
[[nodiscard]] SaveVerdict verdictFrom(std::string_view reply);
// The unit's warning for a verdict, lines separated by CR LF.
[[nodiscard]] const char* warningFor(SaveVerdict verdict);

// --- the numeric editors ---

struct EditLimits {
    double minimum;
    double maximum;
    double increment;
};

struct NumericOption {
    Option option;
    const char* editName;
    const char* description;  // what an operator calls the edit
    EditLimits limits;
    double textUnitsPerShown;  // the ramp is edited in seconds, sent in tenths
};

inline constexpr NumericOption kNumericOptions[] = {
    {Option::OverVoltage, "CWNumEdit1", "Over-voltage level", {0, 110, 1}, 1},
    {Option::Ramp, "CWNumEdit2", "Ramp time", {0.1, 60, 0.1}, 10},
    {Option::ArcCount, "CWNumEdit3", "Arc Count", {0, 100, 1}, 1},
    {Option::ArcPeriod, "CWNumEdit4", "Arc Period(S)", {0, 100, 1}, 1},
    {Option::QuenchTime, "CWNumEdit5", "Quench Time(mS)", {0, 100, 1}, 1},
};

// The edit of a numeric option; nothing for the check-box options.
[[nodiscard]] const NumericOption* numericOptionFor(Option option);

// What the edit shows for an option text; nothing when it is not a number.
[[nodiscard]] std::optional<double> shownValue(const NumericOption& option, std::string_view text);
// The option text for what the edit holds (the ramp rounded to whole tenths).
[[nodiscard]] std::string textFor(const NumericOption& option, double shown);
// Whether the edit can hold `value` as it is: within its limits and a whole
// number of increments.
[[nodiscard]] bool editCanHold(const EditLimits& limits, double value);

// A check box's state for an option text: "0" or "1" as a number.
[[nodiscard]] std::optional<bool> checkedFrom(std::string_view text);

}  // namespace zov::core
