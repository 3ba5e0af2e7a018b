#include "season_profile.h"

#include <QList>
#include <cmath>
#include <string>
#include <utility>

#include "protocol/numbers.h"

namespace zov::core {
namespace {

constexpr int kKvListTop = 100;
constexpr int kMinutesListTop = 60;
// The mA list in hundredths: 0.10 to 1.15, then 1.25 to 1.50, every 0.05.
constexpr int kMaFirst = 10;
constexpr int kMaGapBelow = 115;
constexpr int kMaGapAbove = 125;
constexpr int kMaLast = 150;
constexpr int kMaStep = 5;

constexpr int kFileFields = 5;
const QByteArray kCsvHeader = QByteArrayLiteral("step,kV,mA,minutes,cycling");

struct DefaultRow {
    const char* kv;
    const char* ma;
    const char* minutes;
    bool cycle;
};

constexpr DefaultRow kDefaultProfile[kSteps] = {
    {"40", "0.15", "5", false},  {"40", "0.25", "10", false}, {"45", "0.4", "10", false},
    {"50", "0.55", "15", false}, {"55", "0.7", "15", false},  {"60", "0.85", "15", false},
    {"65", "1.0", "15", false},  {"70", "1.15", "15", false}, {"70", "1.3", "15", false},
    {"75", "1.3", "15", false},  {"80", "1.25", "15", false}, {"82", "1.25", "15", false},
    {"84", "1.25", "15", false}, {"80", "1.25", "15", false}, {"80", "1.25", "15", true},
    {"80", "1.25", "15", true},  {"80", "1.25", "15", true},  {"80", "1.25", "1", false},
    {"80", "1.25", "1", false},  {"80", "1.25", "1", false},
};

QStringList numberList(int top) {
    QStringList list;
    for (int n = 0; n <= top; ++n) {
        list << QString::number(n);
    }
    return list;
}

// "0.15", "0.4"; one milliampere is written "1.0" as the unit's documents do.
QString hundredthsText(int hundredths) {
    if (hundredths % 100 == 0) {
        return QStringLiteral("%1.0").arg(hundredths / 100);
    }
    QString text = QStringLiteral("%1.%2")
                       .arg(hundredths / 100)
                       .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    if (text.endsWith(QLatin1Char('0'))) {
        text.chop(1);
    }
    return text;
}

std::optional<double> numberFrom(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return protocol::parseNumber({bytes.constData(), static_cast<std::size_t>(bytes.size())});
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Empty or no number.
std::optional<QString> textProblem(const QString& text) {
    if (text.trimmed().isEmpty()) {
        return QStringLiteral("the box is empty");
    }
    if (!numberFrom(text)) {
        return quoted(text) + QStringLiteral(" is not a number");
    }
    return std::nullopt;
}

std::variant<std::int16_t, Problem> countsOf(const QString& text, Field field, int index,
                                             double scale, const char* unit) {
    const int step = index + 1;
    if (auto problem = textProblem(text)) {
        return Problem{step, field, *problem};
    }
    if (!(scale > 0.0) || !std::isfinite(scale)) {
        return Problem{step, field,
                       QStringLiteral("the unit's %1 scale has not been read yet (choose a port "
                                      "so the console reads it)")
                           .arg(QLatin1String(unit))};
    }
    const double quotient = *numberFrom(text) / scale;
    if (const auto counts = protocol::roundHalfEvenToInt16(quotient)) {
        // A converter takes no negative count; the unit would refuse the
        // setpoint and the step would run at the one before.
        if (*counts < 0) {
            return Problem{step, field,
                           QStringLiteral("%1 %2 makes %3 counts, below 0")
                               .arg(text.trimmed(), QLatin1String(unit))
                               .arg(*counts)};
        }
        return *counts;
    }
    return Problem{step, field,
                   QStringLiteral("%1 %2 makes %3 counts, outside -32768 to 32767")
                       .arg(text.trimmed(), QLatin1String(unit),
                            QString::fromStdString(protocol::plainNumber(quotient)))};
}

// A value text as a file holds it: a number, and counts that fit where the
// scale is known.
std::optional<Problem> valueProblem(const QString& text, Field field, int index, double scale,
                                    const char* unit) {
    if (auto problem = textProblem(text)) {
        return Problem{index + 1, field, *problem};
    }
    if (scale > 0.0) {
        const auto counts = countsOf(text, field, index, scale, unit);
        if (const auto* problem = std::get_if<Problem>(&counts)) {
            return *problem;
        }
    }
    return std::nullopt;
}

std::optional<Problem> rowProblem(const StepText& row, int index, double kvScale, double maScale) {
    if (auto problem = valueProblem(row.kv, Field::Kv, index, kvScale, "kV")) {
        return problem;
    }
    if (auto problem = valueProblem(row.ma, Field::Ma, index, maScale, "mA")) {
        return problem;
    }
    const auto minutes = checkedMinutes(row, index);
    if (const auto* problem = std::get_if<Problem>(&minutes)) {
        return *problem;
    }
    return std::nullopt;
}

std::optional<bool> cyclingFrom(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("yes") || word == QLatin1String("1")) {
        return true;
    }
    if (word == QLatin1String("no") || word == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

}  // namespace

QStringList kvEntries() {
    return numberList(kKvListTop);
}

QStringList maEntries() {
    QStringList list{QStringLiteral("0")};
    for (int h = kMaFirst; h <= kMaLast; h += kMaStep) {
        if (h > kMaGapBelow && h < kMaGapAbove) {
            continue;
        }
        list << hundredthsText(h);
    }
    return list;
}

QStringList minuteEntries() {
    return numberList(kMinutesListTop);
}

Profile defaultProfile() {
    Profile profile;
    for (int i = 0; i < kSteps; ++i) {
        const DefaultRow& row = kDefaultProfile[i];
        profile[static_cast<std::size_t>(i)] = {QLatin1String(row.kv), QLatin1String(row.ma),
                                                QLatin1String(row.minutes), row.cycle};
    }
    return profile;
}

QString fieldName(Field field) {
    switch (field) {
        case Field::Kv:
            return QStringLiteral("kV");
        case Field::Ma:
            return QStringLiteral("mA");
        case Field::Minutes:
            return QStringLiteral("Time");
    }
    return {};
}

QString describe(const Problem& problem) {
    return QStringLiteral("Step %1, %2: %3.")
        .arg(problem.step)
        .arg(fieldName(problem.field), problem.reason);
}

std::optional<std::int16_t> minutesFrom(const QString& text) {
    const auto number = numberFrom(text);
    if (!number) {
        return std::nullopt;
    }
    return protocol::roundHalfEvenToInt16(*number);
}

std::variant<std::int16_t, Problem> checkedMinutes(const StepText& row, int index) {
    const int step = index + 1;
    if (auto problem = textProblem(row.minutes)) {
        return Problem{step, Field::Minutes, *problem};
    }
    const auto minutes = minutesFrom(row.minutes);
    if (!minutes || *minutes < 0) {
        return Problem{step, Field::Minutes,
                       quoted(row.minutes) + QStringLiteral(" is not from 0 to 32767 minutes")};
    }
    return *minutes;
}

std::variant<StepCounts, Problem> checkedCounts(const StepText& row, int index, double kvScale,
                                                double maScale) {
    // Both counts are worked out before anything is sent.
    const auto kv = countsOf(row.kv, Field::Kv, index, kvScale, "kV");
    if (const auto* problem = std::get_if<Problem>(&kv)) {
        return *problem;
    }
    const auto ma = countsOf(row.ma, Field::Ma, index, maScale, "mA");
    if (const auto* problem = std::get_if<Problem>(&ma)) {
        return *problem;
    }
    return StepCounts{std::get<std::int16_t>(kv), std::get<std::int16_t>(ma)};
}

std::optional<Problem> checkRun(const Profile& profile, double kvScale, double maScale) {
    for (int i = 0; i < kSteps; ++i) {
        const StepText& row = profile[static_cast<std::size_t>(i)];
        const auto minutes = checkedMinutes(row, i);
        if (const auto* problem = std::get_if<Problem>(&minutes)) {
            return *problem;
        }
        // A later step of 0 minutes ends the run before it is sent.
        if (i > 0 && std::get<std::int16_t>(minutes) == 0) {
            return std::nullopt;
        }
        const auto counts = checkedCounts(row, i, kvScale, maScale);
        if (const auto* problem = std::get_if<Problem>(&counts)) {
            return *problem;
        }
    }
    return std::nullopt;
}

QByteArray vrefCommand(std::int16_t counts) {
    return QByteArrayLiteral("VREF ") + QByteArray::number(counts) + ';';
}

QByteArray irefCommand(std::int16_t counts) {
    return QByteArrayLiteral("IREF ") + QByteArray::number(counts) + ';';
}

bool SeasonClock::countSecond() {
    timeSec = static_cast<std::int16_t>(timeSec + 1);
    if (timeSec >= kSecondsPerMinute) {
        timeSec = 0;
        CurrentTime = static_cast<std::int16_t>(CurrentTime - 1);
    }
    return CurrentTime == 0;
}

bool Rhythm::tick() {
    count = static_cast<std::int16_t>(count + 1);
    if (count == onTime) {
        return true;
    }
    if (count == period) {
        count = 0;
        return true;
    }
    return false;
}

std::optional<std::int16_t> secondsFrom(const QString& text) {
    if (text.trimmed().isEmpty()) {
        return std::nullopt;
    }
    const auto number = numberFrom(text);
    if (!number) {
        return std::nullopt;
    }
    return protocol::roundHalfEvenToInt16(*number);
}

QByteArray profileCsv(const Profile& profile) {
    QByteArray csv = kCsvHeader + '\n';
    for (int i = 0; i < kSteps; ++i) {
        const StepText& row = profile[static_cast<std::size_t>(i)];
        csv += QByteArray::number(i + 1) + ',' + row.kv.trimmed().toLatin1() + ',' +
               row.ma.trimmed().toLatin1() + ',' + row.minutes.trimmed().toLatin1() + ',' +
               (row.cycle ? QByteArrayLiteral("yes") : QByteArrayLiteral("no")) + '\n';
    }
    return csv;
}

std::variant<Profile, FileProblem> profileFromCsv(const QByteArray& bytes, double kvScale,
                                                  double maScale) {
    Profile profile;
    for (StepText& row : profile) {
        row = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), false};
    }
    const QList<QByteArray> lines = bytes.split('\n');
    int rows = 0;
    bool headerPossible = true;
    for (int n = 0; n < lines.size(); ++n) {
        const int lineNumber = n + 1;
        const QString line = QString::fromLatin1(lines[n]).trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QStringList fields = line.split(QLatin1Char(','));
        if (std::exchange(headerPossible, false) &&
            fields.front().trimmed().compare(QLatin1String("step"), Qt::CaseInsensitive) == 0) {
            continue;
        }
        if (fields.size() != kFileFields) {
            return FileProblem{lineNumber, QStringLiteral("it has %1 fields; a step has 5: %2")
                                               .arg(fields.size())
                                               .arg(QString::fromLatin1(kCsvHeader))};
        }
        if (rows == kSteps) {
            return FileProblem{lineNumber, QStringLiteral("a profile has at most 20 steps")};
        }
        const QString stepText = fields[0].trimmed();
        if (stepText != QString::number(rows + 1)) {
            return FileProblem{lineNumber, QStringLiteral("the step is %1 where %2 comes next")
                                               .arg(quoted(stepText))
                                               .arg(rows + 1)};
        }
        const auto cycle = cyclingFrom(fields[4]);
        if (!cycle) {
            return FileProblem{
                lineNumber,
                QStringLiteral("cycling is %1, not yes or no").arg(quoted(fields[4].trimmed()))};
        }
        const StepText row{fields[1].trimmed(), fields[2].trimmed(), fields[3].trimmed(), *cycle};
        if (const auto problem = rowProblem(row, rows, kvScale, maScale)) {
            return FileProblem{lineNumber, describe(*problem)};
        }
        profile[static_cast<std::size_t>(rows)] = row;
        ++rows;
    }
    if (rows == 0) {
        return FileProblem{1, QStringLiteral("the file holds no step")};
    }
    return profile;
}

std::optional<Problem> checkForSaving(const Profile& profile, double kvScale, double maScale) {
    for (int i = 0; i < kSteps; ++i) {
        if (auto problem = rowProblem(profile[static_cast<std::size_t>(i)], i, kvScale, maScale)) {
            return problem;
        }
    }
    return std::nullopt;
}

}  // namespace zov::core
