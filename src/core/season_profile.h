// What a tube-seasoning run and the HV cycle test decide, without windows:
// the profile's lists and default, the checks that keep a run from sending a
// step it cannot send, the counts and commands of a step, the one-second
// clocks of the run and of the on/off rhythms, and the profile file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <variant>

namespace zov::core {

inline constexpr int kSteps = 20;
inline constexpr int kSecondsPerMinute = 60;
// The 30 s on / 30 s off rhythm of a marked step.
inline constexpr std::int16_t kCycleOnTime = 30;
inline constexpr std::int16_t kCyclePeriod = 60;
inline constexpr int kTickMs = 1000;
// A profile file is 21 short lines; anything much longer is not one.
inline constexpr qint64 kProfileFileByteLimit = 64 * 1024;

// The lists of the kV, mA and minutes boxes, in list order.
[[nodiscard]] QStringList kvEntries();
[[nodiscard]] QStringList maEntries();
[[nodiscard]] QStringList minuteEntries();

// One row of the profile as its boxes hold it: the texts, whatever was typed.
struct StepText {
    QString kv;
    QString ma;
    QString minutes;
    bool cycle = false;
    bool operator==(const StepText& other) const {
        return kv == other.kv && ma == other.ma && minutes == other.minutes && cycle == other.cycle;
    }
};
using Profile = std::array<StepText, kSteps>;

// The 238-minute programme every load of the profile window selects.
[[nodiscard]] Profile defaultProfile();

enum class Field { Kv, Ma, Minutes };
// The column head that names a field for the operator ("kV", "mA", "Time").
[[nodiscard]] QString fieldName(Field field);

// Why a step cannot run, named for the operator.
struct Problem {
    int step;  // 1..20
    Field field;
    QString reason;
};
[[nodiscard]] QString describe(const Problem& problem);

struct StepCounts {
    std::int16_t kv;
    std::int16_t ma;
};

// Minutes as a run counts them (nearest, halves to even); nothing when the
// text is no number or does not fit 16 bits. Negative minutes are returned.
[[nodiscard]] std::optional<std::int16_t> minutesFrom(const QString& text);

// The step's minutes, refused when they are no number, negative or above 32767.
[[nodiscard]] std::variant<std::int16_t, Problem> checkedMinutes(const StepText& row, int index);

// The step's converter counts: value / scale, nearest, halves to even. Refused
// when a text is no number, a scale is not read yet (0) or a count does not
// fit 16 bits. Values above the unit's rating are not refused.
[[nodiscard]] std::variant<StepCounts, Problem> checkedCounts(const StepText& row, int index,
                                                              double kvScale, double maScale);

// The first problem among the rows a run of `profile` reaches: step 1, then
// every later step up to the first one of 0 minutes, whose minutes are
// checked but whose setpoints are never sent.
[[nodiscard]] std::optional<Problem> checkRun(const Profile& profile, double kvScale,
                                              double maScale);

[[nodiscard]] QByteArray vrefCommand(std::int16_t counts);
[[nodiscard]] QByteArray irefCommand(std::int16_t counts);

// The run's position: step index, whole minutes not yet elapsed, seconds
// counted within the current minute.
struct SeasonClock {
    std::int16_t CurrentStep = 0;
    std::int16_t CurrentTime = 0;
    std::int16_t timeSec = 0;

    // One tick; true when the step is over (its minutes have run out).
    bool countSecond();
};

// An on/off rhythm counted in ticks: switch off when the count reaches the
// on time, on again (and start over) when it reaches the period. Seasoning
// uses 30/60; the cycle test the operator's entries.
struct Rhythm {
    std::int16_t count = 0;
    std::int16_t onTime = 0;
    std::int16_t period = 0;

    // One tick; true when the output is to be toggled.
    bool tick();
};

// A whole number of seconds typed into an input box (nearest, halves to
// even); nothing for an empty text, no number or one outside 16 bits.
[[nodiscard]] std::optional<std::int16_t> secondsFrom(const QString& text);

// --- the profile file: "step,kV,mA,minutes,cycling", one line per step ---

[[nodiscard]] QByteArray profileCsv(const Profile& profile);

struct FileProblem {
    int line;  // 1-based
    QString reason;
};

// Every row of the file checked as Start checks a row (the counts only where
// the scale is read, > 0); the steps after the file's last are 0 kV, 0 mA,
// 0 minutes, so a run ends after it. Nothing when any line is bad.
[[nodiscard]] std::variant<Profile, FileProblem> profileFromCsv(const QByteArray& bytes,
                                                                double kvScale, double maScale);

// The first row that a file could not hold or load again, checked like a
// file's rows; nothing when the profile can be saved.
[[nodiscard]] std::optional<Problem> checkForSaving(const Profile& profile, double kvScale,
                                                    double maScale);

}  // namespace zov::core
