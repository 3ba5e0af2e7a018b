// The seasoning profile as a file and as typed boxes: a file that loads
// saves to a file that loads the same profile; a profile that may be saved
// loads back as it was; every loaded row is one a run can check; the
// minutes and seconds boxes take the nearest 16-bit whole number or nothing.
#include <QByteArray>
#include <QString>

#include "core/season_profile.h"
#include "fuzz_input.h"
#include "protocol/numbers.h"

namespace {

using zov::fuzz::require;
namespace core = zov::core;

void checkFile(const QByteArray& bytes, double kvScale, double maScale) {
    const auto loaded = core::profileFromCsv(bytes, kvScale, maScale);
    const auto* profile = std::get_if<core::Profile>(&loaded);
    if (profile == nullptr) {
        const auto& problem = std::get<core::FileProblem>(loaded);
        require(problem.line >= 1 && !problem.reason.isEmpty(), "a refused file names its line");
        return;
    }
    require(!core::checkForSaving(*profile, kvScale, maScale), "a loaded profile can be saved");
    const auto again = core::profileFromCsv(core::profileCsv(*profile), kvScale, maScale);
    const auto* reloaded = std::get_if<core::Profile>(&again);
    require(reloaded != nullptr && *reloaded == *profile, "a saved profile loads as it was");
}

// Twenty rows of texts cut from the bytes, saved and loaded again.
void checkSaving(zov::fuzz::Input& input, double kvScale, double maScale) {
    core::Profile profile;
    for (core::StepText& row : profile) {
        const auto text = [&input] {
            const std::string_view t = input.text();
            return QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size()));
        };
        row.kv = text();
        row.ma = text();
        row.minutes = text();
        row.cycle = input.byte() % 2 == 1;
    }
    if (core::checkForSaving(profile, kvScale, maScale)) {
        return;
    }
    const auto loaded = core::profileFromCsv(core::profileCsv(profile), kvScale, maScale);
    const auto* back = std::get_if<core::Profile>(&loaded);
    require(back != nullptr, "a profile that may be saved loads");
    for (std::size_t i = 0; i < profile.size(); ++i) {
        const core::StepText& saved = profile[i];
        const core::StepText& read = (*back)[i];
        require(read.kv == saved.kv.trimmed() && read.ma == saved.ma.trimmed() &&
                    read.minutes == saved.minutes.trimmed() && read.cycle == saved.cycle,
                "every step loads as it was saved");
    }
}

void checkWholeNumbers(std::string_view bytes) {
    const QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const auto number = zov::protocol::parseNumber(bytes);
    const auto expected = number ? zov::protocol::roundHalfEvenToInt16(*number) : std::nullopt;
    require(core::minutesFrom(text) == expected, "minutes are the nearest whole number");
    require(core::secondsFrom(text) == (text.trimmed().isEmpty() ? std::nullopt : expected),
            "seconds are the nearest whole number");
    core::StepText row{text, text, text, false};
    const auto minutes = core::checkedMinutes(row, 0);
    if (const auto* value = std::get_if<std::int16_t>(&minutes)) {
        require(expected == *value && *value >= 0, "a step runs 0 to 32767 minutes");
    } else {
        require(!expected || *expected < 0, "minutes from 0 to 32767 are taken");
    }
    const auto counts = core::checkedCounts(row, 0, 80.0 / 4095, 0.000341);
    if (const auto* value = std::get_if<core::StepCounts>(&counts)) {
        require(number && std::fabs(value->kv - *number / (80.0 / 4095)) <= 0.5 &&
                    std::fabs(value->ma - *number / 0.000341) <= 0.5,
                "a step's counts are the nearest to value over scale");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zov::fuzz::Input input(data, size);
    const std::uint8_t choice = input.byte();
    // The scales unread (no count checks), as a unit gives them, or tiny.
    const double kvScale = choice % 3 == 0 ? 0.0 : (choice % 3 == 1 ? 80.0 / 4095 : 1e-6);
    const double maScale = choice % 3 == 0 ? 0.0 : (choice % 3 == 1 ? 0.000341 : 1e-7);
    const std::string_view bytes = input.rest();
    checkFile(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), kvScale, maScale);
    checkWholeNumbers(bytes);
    checkSaving(input, kvScale, maScale);
    return 0;
}
