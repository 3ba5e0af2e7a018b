// The HV cycle test against the simulated supply: its two entries and their
// refusals, the on/off rhythm with ticks driven by the test, stopping, and
// one run on a real (shortened) CycleTimer.
#include <QtTest>

#include "season_rig.h"

using zov::test::SeasonRig;
using CycleRig = zov::test::CycleTestRig;

namespace {

const QStringList kNothing;

}  // namespace

class CycleTestTest : public QObject {
    Q_OBJECT
private slots:
    void startsIdle();
    void onFivePeriodTwelve();
    void startWithTheOutputOnSwitchesItOffFirst();
    void periodNotAboveOnTimeIsRefused();
    void entriesThatCannotRunAreRefused_data();
    void entriesThatCannotRunAreRefused();
    void entriesRoundHalfToEven();
    void onTimeOfZeroTogglesOncePerPeriod();
    void stopLeavesTheOutputOff();
    void togglesTheSimulatedOutputOnARealTimer();
};

void CycleTestTest::startsIdle() {
    CycleRig rig;
    QVERIFY(rig.idle());
    QCOMPARE(rig.cycleTest().CycleTimer().objectName(), QStringLiteral("CycleTimer"));
    QCOMPARE(rig.window->findChild<QTimer*>(QStringLiteral("CycleTimer")),
             &rig.cycleTest().CycleTimer());
    QCOMPARE(rig.cycleTest().CycleTimer().parent(), &rig.cycleTest().run());
    QCOMPARE(rig.cycleTest().run().parent(), &rig.cycleTest());
    // Its menu item sits between the watchdog item and the seasoning item.
    const QList<QAction*> items = rig.window->controlsMenu().actions();
    const auto at = items.indexOf(rig.item("menu_cycleHv"));
    QCOMPARE(items[at - 1]->objectName(), QStringLiteral("enableWdt"));
    QCOMPARE(items[at + 1]->objectName(), QStringLiteral("menu_Season"));
}

void CycleTestTest::onFivePeriodTwelve() {
    CycleRig rig;
    rig.startWith(QStringLiteral("5"), QStringLiteral("12"));
    QVERIFY(rig.prompter.scriptDone());
    const auto& shown = rig.prompter.shown();
    QCOMPARE(shown[shown.size() - 2].text, QStringLiteral("Enter the ON time in seconds...."));
    QCOMPARE(shown[shown.size() - 2].defaultText, QString());
    QCOMPARE(shown.back().text, QStringLiteral("Enter the period.... (> ON time)"));
    QCOMPARE(rig.caption(), QStringLiteral("Cycle Test Off"));
    QCOMPARE(rig.cycleTest().cycleTestActive(), std::int16_t(-1));
    QVERIFY(rig.cycleTest().CycleTimer().isActive());
    QCOMPARE(rig.cycleTest().CycleTimer().interval(), SeasonRig::kNoRealTicksMs);
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 1;"});

    QMap<int, QString> byTick;
    for (int t = 1; t <= 29; ++t) {
        rig.tickCycle();
        const QStringList commands = rig.takeCommands();
        QVERIFY(commands.size() <= 1);
        if (!commands.isEmpty()) {
            byTick[t] = commands.front();
        }
    }
    QCOMPARE(byTick.keys(), (QList<int>{5, 12, 17, 24, 29}));
    QCOMPARE(byTick[5], QStringLiteral("ENBL 0;"));
    QCOMPARE(byTick[12], QStringLiteral("ENBL 1;"));
    QCOMPARE(byTick[17], QStringLiteral("ENBL 0;"));
    QCOMPARE(byTick[24], QStringLiteral("ENBL 1;"));
    QCOMPARE(rig.cycleTest().cycleTestCount(), std::int16_t(5));
    QVERIFY(!rig.sim.model().outputOn());
    QCOMPARE(rig.state().CommErrors, 0);
}

void CycleTestTest::startWithTheOutputOnSwitchesItOffFirst() {
    CycleRig rig;
    rig.xraySwitch().click();
    rig.takeCommands();
    rig.startWith(QStringLiteral("5"), QStringLiteral("12"));
    QCOMPARE(rig.takeCommands(), (QStringList{"ENBL 0;", "ENBL 1;"}));
    QVERIFY(rig.sim.model().outputOn());
}

void CycleTestTest::periodNotAboveOnTimeIsRefused() {
    CycleRig rig;
    rig.startWith(QStringLiteral("10"), QStringLiteral("10"));
    QCOMPARE(rig.prompter.texts().back(),
             QStringLiteral("Period has to be greater than the On time"));
    QCOMPARE(rig.prompter.shown().back().kind, zov::test::ScriptedPrompter::Kind::Message);
    QVERIFY(rig.idle());
    QCOMPARE(rig.takeCommands(), kNothing);
    // A new click asks again.
    rig.startWith(QStringLiteral("3"), QStringLiteral("4"));
    QCOMPARE(rig.caption(), QStringLiteral("Cycle Test Off"));
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 1;"});
}

void CycleTestTest::entriesThatCannotRunAreRefused_data() {
    QTest::addColumn<QStringList>("entries");  // "<cancel>" cancels the box
    QTest::addColumn<QString>("message");      // empty: none
    QTest::newRow("cancelled on time") << QStringList{"<cancel>"} << QString();
    QTest::newRow("cancelled period") << QStringList{"5", "<cancel>"} << QString();
    QTest::newRow("empty on time")
        << QStringList{""} << "No ON time was entered; the cycle test did not start.";
    QTest::newRow("empty period") << QStringList{"5", "  "}
                                  << "No period was entered; the cycle test did not start.";
    QTest::newRow("words") << QStringList{"five"}
                           << "The ON time \"five\" is not a number of seconds from -32768 to "
                              "32767; the cycle test did not start.";
    QTest::newRow("too large") << QStringList{"5", "40000"}
                               << "The period \"40000\" is not a number of seconds from -32768 to "
                                  "32767; the cycle test did not start.";
}

