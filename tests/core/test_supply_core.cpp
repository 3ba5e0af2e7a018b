// The supply's operations without a window, against the simulated supply
// over a pseudo-terminal and TCP: the commands each one sends, the outcome
// it reports for an answer, a refusal and silence, and what the readings
// keep of it (time, stale mark, the unit's own scale).
#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "core/link_opening.h"
#include "core/scaling.h"
#include "core/supply.h"
#include "sim/simulator.h"

namespace core = zov::core;
using core::Answer;
using zov::sim::ScriptedReply;

namespace {

constexpr int kReplyLimitMs = 300;

struct Rig {
    explicit Rig(bool tcp) {
        QVERIFY(directory.isValid());
        const QString linkPath = directory.filePath(QStringLiteral("zov-port"));
        QVERIFY2(sim.startPty(linkPath), qPrintable(sim.errorString()));
        QVERIFY2(sim.startTcp(0), qPrintable(sim.errorString()));
        sim.setUnsolicitedStatus(false);
        exchange.setReplyTimeLimitMs(kReplyLimitMs);
        const auto failed =
            tcp ? core::openTcpLink(exchange, state, QStringLiteral("127.0.0.1"), sim.tcpPort())
                : core::openSerialLink(exchange, state, linkPath, 115200);
        QVERIFY2(!failed, qPrintable(failed.value_or(QString())));
        supply.readScaling();
        sim.clearCommands();
    }

    QTemporaryDir directory;
    zov::sim::Simulator sim;
    core::MainState state;
    core::SessionEvents events;
    core::CommandExchange exchange{state};
    core::Supply supply{exchange, state, events};
};

using Operation = std::function<Answer(core::Supply&)>;

struct Case {
    const char* name;
    Operation run;
    QStringList sent;
};

// Every operation once, with what it sends.
const std::vector<Case>& operations() {
    static const std::vector<Case> cases{
        {"read kV setpoint",
         [](core::Supply& s) { return s.readSetpoint(core::Channel::A).answer; },
         {"VSET;"}},
        {"program kV",
         [](core::Supply& s) { return s.program(core::Channel::A, 2730).answer; },
         {"VREF 2730;"}},
        {"program filament limit",
         [](core::Supply& s) { return s.program(core::Channel::C, 819).answer; },
         {"12,819,"}},
        {"X-ray on", [](core::Supply& s) { return s.setXray(true).answer; }, {"ENBL 1;"}},
        {"X-ray off", [](core::Supply& s) { return s.setXray(false).answer; }, {"ENBL 0;"}},
        {"status", [](core::Supply& s) { return s.readStatus().answer; }, {"STAT;", "FLT;"}},
        {"combined status", [](core::Supply& s) { return s.readCombinedStatus().answer; }, {"22,"}},
        {"reset faults", [](core::Supply& s) { return s.resetFaults().answer; }, {"CLR;"}},
        {"monitors",
         [](core::Supply& s) { return s.readMonitors(core::kHvMonitors).answer; },
         {"VMON;", "IMON;", "FMON;"}},
        {"model",
         [](core::Supply& s) { return s.readIdentity(core::IdentityItem::Model).answer; },
         {"MODR;"}},
        {"software revision",
         [](core::Supply& s) {
             return s.readIdentity(core::IdentityItem::SoftwareRevision).answer;
         },
         {"FREV;"}},
        {"scaling", [](core::Supply& s) { return s.readScaling().answer; }, {"SLVR ;", "SLIR ;"}},
        {"remote", [](core::Supply& s) { return s.setRemote(true).answer; }, {"99,1,"}},
        {"local", [](core::Supply& s) { return s.setRemote(false).answer; }, {"99,0,"}},
        {"raw command", [](core::Supply& s) { return s.send("SNUR;").answer; }, {"SNUR;"}},
    };
    return cases;
}

const core::ProgrammingButton& button(core::FactoryField field) {
    return core::kProgrammingButtons[static_cast<std::size_t>(field)];
}

// The service operations once each, in an order the unit takes them in
// (unlocked before factory data). One whose last answer is never awaited
// stays NoAnswer when the unit takes it.
struct ServiceCase {
    const char* name;
    Operation run;
    QStringList sent;
    Answer taken;
    const char* refusable;  // the command a refusal is scripted for
};

const std::vector<ServiceCase>& serviceOperations() {
    static const std::vector<ServiceCase> cases{
        {"access code",
         [](core::Supply& s) { return s.sendAccessCode("7955").answer; },
         {"PASS 7955;"},
         Answer::NoAnswer,
         nullptr},
        {"configuration",
         [](core::Supply& s) { return s.readConfiguration().answer; },
         {"CONF;"},
         Answer::Done,
         "CONF;"},
        {"factory model",
         [](core::Supply& s) {
             return s.programFactoryField(button(core::FactoryField::Model), "ZOV80N100", "0")
                 .answer;
         },
         {"MODP ZOV80N100;"},
         Answer::NoAnswer,
         nullptr},
        {"factory scaling",
         [](core::Supply& s) {
             return s.programFactoryField(button(core::FactoryField::Scaling), "80,1", "0").answer;
         },
         {"SLVP 8000;", "SLIP 1000;"},
         Answer::NoAnswer,
         "SLVP*"},
        {"user options",
         [](core::Supply& s) { return s.readUserOptions().answer; },
         {"27,"},
         Answer::Done,
         "27,"},
        {"save options",
         [](core::Supply& s) { return s.saveUserOptions(core::startTexts()).answer; },
         {"09,0,0,0,0,0,0,0,0,0,"},
         Answer::Done,
         "09,*"},
        {"serial number set",
         [](core::Supply& s) { return s.setSerialNumber("SN7").answer; },
         {"SNUS SN7;"},
         Answer::NoAnswer,
         nullptr},
        {"serial number read",
         [](core::Supply& s) { return s.readIdentity(core::IdentityItem::SerialNumber).answer; },
         {"SNUR;"},
         Answer::Done,
         nullptr},
        {"hardware revision",
         [](core::Supply& s) { return s.setHardwareRevision("B02").answer; },
         {"40,B02,"},
         Answer::Done,
         "40,*"},
        {"total hours",
         [](core::Supply& s) { return s.resetTotalHours().answer; },
         {"30,"},
         Answer::Done,
         "30,"},
        {"watchdog on",
         [](core::Supply& s) { return s.setWatchdog(true).answer; },
         {"WDTE 1;"},
         Answer::Done,
         "WDTE*"},
        {"pass-through",
         [](core::Supply& s) { return s.togglePassThrough().answer; },
         {"96,"},
         Answer::Done,
         "96,"},
        {"zero current",
         [](core::Supply& s) { return s.zeroSetpoint(core::Channel::B).answer; },
         {"11,0,"},
         Answer::NoAnswer,
         nullptr},
    };
    return cases;
}

void addLinks() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

}  // namespace

