// What the supply's status replies say, cut by character position: the
// X-ray state of "STAT;", the eight flags of "FLT;", the combined "22,"
// reply (whose first three fields an unsolicited TCP status message shares),
// and the counting of arcs across successive fault reads. Every flag is a
// "1" or a "0"; any other character, or a reply too short to hold it, says
// nothing about that flag.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zov::core {

// A fault read the unit refused ("1;"): its "1" is no flag, so it is no reading.
[[nodiscard]] bool isFaultReadRefused(std::string_view reply);

// The character at `position` as a flag: "1" true, "0" false, else nothing.
[[nodiscard]] std::optional<bool> flagAt(std::string_view reply, int position);

// "STAT;": the X-ray output, character 2.
inline constexpr int kXrayStatePosition = 2;

// One flag of "FLT;", "0" for OK and "1" for a fault; its lamp is lit while OK.
struct FaultFlag {
    int position;
    const char* led;
    const char* label;
    const char* designCaption;
    const char* okCaption;
    const char* faultCaption;
    const char* accessibleName;  // of the lamp
};

inline constexpr int kArcFlag = 0;
inline constexpr std::array<FaultFlag, 7> kFaultFlags{{
    {2, "led_ARC", "lbl_ARC", "ARC", "Arc OK", "Arc Error", "No arc"},
    {3, "led_TEMP", "lbl_TEMP", "TEMP", "Temp OK", "Temp Error", "Temperature OK"},
    {4, "led_OV", "lbl_OV", "Over Voltage", "Over Voltage OK", "Over Voltage Error",
     "No over voltage"},
    {5, "led_UV", "lbl_UV", "Under Voltage", "Under Voltage OK", "Under Voltage Error",
     "No under voltage"},
    {6, "led_OC", "lbl_OC", "Over Current", "Over Current OK", "Over Current Error",
     "No over current"},
    {7, "led_UC", "lbl_UC", "Under Current", "Under Current OK", "Under Current Error",
     "No under current"},
    {8, "led_wdtFault", "lbl_wdtFault", "WDT Fault", "WDT OK", "WDT Fault", "No watchdog fault"},
}};
// "FLT;" character 9: "1" the interlock is open.
inline constexpr int kInterlockPosition = 9;

// The combined "22," reply: eight flags at characters 5, 7, ... 19. An
// unsolicited status message carries the first three in the same places.
struct CombinedStatus {
    std::optional<bool> xrayOn;
    std::optional<bool> interlockOpen;
    std::optional<bool> supplyFault;
    std::optional<bool> remote;
    std::optional<bool> currentMode;
    std::optional<bool> rov;
    std::optional<bool> aol;
    std::optional<bool> watchdogOn;
};
// Nothing is read from a reply that does not echo "22,".
[[nodiscard]] CombinedStatus combinedStatusFrom(std::string_view reply);
[[nodiscard]] CombinedStatus unsolicitedStatusFrom(std::string_view message);

// One arc is counted per change from "Arc OK" to "Arc Error" while X-ray is
// requested; an "Arc OK" read arms the counter again. The count stops at
// the largest 16-bit value instead of wrapping.
struct ArcCounter {
    std::int16_t armed = 1;
    std::int16_t count = 0;
};
[[nodiscard]] ArcCounter afterArcRead(ArcCounter counter, std::optional<bool> arcFault,
                                      bool xrayRequested);

// What the unit last reported, so a report is announced only when it says
// something new; the first report of each flag is new.
struct ReportedStatus {
    std::optional<bool> xrayOn;
    std::optional<bool> interlockOpen;
    std::optional<bool> supplyFault;
    std::array<std::optional<bool>, kFaultFlags.size()> faults{};
};
// Keeps `now` in `last`; true when it differs from what was kept.
[[nodiscard]] bool reportChanged(std::optional<bool>& last, bool now);

// What a reply to "ENBL 1;" or "ENBL 0;" says, at character 2.
enum class EnableAnswer { Acknowledged, Refused, NoReply, Other };
[[nodiscard]] EnableAnswer enableAnswerFrom(std::string_view reply);

}  // namespace zov::core
