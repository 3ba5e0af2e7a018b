// The seasoning profile without windows: lists, the default programme, the
// checks before a step is sent, counts and commands, the clocks, the file.
#include <QtTest>

#include "core/season_profile.h"

using namespace zov::core;

namespace {

constexpr double kKvScale = 60.0 / 4095.0;  // the simulated unit: 60 kV full scale
constexpr double kMaScale = 0.5 / 4095.0;

int runMinutes(const Profile& profile) {
    int total = 0;
    for (std::size_t i = 0; i < profile.size(); ++i) {
        const int minutes = *minutesFrom(profile[i].minutes);
        if (i > 0 && minutes == 0) {
            break;
        }
        total += minutes;
    }
    return total;
}

Problem problemOf(const std::optional<Problem>& problem) {
    if (!problem) {
        qFatal("no problem found");
    }
    return *problem;
}

}  // namespace

class SeasonProfileTest : public QObject {
    Q_OBJECT
private slots:
    void listsAreTheUnitsLists();
    void defaultProgramme();
    void countsRoundHalfToEven();
    void startChecksTheRowsTheRunReaches();
    void clockCountsWholeMinutes();
    void rhythmOfMarkedSteps();
    void cycleTestEntries();
    void fileRoundTrip();
    void fileRefusals_data();
    void fileRefusals();
    void shortFileEndsTheRunAfterItsLastStep();
    void savingRefusesWhatCouldNotBeLoaded();
};

void SeasonProfileTest::listsAreTheUnitsLists() {
    const QStringList kv = kvEntries();
    QCOMPARE(kv.size(), 101);
    QCOMPARE(kv.front(), QStringLiteral("0"));
    QCOMPARE(kv.back(), QStringLiteral("100"));
    QCOMPARE(kv[40], QStringLiteral("40"));

    const QStringList ma = maEntries();
    QCOMPARE(ma.size(), 29);
    QCOMPARE(ma.mid(0, 5), (QStringList{"0", "0.1", "0.15", "0.2", "0.25"}));
    QVERIFY(!ma.contains(QStringLiteral("1.2")));
    QVERIFY(!ma.contains(QStringLiteral("1")));
    QCOMPARE(ma.indexOf(QStringLiteral("1.0")) + 1, ma.indexOf(QStringLiteral("1.05")));
    QCOMPARE(ma.indexOf(QStringLiteral("1.15")) + 1, ma.indexOf(QStringLiteral("1.25")));
    QCOMPARE(ma.back(), QStringLiteral("1.5"));
    for (const QString& entry : ma) {
        QVERIFY2(entry == QLatin1String("0") || entry == QLatin1String("1.0") ||
                     !entry.endsWith(QLatin1Char('0')),
                 qPrintable(entry));
    }

    const QStringList minutes = minuteEntries();
    QCOMPARE(minutes.size(), 61);
    QCOMPARE(minutes.back(), QStringLiteral("60"));
}

void SeasonProfileTest::defaultProgramme() {
    const Profile profile = defaultProfile();
    QCOMPARE(runMinutes(profile), 238);
    QCOMPARE(profile[0], (StepText{"40", "0.15", "5", false}));
    QCOMPARE(profile[6].ma, QStringLiteral("1.0"));
    QCOMPARE(profile[12].kv, QStringLiteral("84"));
    for (int i = 0; i < kSteps; ++i) {
        QCOMPARE(profile[static_cast<std::size_t>(i)].cycle, i >= 14 && i <= 16);
        // Every default text is an entry of its list.
        QVERIFY(kvEntries().contains(profile[static_cast<std::size_t>(i)].kv));
        QVERIFY(maEntries().contains(profile[static_cast<std::size_t>(i)].ma));
        QVERIFY(minuteEntries().contains(profile[static_cast<std::size_t>(i)].minutes));
    }
    QVERIFY(!checkRun(profile, kKvScale, kMaScale));
}

void SeasonProfileTest::countsRoundHalfToEven() {
    const auto counts = checkedCounts({"40", "0.15", "5", false}, 0, kKvScale, kMaScale);
    QCOMPARE(std::get<StepCounts>(counts).kv, std::int16_t(2730));
    QCOMPARE(std::get<StepCounts>(counts).ma, std::int16_t(1228));  // 1228.5
    QCOMPARE(vrefCommand(2730), QByteArray("VREF 2730;"));
    QCOMPARE(irefCommand(-7), QByteArray("IREF -7;"));
    QCOMPARE(irefCommand(0), QByteArray("IREF 0;"));

    const auto halves = checkedCounts({"1.25", "1.75", "1", false}, 0, 0.5, 0.5);
    QCOMPARE(std::get<StepCounts>(halves).kv, std::int16_t(2));
    QCOMPARE(std::get<StepCounts>(halves).ma, std::int16_t(4));
    // "1.2" is no list entry but a number like any other.
    const auto typed = checkedCounts({"0", "1.2", "1", false}, 0, kKvScale, 0.001);
    QCOMPARE(std::get<StepCounts>(typed).ma, std::int16_t(1200));
    // Above the unit's rating still runs.
    const auto high = checkedCounts({"100", "1.5", "1", false}, 0, kKvScale, kMaScale);
    QCOMPARE(std::get<StepCounts>(high).kv, std::int16_t(6825));
}

