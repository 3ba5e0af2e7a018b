// Stops and timers: a stopped cycle test leaves the output off whatever the
// switch shows, its held-back tick dies with it, and a rhythm that cannot
// run is refused. Service windows: what is saved is what the window shows,
// and a typed value becomes only counts the unit's converters take.
#include <QPushButton>
#include <QtTest>

#include "config/factory_config_window.h"
#include "config/user_options_window.h"
#include "config_rig.h"
#include "season_rig.h"
#include "truth_groups.h"

using zov::config::FactoryConfigWindow;
using zov::config::UserOptionsWindow;
using zov::core::FactoryField;
using zov::sim::ScriptedReply;
using zov::test::ConfigRig;
using CycleRig = zov::test::CycleTestRig;

namespace {

using namespace std::chrono_literals;
namespace core = zov::core;

class StopsTruth : public QObject {
    Q_OBJECT
private slots:
    void stopAfterAnUnconfirmedOffSwitchesOff_data();
    void stopAfterAnUnconfirmedOffSwitchesOff();
    void heldBackTickDiesWithTheTest();
    void periodBelowOneSecondIsRefused_data();
    void periodBelowOneSecondIsRefused();
};

void StopsTruth::stopAfterAnUnconfirmedOffSwitchesOff_data() {
    QTest::addColumn<bool>("refused");  // else no reply at all
    QTest::newRow("unit refuses ENBL 0") << true;
    QTest::newRow("unit does not answer ENBL 0") << false;
}

// The off of the rhythm goes unconfirmed: the switch shows off, yet the
// output may be on, so Stop asks for off all the same.
void StopsTruth::stopAfterAnUnconfirmedOffSwitchesOff() {
    QFETCH(bool, refused);
    CycleRig rig;
    rig.startWith(QStringLiteral("2"), QStringLiteral("5"));
    QVERIFY(
        rig.sim.script("ENBL 0;", refused ? ScriptedReply::refusal() : ScriptedReply::silence()));
    rig.tickCycle(2);
    QCOMPARE(rig.takeCommands(), (QStringList{"ENBL 1;", "ENBL 0;"}));
    QVERIFY(!rig.xraySwitch().value());
    QCOMPARE(rig.sim.model().outputOn(), refused);

    rig.item("menu_cycleHv")->trigger();
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 0;"});
    QVERIFY(rig.idle());
    QVERIFY(!rig.sim.model().outputOn());
}

// A tick falls due while a status read waits for a late reply and is held
// back; the operator stops the test and starts another before its turn. The
// held-back tick must not switch the output inside the new start's box.
void StopsTruth::heldBackTickDiesWithTheTest() {
    CycleRig rig;
    rig.cycleTest().CycleTimer().setInterval(40);
    rig.startWith(QStringLiteral("1"), QStringLiteral("5"));
    QCOMPARE(rig.takeCommands(), QStringList{"ENBL 1;"});
    int ticksHeldBack = 0;
    QObject::connect(&rig.cycleTest().CycleTimer(), &QTimer::timeout, rig.window.get(),
                     [&] { ticksHeldBack += rig.exchange().isWaiting() ? 1 : 0; });
    QVERIFY(rig.sim.script("STAT;", ScriptedReply::own().late(150ms)));
    rig.window->findChild<QPushButton*>(QStringLiteral("btn_REQSTAT"))->click();
    QVERIFY(ticksHeldBack > 0);

    rig.item("menu_cycleHv")->trigger();
    QCOMPARE(rig.takeCommands().filter(QStringLiteral("ENBL")), QStringList{"ENBL 0;"});
    QStringList sentWhileAsking;
    rig.prompter.whileInputShown([&] {
        rig.settle(100);
        sentWhileAsking << rig.takeCommands();
    });
    rig.prompter.cancelInput();
    rig.item("menu_cycleHv")->trigger();
    rig.prompter.whileInputShown({});
    QCOMPARE(sentWhileAsking, QStringList());
    QVERIFY(rig.idle());
    rig.settle(100);
    QCOMPARE(rig.takeCommands(), QStringList());
    QVERIFY(!rig.sim.model().outputOn());
}

void StopsTruth::periodBelowOneSecondIsRefused_data() {
    QTest::addColumn<QString>("onTime");
    QTest::addColumn<QString>("period");
    QTest::newRow("period 0 after on time -1") << "-1"
                                               << "0";
    QTest::newRow("period -2 after on time -5") << "-5"
                                                << "-2";
}

// The count would reach such a period only by running through 16 bits: the
// output would stay on for 65 535 s.
void StopsTruth::periodBelowOneSecondIsRefused() {
    QFETCH(QString, onTime);
    QFETCH(QString, period);
    CycleRig rig;
    rig.startWith(onTime, period);
    QCOMPARE(
        rig.prompter.texts().back(),
        QStringLiteral("The period has to be at least 1 second; the cycle test did not start."));
    QVERIFY(rig.idle());
    QCOMPARE(rig.takeCommands(), QStringList());
}

class ServiceTruth : public QObject {
    Q_OBJECT
private slots:
    void optionsNotReadAreNotSaved_data();
    void optionsNotReadAreNotSaved();
    void turnOnOutsideTheConverterIsRefused_data();
    void turnOnOutsideTheConverterIsRefused();
};

void ServiceTruth::optionsNotReadAreNotSaved_data() {
    QTest::addColumn<bool>("silent");  // else a reply with five of the nine options
    QTest::newRow("no reply to 27,") << true;
    QTest::newRow("five options") << false;
}

// The window shows start values, not the unit's: saving them would set
// every option of the unit to what nobody chose.
void ServiceTruth::optionsNotReadAreNotSaved() {
    QFETCH(bool, silent);
    ConfigRig rig;
    rig.sim.model().options() = {1, 105, 25, 0, 5, 10, 50, 1, 0};
    QVERIFY(rig.sim.script(
        "27,", silent ? ScriptedReply::silence() : ScriptedReply::text("27,1,105,25,0,5,")));
    rig.whileOpen<UserOptionsWindow>([](UserOptionsWindow& window) { window.Command1_Click(); });
    zov::config::openUserOptions(*rig.window);
    QCOMPARE(rig.sim.commands(), QStringList{"27,"});
    const QStringList messages = rig.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().startsWith(QStringLiteral("User Configs: The unit's options could "
                                                        "not be read")),
             qPrintable(messages.first()));
    QCOMPARE(rig.sim.model().options().rampTenths, 25);
    QVERIFY(rig.receiveTimersRunning());
}

