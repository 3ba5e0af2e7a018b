// X-ray enable, the status read, faults and arcs, the combined query and the
// unsolicited status messages, against the simulated supply.
#include <QtTest>

#include "app/extras_window.h"
#include "supply/fault_areas.h"
#include "supply/local_remote_area.h"
#include "supply/raw_data_window.h"
#include "supply/system_status_area.h"
#include "supply/xray_enable_area.h"
#include "supply_rig.h"

using zov::sim::ScriptedReply;
using zov::test::SupplyRig;
namespace supply = zov::supply;
namespace core = zov::core;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

struct StatusRig : SupplyRig {
    StatusRig() { window->extrasWindow(); }

    supply::SystemStatusArea& status() { return *areas.systemStatus; }
    zov::app::InstrumentButton& xraySwitch() { return *areas.xrayEnable->btn_HVONOFF(); }
    void clickSwitch() { xraySwitch().click(); }
    QString lastError() { return window->extrasWindow().txt_LASTERROR()->text(); }
    QString caption(const supply::Indicator& indicator) { return indicator.label->text(); }
    void replyOnce(const char* command, const char* body) {
        QVERIFY(sim.script(command, ScriptedReply::text(body)));
    }
};

}  // namespace

class StatusTest : public QObject {
    Q_OBJECT
private slots:
    void switchRequestsTheOppositeAndShowsTheAcknowledgement_data();
    void switchRequestsTheOppositeAndShowsTheAcknowledgement();
    void refusalsOtherAnswersAndSilence();
    void statusReadFollowsTheUnit();
    void everyFaultFlagBothWays();
    void arcCounting();
    void arcCountStopsAtItsLargestValue();
    void faultReset();
    void combinedQueryDecodesEveryField();
    void unsolicitedMessages();
    void linkChoiceRequestsStatus();
};

void StatusTest::switchRequestsTheOppositeAndShowsTheAcknowledgement_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void StatusTest::switchRequestsTheOppositeAndShowsTheAcknowledgement() {
    QFETCH(bool, tcp);
    StatusRig rig;
    rig.choose(tcp);
    const auto& relay = supply::rawDataWindow(*rig.window).interlock(1);

    rig.clickSwitch();
    QVERIFY(rig.sim.model().outputOn());
    QVERIFY(rig.xraySwitch().value());
    QVERIFY(rig.status().xray().led->value());
    QCOMPARE(rig.caption(rig.status().xray()), QStringLiteral("X-RAY ON"));
    QCOMPARE(supply::textColour(rig.status().xray().label), kRed);
    QCOMPARE(relay.lbl_INTRLK()->text(), QStringLiteral("Energized"));
    QVERIFY(relay.led_INTRLK()->value() && relay.led_NC()->value() && relay.led_NO()->value());
    QVERIFY(relay.line_NO1()->isVisibleTo(relay.parentWidget()));
    QVERIFY(!relay.line_NC1()->isVisibleTo(relay.parentWidget()));
    QCOMPARE(relay.lbl_RS()->text(), QStringLiteral("Relay Sense:          Low"));
    QCOMPARE(relay.lbl_AUX()->text(), QStringLiteral("AUX:  JB8-10 Floats"));
    QVERIFY(rig.receiveTimersRunning());

    rig.clickSwitch();
    QCOMPARE(rig.sim.commands(), (QStringList{"ENBL 1;", "ENBL 0;"}));
    QVERIFY(!rig.sim.model().outputOn());
    QCOMPARE(rig.caption(rig.status().xray()), QStringLiteral("X-RAY OFF"));
    QCOMPARE(supply::textColour(rig.status().xray().label), kBlack);
    QCOMPARE(relay.lbl_INTRLK()->text(), QStringLiteral("De-Energized"));
    QVERIFY(!relay.led_INTRLK()->value() && !relay.led_RS()->value());
    QVERIFY(relay.line_NC2()->isVisibleTo(relay.parentWidget()));
    QVERIFY(!relay.line_NO2()->isVisibleTo(relay.parentWidget()));
    QCOMPARE(relay.lbl_RS()->text(), QStringLiteral("Relay Sense:          High"));
    QCOMPARE(relay.lbl_AUX()->text(), QStringLiteral("AUX:  JB8-10 To GND"));
    QCOMPARE(rig.state().CommErrors, 0);
    // Neither window is shown by switching.
    QVERIFY(!supply::rawDataWindow(*rig.window).isVisible());
}

