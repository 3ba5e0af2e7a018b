// The seasoning run and the cycle test as core objects, without a window,
// against the simulated supply on its serial side; the tests call the tick
// handlers instead of waiting seconds.
#include <QTemporaryDir>
#include <QtTest>

#include "core/cycle_run.h"
#include "core/seasoning_run.h"
#include "sim/simulator.h"

using zov::core::CycleRun;
using zov::core::SeasoningRun;
using zov::sim::ScriptedReply;
namespace core = zov::core;

namespace {

const QStringList kNothing;

struct Rig {
    // The simulated unit's full scales: 60 kV and 0.5 mA over 4095 counts.
    static constexpr double kKvScale = 60.0 / 4095.0;
    static constexpr double kMaScale = 0.5 / 4095.0;
    // Long enough that no real tick comes while a test drives the ticks.
    static constexpr int kNoRealTicksMs = 3600 * 1000;

    Rig() : exchange(state), supply(exchange, state, events) {
        const QString linkPath = directory.filePath(QStringLiteral("zov-port"));
        if (!sim.startPty(linkPath)) {
            qFatal("no simulator: %s", qPrintable(sim.errorString()));
        }
        sim.setUnsolicitedStatus(false);
        state.portType = QStringLiteral("comm1");
        exchange.serial().setDevice(linkPath);
        if (!exchange.serial().open()) {
            qFatal("the serial port did not open");
        }
        exchange.setReplyTimeLimitMs(200);
        state.KvScaleFactor = kKvScale;
        state.mAScaleFactor = kMaScale;
        season.Timer_Season().setInterval(kNoRealTicksMs);
        cycle.CycleTimer().setInterval(kNoRealTicksMs);
    }

    QStringList takeCommands() {
        QStringList commands = sim.commands();
        sim.clearCommands();
        return commands;
    }

    QTemporaryDir directory;
    zov::sim::Simulator sim;
    core::MainState state;
    core::SessionEvents events;
    core::CommandExchange exchange;
    core::Supply supply;
    SeasoningRun season{supply};
    CycleRun cycle{supply};
};

// Two steps of a minute, the second marked, then a step of 0 minutes.
core::Profile twoSteps() {
    core::Profile profile = core::defaultProfile();
    profile[0] = {"10", "0.1", "1", false};
    profile[1] = {"20", "0.2", "1", true};
    profile[2] = {"30", "0.3", "0", false};
    return profile;
}

}  // namespace

class CoreRunsTest : public QObject {
    Q_OBJECT
private slots:
    void seasoningStepsInOrder();
    void seasoningStopLeavesTheOutputAsItIs();
    void seasoningRefusesWhatItCannotRun();
    void cycleStop_data();
    void cycleStop();
    void cycleRefusesAPeriodBelowOneSecond();
};

void CoreRunsTest::seasoningStepsInOrder() {
    Rig rig;
    QStringList progress;
    QObject::connect(&rig.season, &SeasoningRun::progress,
                     [&](int step, const QString& kv, const QString& ma, int left) {
                         progress << QStringLiteral("%1 %2/%3 %4").arg(step).arg(kv, ma).arg(left);
                     });
    QList<SeasoningRun::End> ends;
    QObject::connect(&rig.season, &SeasoningRun::finished,
                     [&](SeasoningRun::End end) { ends << end; });
    QCOMPARE(rig.season.start(twoSteps()), std::nullopt);
    QVERIFY(rig.season.Timer_Season().isActive());

    // After so many ticks in all: what went out, the output, the position shown.
    const struct {
        int ticks;
        QStringList sent;
        bool outputOn;
        QString shown;
    } expected[] = {
        {0, {"VREF 682;", "IREF 819;"}, false, "1 10/0.1 1"},
        {59, {}, false, "1 10/0.1 1"},
        // The step change: its setpoints first, then the marked step's switch-on.
        {60, {"VREF 1365;", "IREF 1638;", "ENBL 1;"}, true, "1 10/0.1 1"},
        {61, {}, true, "2 20/0.2 1"},
        {90, {"ENBL 0;"}, false, "2 20/0.2 1"},
        {119, {}, false, "2 20/0.2 1"},
        // Back on at the period, and the step of 0 minutes ends the run unsent.
        {120, {"ENBL 1;"}, true, "2 20/0.2 1"},
    };
    int ticks = 0;
    for (const auto& at : expected) {
        while (ticks < at.ticks) {
            rig.season.Timer_Season_Timer();
            ++ticks;
        }
        QCOMPARE(rig.takeCommands(), at.sent);
        QCOMPARE(rig.sim.model().outputOn(), at.outputOn);
        QCOMPARE(progress.back(), at.shown);
    }
    QVERIFY(!rig.season.running());
    QCOMPARE(ends, QList<SeasoningRun::End>{SeasoningRun::End::LastStep});
    QVERIFY(!rig.season.Timer_Season().isActive());
    rig.season.Timer_Season_Timer();
    QCOMPARE(rig.takeCommands(), kNothing);
}