void SeasonProfileTest::startChecksTheRowsTheRunReaches() {
    Profile profile = defaultProfile();
    QVERIFY(!checkRun(profile, kKvScale, kMaScale));

    // The scale is not read yet.
    Problem problem = problemOf(checkRun(profile, 0.0, kMaScale));
    QCOMPARE(problem.step, 1);
    QCOMPARE(problem.field, Field::Kv);
    QVERIFY(describe(problem).startsWith(QStringLiteral("Step 1, kV: ")));

    profile[3].ma = QStringLiteral("abc");
    problem = problemOf(checkRun(profile, kKvScale, kMaScale));
    QCOMPARE(describe(problem), QStringLiteral("Step 4, mA: \"abc\" is not a number."));
    profile[3].ma = QString();
    QCOMPARE(describe(problemOf(checkRun(profile, kKvScale, kMaScale))),
             QStringLiteral("Step 4, mA: the box is empty."));
    profile[3].ma = QStringLiteral("0.55");

    profile[5].minutes = QStringLiteral("-1");
    problem = problemOf(checkRun(profile, kKvScale, kMaScale));
    QCOMPARE(problem.step, 6);
    QCOMPARE(problem.field, Field::Minutes);
    QCOMPARE(fieldName(problem.field), QStringLiteral("Time"));
    profile[5].minutes = QStringLiteral("32768");
    QCOMPARE(problemOf(checkRun(profile, kKvScale, kMaScale)).step, 6);
    profile[5].minutes = QStringLiteral("32767");
    QVERIFY(!checkRun(profile, kKvScale, kMaScale));

    // Counts outside 16 bits.
    profile[7].kv = QStringLiteral("500");
    problem = problemOf(checkRun(profile, kKvScale, kMaScale));
    QCOMPARE(problem.step, 8);
    QVERIFY2(problem.reason.contains(QStringLiteral("34125")), qPrintable(problem.reason));

    // Behind a step of 0 minutes nothing is reached: not even its own setpoints.
    profile[7].minutes = QStringLiteral("0");
    QVERIFY(!checkRun(profile, kKvScale, kMaScale));
    profile[8].kv = QStringLiteral("junk");
    QVERIFY(!checkRun(profile, kKvScale, kMaScale));
    // Its minutes are read, though.
    profile[7].minutes = QStringLiteral("x");
    QCOMPARE(problemOf(checkRun(profile, kKvScale, kMaScale)).step, 8);

    // A first step of 0 minutes still runs, one second long.
    Profile first = defaultProfile();
    first[0].minutes = QStringLiteral("0");
    first[1].kv = QStringLiteral("?");
    QCOMPARE(problemOf(checkRun(first, kKvScale, kMaScale)).step, 2);
    // Minutes round like every count: 2.5 is 2.
    QCOMPARE(*minutesFrom(QStringLiteral("2.5")), std::int16_t(2));
    QCOMPARE(*minutesFrom(QStringLiteral("3.5")), std::int16_t(4));
}

void SeasonProfileTest::clockCountsWholeMinutes() {
    SeasonClock clock{0, 2, 0};
    int ticks = 0;
    while (!clock.countSecond()) {
        ++ticks;
        QVERIFY(ticks < 1000);
    }
    QCOMPARE(ticks + 1, 120);
    QCOMPARE(clock.timeSec, std::int16_t(0));

    SeasonClock zero{0, 0, 0};
    QVERIFY(zero.countSecond());
}

void SeasonProfileTest::rhythmOfMarkedSteps() {
    Rhythm rhythm{0, kCycleOnTime, kCyclePeriod};
    QList<int> toggles;
    for (int t = 1; t <= 130; ++t) {
        if (rhythm.tick()) {
            toggles << t;
        }
    }
    QCOMPARE(toggles, (QList<int>{30, 60, 90, 120}));

    // An on time of 0 or less never reaches the switch-off tick.
    Rhythm never{0, 0, 4};
    toggles.clear();
    for (int t = 1; t <= 12; ++t) {
        if (never.tick()) {
            toggles << t;
        }
    }
    QCOMPARE(toggles, (QList<int>{4, 8, 12}));
}