void StatusTest::refusalsOtherAnswersAndSilence() {
    StatusRig rig;
    rig.choose(false);
    // The interlock is open: the unit refuses, the switch keeps the request.
    rig.sim.model().setInterlockOpen(true);
    rig.clickSwitch();
    QCOMPARE(rig.lastError(), QStringLiteral("1"));
    QVERIFY(rig.xraySwitch().value());
    QVERIFY(!rig.status().xray().led->value());
    QCOMPARE(rig.caption(rig.status().xray()), QStringLiteral("X-RAY OFF"));

    // "2" says nothing: no indicator, no error.
    rig.sim.model().setInterlockOpen(false);
    rig.window->extrasWindow().setLastError(QString());
    rig.replyOnce("ENBL*", "2;");
    rig.clickSwitch();
    QVERIFY(!rig.xraySwitch().value());
    QCOMPARE(rig.lastError(), QString());
    QCOMPARE(rig.state().CommErrors, 0);

    // Silence: one error per click, the switch alternates all the same.
    QVERIFY(rig.sim.script("ENBL*", ScriptedReply::silence(), zov::sim::kUntilCleared));
    for (const bool expected : {true, false, true}) {
        rig.clickSwitch();
        QCOMPARE(rig.xraySwitch().value(), expected);
    }
    QCOMPARE(rig.state().CommErrors, 3);
    QCOMPARE(rig.window->extrasWindow().txt_COMMERRORS()->text(), QStringLiteral("3"));
    QCOMPARE(rig.caption(rig.status().xray()), QStringLiteral("X-RAY OFF"));
}

void StatusTest::statusReadFollowsTheUnit() {
    StatusRig rig;
    rig.choose(false);
    // "STAT;" says on: the switch follows and nothing is sent for it.
    rig.replyOnce("STAT;", "1;");
    rig.status().btn_REQSTAT()->click();
    QCOMPARE(rig.sim.commands(), (QStringList{"STAT;", "FLT;"}));
    QVERIFY(rig.xraySwitch().value());
    QCOMPARE(rig.caption(rig.status().xray()), QStringLiteral("X-RAY ON"));

    // The interlock, open in the same read, turns the switch off again.
    rig.replyOnce("STAT;", "1;");
    rig.replyOnce("FLT;", "00000001;");
    rig.status().btn_REQSTAT()->click();
    QVERIFY(!rig.xraySwitch().value());
    QVERIFY(rig.status().interlock().led->value());
    QCOMPARE(rig.caption(rig.status().interlock()), QStringLiteral("Interlock Open"));
    QCOMPARE(supply::textColour(rig.status().interlock().label), kRed);

    // No reply to "STAT;": one error, and the fault read still runs.
    rig.sim.clearCommands();
    rig.replyOnce("STAT;", "1;");
    QVERIFY(rig.sim.script("STAT;", ScriptedReply::silence()));
    rig.status().btn_REQSTAT()->click();  // the "1;" rule answers first
    rig.status().btn_REQSTAT()->click();
    QCOMPARE(rig.sim.commands(), (QStringList{"STAT;", "FLT;", "STAT;", "FLT;"}));
    QCOMPARE(rig.state().CommErrors, 1);
    QVERIFY(rig.xraySwitch().value());
    QCOMPARE(rig.caption(rig.status().interlock()), QStringLiteral("Interlock Closed"));
    QCOMPARE(supply::textColour(rig.status().interlock().label), kBlack);
    QVERIFY(rig.receiveTimersRunning());
}

void StatusTest::everyFaultFlagBothWays() {
    StatusRig rig;
    rig.choose(true);
    const auto flags = [&](const QByteArray& body) {
        QVERIFY(rig.sim.script("FLT;", ScriptedReply::text(body.toStdString() + ";")));
        rig.status().btn_REQSTAT()->click();
    };
    for (std::size_t i = 0; i < core::kFaultFlags.size(); ++i) {
        const auto& flag = core::kFaultFlags[i];
        QByteArray body(8, '0');
        body[flag.position - 2] = '1';
        flags(body);
        QVERIFY2(!rig.status().fault(i).led->value(), flag.led);
        QCOMPARE(rig.caption(rig.status().fault(i)), QLatin1String(flag.faultCaption));
        flags(QByteArray(8, '0'));
        QVERIFY2(rig.status().fault(i).led->value(), flag.led);
        QCOMPARE(rig.caption(rig.status().fault(i)), QLatin1String(flag.okCaption));
    }
    // Characters other than "0" and "1", and a short reply, change nothing.
    flags("x2?- ab");
    flags("");
    for (std::size_t i = 0; i < core::kFaultFlags.size(); ++i) {
        QVERIFY(rig.status().fault(i).led->value());
    }
    QCOMPARE(rig.caption(rig.status().interlock()), QStringLiteral("Interlock Closed"));
    // The unit's own flags: a latched over-voltage reads as one.
    rig.sim.model().setFault(zov::sim::Fault::OverVoltage, true);
    rig.status().btn_REQSTAT()->click();
    QCOMPARE(rig.caption(rig.status().fault(2)), QStringLiteral("Over Voltage Error"));
    QCOMPARE(rig.state().CommErrors, 0);
}