class SupplyCoreTest : public QObject {
    Q_OBJECT
private slots:
    void eachOperationSendsItsCommandsAndIsDone_data() { addLinks(); }
    void eachOperationSendsItsCommandsAndIsDone();
    void refusalAndSilenceAreNeverDone_data() { addLinks(); }
    void refusalAndSilenceAreNeverDone();
    void readingsKeepTheirTimeStaleMarkAndTheUnitsScale();
    void aLostLinkLeavesEveryReadingStale_data() { addLinks(); }
    void aLostLinkLeavesEveryReadingStale();
    void serviceOperationsSendTheirCommands_data() { addLinks(); }
    void serviceOperationsSendTheirCommands();
};

void SupplyCoreTest::eachOperationSendsItsCommandsAndIsDone() {
    QFETCH(bool, tcp);
    Rig rig(tcp);
    for (const Case& operation : operations()) {
        rig.sim.clearCommands();
        const Answer answer = operation.run(rig.supply);
        QVERIFY2(answer == Answer::Done, qPrintable(QStringLiteral("%1: %2").arg(
                                             operation.name, core::answerName(answer))));
        QCOMPARE(rig.sim.commands(), operation.sent);
    }
}

// An operation the unit refuses reports the refusal; a reply that is another
// command's is unreadable; one it does not answer reports no answer and
// leaves what it would have refreshed stale.
void SupplyCoreTest::refusalAndSilenceAreNeverDone() {
    QFETCH(bool, tcp);
    Rig rig(tcp);
    struct Refusable {
        const char* name;
        const char* command;
        Operation run;
    };
    const Refusable refusable[] = {
        {"program", "VREF*", operations()[1].run}, {"X-ray on", "ENBL*", operations()[3].run},
        {"status", "FLT;", operations()[5].run},   {"reset faults", "CLR;", operations()[7].run},
        {"remote", "99,*", operations()[12].run},
    };
    for (const Refusable& operation : refusable) {
        rig.sim.script(operation.command, ScriptedReply::refusal());
        QCOMPARE(operation.run(rig.supply), Answer::Refused);
        rig.sim.clearScripts();
    }
    const Refusable otherNumbers[] = {{"program filament limit", "12,*", operations()[2].run},
                                      {"remote", "99,*", operations()[12].run}};
    for (const Refusable& operation : otherNumbers) {
        rig.sim.script(operation.command, ScriptedReply::text("14,1,"));
        QVERIFY2(operation.run(rig.supply) == Answer::Unreadable, operation.name);
        rig.sim.clearScripts();
    }
    rig.supply.readSetpoint(core::Channel::A);
    rig.supply.readStatus();
    QVERIFY(rig.supply.readings().setpoint(core::Channel::A).live());
    QVERIFY(rig.supply.readings().xrayOn.live());
    rig.sim.script("*", ScriptedReply::silence(), zov::sim::kUntilCleared);
    for (const Case& operation : operations()) {
        QVERIFY2(operation.run(rig.supply) == Answer::NoAnswer, operation.name);
    }
    const auto& readings = rig.supply.readings();
    for (const auto* reading : {&readings.xrayOn, &readings.interlockOpen}) {
        QVERIFY(reading->known() && reading->stale);
    }
    QVERIFY(readings.setpoint(core::Channel::A).stale);
    QVERIFY(readings.faults[0].stale);
}

