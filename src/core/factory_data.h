// The unit's factory data as the factory configuration window programs and
// reads it: which command each programming button sends for an entry, and
// how the "CONF;" reply turns into the seven fields. No widgets here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zov::core {

enum class FactoryField {
    HardwareRevision,
    Model,
    Scaling,
    Preheat,
    RampRate,
    Arc,
    FilamentTurnOn
};

// How a programming button turns its entry into what is sent.
enum class Conversion {
    AsTyped,  // mnemonic, blank, the entry, ";"
    Scaling,  // "kV,mA": two commands in the unit's hundredths of a kV and thousandths of a mA
    Preheat,  // amps to converter counts of 2 A, rounded down
    TurnOn,   // kV to converter counts of the unit's full-scale voltage
};

struct ProgrammingButton {
    FactoryField field;
    const char* name;
    const char* caption;
    const char* prompt;
    const char* fieldName;
    const char* fieldDescription;  // what an operator calls the field
    const char* mnemonic;          // for the entries sent as typed
    Conversion conversion;
};

// Top to bottom, as the window lays them out.
inline constexpr ProgrammingButton kProgrammingButtons[] = {
    {FactoryField::HardwareRevision, "hardware", "Program Hardware",
     "Enter HardWare Revision: EX. A01", "Txt_hwd", "Hardware revision", "HWVP",
     Conversion::AsTyped},
    {FactoryField::Model, "model", "Program Model", "Enter Model Number: EX. ZOV80N100", "Txt_modl",
     "Model number", "MODP", Conversion::AsTyped},
    {FactoryField::Scaling, "progScale", "Program Scaling",
     "Enter Voltage and Current separated by a comma:      EX. 88.89,1.388", "Txt_scale",
     "Full-scale voltage and current", "", Conversion::Scaling},
    {FactoryField::Preheat, "filaPreHeat", "Filament PreHeat",
     "Enter Filament PreHeat: EX. Min - 0 Max - 2A", "Txt_preheat", "Filament preheat", "",
     Conversion::Preheat},
    {FactoryField::RampRate, "ramp", "Ramp Rate", "Enter Ramp: EX. 0 for Slow, 1 for Fast",
     "Txt_rampRate", "Ramp rate", "RAMP", Conversion::AsTyped},
    {FactoryField::Arc, "arc", "Arc Config",
     "Enter Arc Config: EX. 0 for Multiple Arcs, 1 Single Arc", "Txt_arc", "Arc configuration",
     "ARCP", Conversion::AsTyped},
    {FactoryField::FilamentTurnOn, "Btn_filTurnOn", "Filament Turn-On",
     "Enter The Filament Turn On Voltage(KV)", "Txt_FilaOn", "Filament turn-on voltage", "",
     Conversion::TurnOn},
};

// --- reading: "CONF;" ---

inline constexpr char kReadConfiguration[] = "CONF;";

struct Configuration {
    // The fields that could be taken, in the order the reply carries them,
    // as the window shows them.
    std::vector<std::pair<FactoryField, std::string>> shown;
    // The full-scale voltage in kV as shown ("80.00"), once taken.
    std::optional<std::string> kvVoltage;
};

// The reply is STX and eight comma-terminated fields: hardware revision,
// model, full-scale voltage (hundredths of a kV), full-scale current
// (thousandths of a mA), preheat counts, ramp, arc mode, turn-on counts.
// Taking stops at the first field that is missing or cannot be converted.
[[nodiscard]] Configuration configurationFrom(std::string_view reply);

// "8000" -> "80.00", "16000" -> "160.00", "999" -> "9.99": hundredths of a
// kV as kV with two decimals; nothing when not a number.
[[nodiscard]] std::optional<std::string> fullScaleVoltageText(std::string_view field);
// "1388" -> "1.388", "138" -> "0.138": thousandths of a mA as mA with three
// decimals; nothing when not a number.
[[nodiscard]] std::optional<std::string> fullScaleCurrentText(std::string_view field);

// --- programming ---

[[nodiscard]] std::string textCommand(std::string_view mnemonic, std::string_view entry);

struct ScalingEntry {
    // The text before the first comma, when there is a comma.
    std::optional<std::string> kvVoltage;
    // "SLVP V;" and "SLIP I;", when both parts are numbers.
    std::optional<std::pair<std::string, std::string>> commands;
};
[[nodiscard]] ScalingEntry scalingFrom(std::string_view entry);

// Full scale of the filament preheat current.
inline constexpr double kPreheatFullScaleAmps = 2.0;

// The one rule for a typed value sent as converter counts: the unit's
// converters are 12-bit, so only 0..4095 counts (0 to full scale) are sent.
[[nodiscard]] bool fitsConverter(double counts);

struct Preheat {
    std::optional<std::string> command;  // "FILP n;"
    bool outOfRange = false;             // a number, but not from 0 to 2 A
};
// For an entry in amps; nothing to send when the entry is not a number or
// its count does not fit the converter.
[[nodiscard]] Preheat preheatCommand(std::string_view entry);

struct TurnOn {
    std::optional<std::string> command;  // "FTON n;"
    bool scalingUnknown = false;         // neither a scale factor nor a full-scale voltage
    bool outOfRange = false;             // a number, but not from 0 to full scale
    double fullScaleKv = 0.0;            // what the entry was converted by
};
// For an entry in kV: by the main window's kV per count when it has one,
// else by the full-scale voltage this window knows. Nothing to send when the
// entry is not a number or its count does not fit the converter.
[[nodiscard]] TurnOn turnOnCommand(std::string_view entry, double kvScaleFactor,
                                   std::string_view kvVoltage);

}  // namespace zov::core