void SeasonProfileTest::cycleTestEntries() {
    QCOMPARE(*secondsFrom(QStringLiteral("5")), std::int16_t(5));
    QCOMPARE(*secondsFrom(QStringLiteral(" 2.5")), std::int16_t(2));
    QCOMPARE(*secondsFrom(QStringLiteral("3.5")), std::int16_t(4));
    QCOMPARE(*secondsFrom(QStringLiteral("-3")), std::int16_t(-3));
    QVERIFY(!secondsFrom(QString()));
    QVERIFY(!secondsFrom(QStringLiteral("  ")));
    QVERIFY(!secondsFrom(QStringLiteral("five")));
    QVERIFY(!secondsFrom(QStringLiteral("32768")));
    QVERIFY(!secondsFrom(QStringLiteral("1e3")));
}

void SeasonProfileTest::fileRoundTrip() {
    Profile profile = defaultProfile();
    profile[2].kv = QStringLiteral("45.5");
    profile[3].cycle = true;
    const QByteArray csv = profileCsv(profile);
    QVERIFY(csv.startsWith("step,kV,mA,minutes,cycling\n1,40,0.15,5,no\n"));
    QVERIFY(csv.contains("\n15,80,1.25,15,yes\n"));
    QVERIFY(csv.endsWith("\n20,80,1.25,1,no\n"));
    const auto read = profileFromCsv(csv, kKvScale, kMaScale);
    QVERIFY(std::holds_alternative<Profile>(read));
    QVERIFY(std::get<Profile>(read) == profile);
    // Without the scale read, a file still loads; CRLF line ends and blanks too.
    QByteArray windows = csv;
    windows.replace("\n", " \r\n");
    QVERIFY(std::get<Profile>(profileFromCsv(windows, 0.0, 0.0)) == profile);
}

void SeasonProfileTest::fileRefusals_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << 1 << "the file holds no step";
    QTest::newRow("header only") << QByteArray("step,kV,mA,minutes,cycling\n") << 1
                                 << "the file holds no step";
    QTest::newRow("fields") << QByteArray("step,kV,mA,minutes,cycling\n1,40,0.15,5\n") << 2
                            << "it has 4 fields";
    QTest::newRow("step order") << QByteArray("1,40,0.15,5,no\n3,40,0.15,5,no\n") << 2
                                << "the step is \"3\" where 2 comes next";
    QTest::newRow("kV") << QByteArray("1,40,0.15,5,no\n\n2,forty,0.15,5,no\n") << 3
                        << "Step 2, kV: \"forty\" is not a number.";
    QTest::newRow("minutes") << QByteArray("1,40,0.15,-5,no\n") << 1 << "Step 1, Time: ";
    QTest::newRow("cycling") << QByteArray("1,40,0.15,5,maybe\n") << 1
                             << "cycling is \"maybe\", not yes or no";
    QTest::newRow("counts") << QByteArray("1,4000,0.15,5,no\n") << 1 << "Step 1, kV: 4000 kV";
    QByteArray many("step,kV,mA,minutes,cycling\n");
    for (int i = 1; i <= 21; ++i) {
        many += QByteArray::number(i) + ",40,0.15,1,no\n";
    }
    QTest::newRow("21 steps") << many << 22 << "at most 20 steps";
}

void SeasonProfileTest::fileRefusals() {
    QFETCH(QByteArray, csv);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const auto read = profileFromCsv(csv, kKvScale, kMaScale);
    QVERIFY(std::holds_alternative<FileProblem>(read));
    const FileProblem& problem = std::get<FileProblem>(read);
    QCOMPARE(problem.line, line);
    QVERIFY2(problem.reason.contains(reason), qPrintable(problem.reason));
}

void SeasonProfileTest::shortFileEndsTheRunAfterItsLastStep() {
    const auto read = profileFromCsv("1,10,0.1,0,yes\n2,20,0.2,1,no\n", kKvScale, kMaScale);
    const Profile& profile = std::get<Profile>(read);
    QCOMPARE(profile[0], (StepText{"10", "0.1", "0", true}));
    QCOMPARE(profile[1], (StepText{"20", "0.2", "1", false}));
    for (std::size_t i = 2; i < profile.size(); ++i) {
        QCOMPARE(profile[i], (StepText{"0", "0", "0", false}));
    }
    QVERIFY(!checkRun(profile, kKvScale, kMaScale));
    QCOMPARE(runMinutes(profile), 1);
}

void SeasonProfileTest::savingRefusesWhatCouldNotBeLoaded() {
    Profile profile = defaultProfile();
    QVERIFY(!checkForSaving(profile, kKvScale, kMaScale));
    QVERIFY(!checkForSaving(profile, 0.0, 0.0));
    // Even behind a step of 0 minutes: the file has to load again.
    profile[18].minutes = QStringLiteral("0");
    profile[19].ma = QStringLiteral("1,5");
    const Problem problem = problemOf(checkForSaving(profile, kKvScale, kMaScale));
    QCOMPARE(problem.step, 20);
    QCOMPARE(problem.field, Field::Ma);
}

QTEST_GUILESS_MAIN(SeasonProfileTest)
#include "test_season_profile.moc"