void SupplyCoreTest::readingsKeepTheirTimeStaleMarkAndTheUnitsScale() {
    Rig rig(false);
    const QDateTime before = QDateTime::currentDateTime();
    const auto kv = rig.supply.readSetpoint(core::Channel::A);
    QVERIFY(kv.done() && kv.value.scaled);
    QCOMPARE(*kv.value.scaled, kv.value.count * rig.state.KvScaleFactor);
    const auto& reading = rig.supply.readings().setpoint(core::Channel::A);
    QVERIFY(reading.live() && reading.at >= before);
    QVERIFY(rig.supply.readings().voltageFullScaleKv.known());

    // Another link may lead to another unit: stale, and its scale read again first.
    rig.supply.linkGone();
    QVERIFY(reading.stale && reading.known());
    QVERIFY(!core::unitScale(rig.state, &core::MainState::KvScaleFactor));
    rig.sim.clearCommands();
    QVERIFY(rig.supply.readSetpoint(core::Channel::A).done());
    QCOMPARE(rig.sim.commands(), (QStringList{"SLVR ;", "VSET;"}));
    QVERIFY(reading.live());

    // A unit that does not give its scale gets its count shown, never a converted value.
    rig.supply.linkGone();
    rig.sim.script("SLVR ;", ScriptedReply::silence());
    const auto unscaled = rig.supply.readSetpoint(core::Channel::A);
    QVERIFY(unscaled.done());
    QVERIFY(!unscaled.value.scaled);
    QCOMPARE(QString::fromStdString(unscaled.value.display), QLatin1String(core::kNoScaleText));
}

// A port that fails or a connection the unit closes is told once, with why,
// and the supply marks what it holds stale on its own: no host has to.
void SupplyCoreTest::aLostLinkLeavesEveryReadingStale() {
    QFETCH(bool, tcp);
    Rig rig(tcp);
    QVERIFY(rig.supply.readStatus().done());
    QVERIFY(rig.supply.readings().xrayOn.live());
    QSignalSpy lost(&rig.exchange, &core::CommandExchange::linkLost);
    if (tcp) {
        rig.sim.dropTcpConnections();
    } else {
        rig.sim.closePty();
    }
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY(lost.front().front().toString().contains(tcp ? "TCP connection closed"
                                                         : "serial port failed"));
    QVERIFY(rig.supply.readings().xrayOn.stale);
    QVERIFY(!core::unitScale(rig.state, &core::MainState::KvScaleFactor));
    QVERIFY(!rig.exchange.link().isOpen());
}

// An awaited service command is done, refused or unanswered as the unit
// says; one whose answer is never awaited is never reported done.
void SupplyCoreTest::serviceOperationsSendTheirCommands() {
    QFETCH(bool, tcp);
    Rig rig(tcp);
    for (const ServiceCase& operation : serviceOperations()) {
        rig.sim.clearCommands();
        const Answer answer = operation.run(rig.supply);
        QVERIFY2(answer == operation.taken, qPrintable(QStringLiteral("%1: %2").arg(
                                                operation.name, core::answerName(answer))));
        QTRY_COMPARE(rig.sim.commands(), operation.sent);
        // An answer never awaited is given time to arrive, as between an
        // operator's clicks, so the next command does not meet it in flight.
        const auto settle = [&] {
            if (operation.taken != Answer::Done) {
                QTest::qWait(kReplyLimitMs);
            }
        };
        settle();
        if (operation.refusable) {
            rig.sim.script(operation.refusable, ScriptedReply::refusal());
            QVERIFY2(operation.run(rig.supply) == Answer::Refused, operation.name);
            rig.sim.clearScripts();
            settle();
        }
    }
    rig.sim.script("*", ScriptedReply::silence(), zov::sim::kUntilCleared);
    for (const ServiceCase& operation : serviceOperations()) {
        QVERIFY2(operation.run(rig.supply) == Answer::NoAnswer, operation.name);
    }
}

QTEST_GUILESS_MAIN(SupplyCoreTest)
#include "test_supply_core.moc"