void ServiceTruth::turnOnOutsideTheConverterIsRefused_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("sent");  // empty: refused
    QTest::newRow("below 0") << "-40" << QString();
    QTest::newRow("past full scale") << "200" << QString();
    QTest::newRow("full scale") << "80"
                                << "FTON 4095;";
}

// On an 80 kV unit, as the preheat is refused outside 0 to 2 A.
void ServiceTruth::turnOnOutsideTheConverterIsRefused() {
    QFETCH(QString, entry);
    QFETCH(QString, sent);
    ConfigRig rig;
    rig.state().KvScaleFactor = 80.0 / 4095;
    rig.prompter.answerInput(QStringLiteral("7955"));
    rig.whileOpen<FactoryConfigWindow>([&](FactoryConfigWindow& window) {
        window.Command2_Click();
        rig.letUnitAnswer(1);
        rig.prompter.answerInput(entry);
        window.program(
            core::kProgrammingButtons[static_cast<std::size_t>(FactoryField::FilamentTurnOn)]);
        QCOMPARE(window.field(FactoryField::FilamentTurnOn)->text(), entry);
    });
    rig.trigger("mnu_Config");
    rig.settle(50);
    if (sent.isEmpty()) {
        QCOMPARE(rig.sim.commands(), QStringList{"PASS 7955;"});
        QCOMPARE(rig.messages(),
                 QStringList{QStringLiteral("Entry Refused: A filament turn-on voltage of %1 kV is "
                                            "not from 0 to 80 kV.\r\nNothing was sent.")
                                 .arg(entry)});
    } else {
        QCOMPARE(rig.sim.commands(), (QStringList{"PASS 7955;", sent}));
        QCOMPARE(rig.messages(), QStringList());
    }
}

ZOV_TRUTH_GROUP(StopsTruth);
ZOV_TRUTH_GROUP(ServiceTruth);

}  // namespace

#include "truth_stops_and_service.moc"