void StatusTest::arcCounting() {
    StatusRig rig;
    rig.choose(false);
    auto& arcs = *rig.areas.arc;
    const auto read = [&](const char* arcFlag) {
        QVERIFY(rig.sim.script("FLT;", ScriptedReply::text(std::string(arcFlag) + "0000000;")));
        rig.status().btn_REQSTAT()->click();
    };
    rig.clickSwitch();  // X-ray requested and on
    read("1");
    read("1");
    read("1");
    QCOMPARE(arcs.Txt_arcCount()->text(), QStringLiteral("1"));
    read("0");
    read("1");
    QCOMPARE(arcs.Txt_arcCount()->text(), QStringLiteral("2"));
    // "Clear Count" arms again and sends nothing.
    rig.sim.clearCommands();
    arcs.btn_clrArc()->click();
    QVERIFY(rig.sim.commands().isEmpty());
    QCOMPARE(arcs.Txt_arcCount()->text(), QStringLiteral("0"));
    QCOMPARE(rig.state().ArcArmed, 1);
    // With the switch off an arc counts nothing and the counter stays armed.
    rig.clickSwitch();
    read("1");
    QCOMPARE(arcs.Txt_arcCount()->text(), QStringLiteral("0"));
    QCOMPARE(rig.state().ArcArmed, 1);
    // The unit's own arc, seen by the next read.
    rig.clickSwitch();
    rig.sim.model().arc();
    rig.status().btn_REQSTAT()->click();
    QCOMPARE(arcs.Txt_arcCount()->text(), QStringLiteral("1"));
    QCOMPARE(rig.caption(rig.status().fault(core::kArcFlag)), QStringLiteral("Arc Error"));
}

void StatusTest::arcCountStopsAtItsLargestValue() {
    core::ArcCounter counter{1, 32766};
    for (int read = 0; read < 4; ++read) {
        counter = core::afterArcRead(counter, true, true);
        counter = core::afterArcRead(counter, false, true);
    }
    QCOMPARE(counter.count, std::int16_t(32767));
    QCOMPARE(counter.armed, std::int16_t(1));
    QCOMPARE(core::afterArcRead({1, 5}, std::nullopt, true).count, std::int16_t(5));
}

void StatusTest::faultReset() {
    StatusRig rig;
    rig.choose(false);
    auto* reset = rig.areas.resetFault->btn_RSTTIME();
    rig.sim.model().setFault(zov::sim::Fault::Temperature, true);
    reset->click();
    QCOMPARE(rig.sim.commands(), QStringList{"CLR;"});
    QVERIFY(!rig.sim.model().anyFault());
    QVERIFY(!reset->value());  // ";" is no "$"
    QCOMPARE(reset->text(), QStringLiteral("RESET"));
    rig.replyOnce("CLR;", "$");
    reset->click();
    QVERIFY(reset->value());
    QCOMPARE(reset->text(), QStringLiteral("In Process!"));
    QVERIFY(QTest::qWaitFor([&] { return rig.receiveTimersRunning(); }, 100));
    QVERIFY(rig.sim.script("CLR;", ScriptedReply::silence()));
    reset->click();
    QVERIFY(!reset->value());
    QCOMPARE(rig.state().CommErrors, 0);
}