void CoreRunsTest::seasoningStopLeavesTheOutputAsItIs() {
    Rig rig;
    QList<SeasoningRun::End> ends;
    QObject::connect(&rig.season, &SeasoningRun::finished,
                     [&](SeasoningRun::End end) { ends << end; });
    QCOMPARE(rig.season.start(twoSteps()), std::nullopt);
    for (int i = 0; i < 70; ++i) {
        rig.season.Timer_Season_Timer();
    }
    QVERIFY(rig.sim.model().outputOn());
    rig.takeCommands();
    rig.season.stop();
    QCOMPARE(rig.takeCommands(), kNothing);
    QVERIFY(rig.sim.model().outputOn());
    QVERIFY(rig.supply.xrayRequested());
    QCOMPARE(ends, QList<SeasoningRun::End>{SeasoningRun::End::Stopped});
    rig.season.Timer_Season_Timer();
    rig.season.stop();
    QCOMPARE(rig.takeCommands(), kNothing);
    QCOMPARE(ends.size(), 1);
}

void CoreRunsTest::seasoningRefusesWhatItCannotRun() {
    Rig rig;
    rig.state.KvScaleFactor = 0.0;
    const auto problem = rig.season.start(twoSteps());
    QVERIFY(problem.has_value());
    QCOMPARE(problem->step, 1);
    QCOMPARE(problem->field, core::Field::Kv);
    QVERIFY(!rig.season.running());
    QVERIFY(!rig.season.Timer_Season().isActive());
    QCOMPARE(rig.takeCommands(), kNothing);
}

void CoreRunsTest::cycleStop_data() {
    QTest::addColumn<int>("ticks");          // of a 5 s on, 12 s period test
    QTest::addColumn<QString>("offReply");   // the unit's answer to the rhythm's off
    QTest::addColumn<QString>("meanwhile");  // after the ticks, before the stop
    QTest::addColumn<QStringList>("stopSends");
    const QStringList off{"ENBL 0;"};
    const QStringList none;
    QTest::newRow("on") << 3 << QString("own") << QString() << off;
    QTest::newRow("off confirmed") << 7 << QString("own") << QString() << none;
    QTest::newRow("off refused") << 7 << QString("refusal") << QString() << off;
    QTest::newRow("off unanswered") << 7 << QString("silence") << QString() << off;
    QTest::newRow("reported on since") << 7 << QString("own") << QString("reported on") << off;
    QTest::newRow("switched off by another") << 3 << QString("own") << QString("off") << none;
}

void CoreRunsTest::cycleStop() {
    QFETCH(int, ticks);
    QFETCH(QString, offReply);
    QFETCH(QString, meanwhile);
    QFETCH(QStringList, stopSends);
    Rig rig;
    int finished = 0;
    QObject::connect(&rig.cycle, &CycleRun::finished, [&] { ++finished; });
    QCOMPARE(rig.cycle.start(5, 12), std::nullopt);
    QVERIFY(rig.cycle.CycleTimer().isActive());
    if (offReply != QLatin1String("own")) {
        QVERIFY(rig.sim.script("ENBL 0;", offReply == QLatin1String("refusal")
                                              ? ScriptedReply::refusal()
                                              : ScriptedReply::silence()));
    }
    for (int i = 0; i < ticks; ++i) {
        rig.cycle.CycleTimer_Timer();
    }
    QCOMPARE(rig.takeCommands(),
             ticks >= 5 ? (QStringList{"ENBL 1;", "ENBL 0;"}) : QStringList{"ENBL 1;"});
    if (meanwhile == QLatin1String("reported on")) {
        rig.sim.model().setOutput(true);
        QVERIFY(rig.supply.readStatus().done());
    } else if (meanwhile == QLatin1String("off")) {
        QVERIFY(rig.supply.setXray(false).done());
    }
    rig.takeCommands();
    rig.cycle.stop();
    QCOMPARE(rig.takeCommands(), stopSends);
    QVERIFY(!rig.sim.model().outputOn());
    QVERIFY(!rig.cycle.running());
    QVERIFY(!rig.cycle.CycleTimer().isActive());
    QCOMPARE(finished, 1);
    rig.cycle.CycleTimer_Timer();
    QCOMPARE(rig.takeCommands(), kNothing);
}

void CoreRunsTest::cycleRefusesAPeriodBelowOneSecond() {
    Rig rig;
    QCOMPARE(
        rig.cycle.start(-1, 0),
        QStringLiteral("The period has to be at least 1 second; the cycle test did not start."));
    QVERIFY(!rig.cycle.running());
    QVERIFY(!rig.cycle.CycleTimer().isActive());
    rig.cycle.stop();
    QCOMPARE(rig.takeCommands(), kNothing);
}

QTEST_GUILESS_MAIN(CoreRunsTest)
#include "test_core_runs.moc"