void CycleTestTest::entriesThatCannotRunAreRefused() {
    QFETCH(QStringList, entries);
    QFETCH(QString, message);
    CycleRig rig;
    for (const QString& entry : entries) {
        if (entry == QLatin1String("<cancel>")) {
            rig.prompter.cancelInput();
        } else {
            rig.prompter.answerInput(entry);
        }
    }
    const auto before = rig.prompter.shown().size();
    rig.item("menu_cycleHv")->trigger();
    QVERIFY(rig.prompter.scriptDone());
    QCOMPARE(rig.prompter.shown().size(),
             before + static_cast<std::size_t>(entries.size()) + (message.isEmpty() ? 0 : 1));
    if (!message.isEmpty()) {
        QCOMPARE(rig.prompter.texts().back(), message);
    }
    QVERIFY(rig.idle());
    QCOMPARE(rig.takeCommands(), kNothing);
}

void CycleTestTest::entriesRoundHalfToEven() {
    CycleRig rig;
    rig.startWith(QStringLiteral("2.5"), QStringLiteral("3.5"));
    QCOMPARE(rig.cycleTest().cycleTestOnTime(), std::int16_t(2));
    QCOMPARE(rig.cycleTest().cycleTestPeriod(), std::int16_t(4));
    rig.takeCommands();
    rig.tickCycle(2);
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 0;"});
    rig.tickCycle(2);
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 1;"});
}

void CycleTestTest::onTimeOfZeroTogglesOncePerPeriod() {
    CycleRig rig;
    rig.startWith(QStringLiteral("0"), QStringLiteral("3"));
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 1;"});
    QStringList sent;
    for (int t = 1; t <= 9; ++t) {
        rig.tickCycle();
        sent << rig.takeCommands();
    }
    QCOMPARE(sent, (QStringList{"ENBL 0;", "ENBL 1;", "ENBL 0;"}));
}

void CycleTestTest::stopLeavesTheOutputOff() {
    CycleRig rig;
    rig.startWith(QStringLiteral("5"), QStringLiteral("12"));
    rig.tickCycle(3);
    rig.takeCommands();
    rig.item("menu_cycleHv")->trigger();
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 0;"});
    QVERIFY(rig.idle());
    QVERIFY(!rig.sim.model().outputOn());
    rig.tickCycle(20);
    QCOMPARE(rig.takeCommands(), kNothing);

    // Stopping while the output is off sends nothing.
    rig.startWith(QStringLiteral("5"), QStringLiteral("12"));
    rig.tickCycle(7);
    rig.takeCommands();
    rig.item("menu_cycleHv")->trigger();
    QCOMPARE(rig.takeCommands(), kNothing);
    QVERIFY(rig.idle());
}

// The done-when run: the simulated output follows the rhythm on a real
// CycleTimer (shortened to 20 ms a second), beside a seasoning run's timer.
void CycleTestTest::togglesTheSimulatedOutputOnARealTimer() {
    CycleRig rig;
    rig.cycleTest().CycleTimer().setInterval(20);
    QList<bool> outputs{rig.sim.model().outputOn()};
    QTimer watch;
    watch.setInterval(3);
    QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
        const bool on = rig.sim.model().outputOn();
        if (outputs.back() != on) {
            outputs << on;
        }
    });
    // Status reads with late replies on a timer of their own, so that ticks
    // fall inside their waits.
    QVERIFY(rig.sim.script("STAT;",
                           zov::sim::ScriptedReply::own().late(std::chrono::milliseconds(30)),
                           zov::sim::kUntilCleared));
    QTimer competitor;
    competitor.setInterval(50);
    rig.exchange().connectTimer(competitor, &competitor, [&rig] {
        rig.window->findChild<QPushButton*>(QStringLiteral("btn_REQSTAT"))->click();
    });
    bool nested = false;
    QObject::connect(&rig.exchange(), &zov::core::CommandExchange::transmitted, &watch,
                     [&] { nested = nested || rig.exchange().isWaiting(); });
    int ticksInsideWaits = 0;
    QObject::connect(&rig.cycleTest().CycleTimer(), &QTimer::timeout, &watch,
                     [&] { ticksInsideWaits += rig.exchange().isWaiting() ? 1 : 0; });
    watch.start();
    competitor.start();
    rig.startWith(QStringLiteral("2"), QStringLiteral("5"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.commands().filter(QStringLiteral("ENBL")).size() >= 7, 20000);
    rig.item("menu_cycleHv")->trigger();
    competitor.stop();
    rig.settle(60);
    watch.stop();
    QVERIFY(!nested);
    QVERIFY(ticksInsideWaits > 0);
    const QStringList commands = rig.takeCommands().filter(QStringLiteral("ENBL"));
    for (int i = 0; i < commands.size(); ++i) {
        QCOMPARE(commands[i], i % 2 == 0 ? QStringLiteral("ENBL 1;") : QStringLiteral("ENBL 0;"));
    }
    QVERIFY(outputs.size() >= 7);
    for (int i = 0; i < outputs.size(); ++i) {
        QCOMPARE(outputs[i], i % 2 == 1);
    }
    QVERIFY(!rig.sim.model().outputOn());
    QCOMPARE(rig.state().CommErrors, 0);
}

QTEST_MAIN(CycleTestTest)
#include "test_cycle_test.moc"