void StatusTest::combinedQueryDecodesEveryField() {
    StatusRig rig;
    rig.choose(true);
    auto& status = rig.status();
    auto* watchdogItem = rig.item("enableWdt");
    rig.replyOnce("22,", "22,1,1,1,1,1,1,1,1,");
    status.Command2()->click();
    QCOMPARE(rig.sim.commands(), QStringList{"22,"});
    QCOMPARE(rig.caption(status.xray()), QStringLiteral("X-RAY ON"));
    // An open interlock holds the switch off, whatever the X-ray field said.
    QVERIFY(!rig.xraySwitch().value());
    QCOMPARE(rig.caption(status.interlock()), QStringLiteral("Interlock Open"));
    QCOMPARE(rig.caption(status.supplyFault()), QStringLiteral("P.S. FAULT"));
    QCOMPARE(supply::textColour(status.supplyFault().label), kRed);
    QVERIFY(rig.areas.localRemote->btn_local_remote()->value());
    QVERIFY(status.currentMode().led->value());
    QCOMPARE(rig.caption(status.rov()), QStringLiteral("Rov On"));
    QCOMPARE(rig.caption(status.aol()), QStringLiteral("Aol On"));
    QCOMPARE(rig.caption(status.watchdog()), QStringLiteral("WDT On"));
    QVERIFY(rig.state().wdtEnabled);
    QCOMPARE(watchdogItem->text(), QStringLiteral("Disable Watchdog Timer"));
    QVERIFY(rig.receiveTimersRunning());

    rig.replyOnce("22,", "22,1,0,0,0,0,0,0,0,");
    status.Command2()->click();
    QVERIFY(rig.xraySwitch().value());
    QCOMPARE(rig.caption(status.supplyFault()), QStringLiteral("NO P.S. FAULT"));
    QCOMPARE(supply::textColour(status.supplyFault().label), kBlack);
    QVERIFY(!rig.areas.localRemote->btn_local_remote()->value());
    QCOMPARE(rig.caption(status.aol()), QStringLiteral("Aol Off"));
    QVERIFY(!rig.state().wdtEnabled);
    QCOMPARE(watchdogItem->text(), QStringLiteral("Enable Watchdog Timer"));

    // Other characters, and a reply that is another command's, change nothing.
    rig.replyOnce("22,", "22,x,1,?,1,1,1,1,1,");
    status.Command2()->click();
    rig.replyOnce("22,", "27,0,1,1,1,1,1,1,1,");
    status.Command2()->click();
    QCOMPARE(rig.caption(status.xray()), QStringLiteral("X-RAY ON"));
    QCOMPARE(rig.caption(status.interlock()), QStringLiteral("Interlock Open"));
    QCOMPARE(rig.caption(status.supplyFault()), QStringLiteral("NO P.S. FAULT"));
    QCOMPARE(rig.caption(status.aol()), QStringLiteral("Aol On"));
    QCOMPARE(rig.state().CommErrors, 0);
    QVERIFY(rig.sim.script("22,", ScriptedReply::silence()));
    status.Command2()->click();
    QCOMPARE(rig.state().CommErrors, 1);
}

void StatusTest::unsolicitedMessages() {
    StatusRig rig;
    rig.choose(true);
    auto& status = rig.status();
    // Split across reads.
    rig.sim.sendStatus(
        ScriptedReply::text("22,1,0,1,0,0,0,0,0,").splitAt({6, 12}, std::chrono::milliseconds(30)));
    QTRY_COMPARE(rig.caption(status.xray()), QStringLiteral("X-RAY ON"));
    QVERIFY(rig.xraySwitch().value());
    QCOMPARE(rig.caption(status.supplyFault()), QStringLiteral("P.S. FAULT"));
    QCOMPARE(rig.caption(status.interlock()), QStringLiteral("Interlock Closed"));
    QCOMPARE(rig.panel(3), QStringLiteral("\x02"
                                          "22,1,0,1,0,0,0,0,0,\x03"));

    // Two in one read: both decoded, the later one last. An output reported
    // off is never left showing "X-RAY ON".
    rig.sim.sendStatus(
        ScriptedReply::raw("\x02"
                           "22,0,1,0,\x03\x02"
                           "22,0,0,0,\x03"));
    QTRY_COMPARE(rig.caption(status.xray()), QStringLiteral("X-RAY OFF"));
    QVERIFY(!rig.xraySwitch().value());
    QCOMPARE(rig.caption(status.interlock()), QStringLiteral("Interlock Closed"));
    QCOMPARE(rig.caption(status.supplyFault()), QStringLiteral("NO P.S. FAULT"));

    // The unit's own message when its interlock opens.
    rig.sim.setUnsolicitedStatus(true);
    rig.sim.model().setInterlockOpen(true);
    QTRY_COMPARE(rig.caption(status.interlock()), QStringLiteral("Interlock Open"));
    QCOMPARE(rig.state().CommErrors, 0);
}

void StatusTest::linkChoiceRequestsStatus() {
    StatusRig rig;
    rig.sim.model().setInterlockOpen(true);
    rig.window->linkSelection().mnu_comm2_Click();
    // The status first, then the automatic update with its identity reads.
    QCOMPARE(rig.sim.commands().mid(0, 3), (QStringList{"STAT;", "FLT;", "HWVR;"}));
    QCOMPARE(rig.caption(rig.status().interlock()), QStringLiteral("Interlock Open"));
    rig.goManual();
    rig.window->linkSelection().mnu_comm1_Click();
    QCOMPARE(rig.sim.commands().first(), QStringLiteral("HWVR;"));  // no status read for COMM1
}

QTEST_MAIN(StatusTest)
#include "test_status.moc"
