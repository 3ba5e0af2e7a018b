// The channel editor, the monitor reads and the automatic update cycle,
// against the simulated supply.
#include <QtTest>

#include "app/extras_window.h"
#include "supply/dac_editor_area.h"
#include "supply/dac_settings_area.h"
#include "supply/raw_data_window.h"
#include "supply/readbacks_area.h"
#include "supply/update_cycle.h"
#include "supply_rig.h"

using zov::sim::ScriptedReply;
using zov::test::SupplyRig;
namespace supply = zov::supply;
using zov::core::Channel;
using zov::core::Monitor;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

const QStringList kIdentityReads{"HWVR;", "MODR;", "FREV;", "SOFT;", "SNUR;"};
const QStringList kOneCycle{"VMON;", "IMON;", "FMON;", "VSET;",  "ISET;",  "STAT;",
                            "FLT;",  "LVPS;", "TEMP;", "SLVR ;", "SLIR ;", "WDTT;"};

struct CycleRig : SupplyRig {
    CycleRig() { window->extrasWindow(); }

    supply::DacEditorArea& editor() { return *areas.dacEditor; }
    supply::ReadbacksArea& readbacks() { return *areas.readbacks; }
    supply::UpdateCycle& cycle() { return *areas.updateCycle; }
    QLineEdit* display(Channel channel) { return areas.dacSettings->displayBox(channel); }
    QString monitor(Monitor monitor) { return readbacks().displayBox(monitor)->text(); }
    void select(Channel channel) { editor().option(channel)->click(); }
    void edit(Channel channel, int count) {
        select(channel);
        editor().ctrl_BITVAL()->setValue(count);
    }
    // One cycle by its tick handler, with the timer itself held off. The steps
    // keep a little of the timer's gap, so the keep-alive's unread
    // acknowledgement has come before the next command goes out, as it has
    // 66 ms later in the real cycle.
    void runCycle() {
        for (int step = 0; step < zov::core::kUpdateSteps; ++step) {
            exchange().tmr_UPDATE().stop();
            cycle().tmr_UPDATE_Timer();
            settle(10);
        }
        exchange().tmr_UPDATE().stop();
    }
};

}  // namespace

class UpdateCycleTest : public QObject {
    Q_OBJECT
private slots:
    void editorKeepsCountAndScaledValueInStep();
    void programAndRevertEveryChannel();
    void programOutcomes();
    void monitorConversions();
    void monitorReadsStopAtAnUnreadableReply();
    void automaticCycleSendsItsTwelveSteps();
    void modeSwitchedInsideAStep();
    void silentSupplyIsSeenAndRecovers();
};

void UpdateCycleTest::editorKeepsCountAndScaledValueInStep() {
    CycleRig rig;
    auto& editor = rig.editor();
    QCOMPARE(editor.lbl_CHMOD()->text(), QStringLiteral("Now Modifying KV_PROG"));
    QVERIFY(editor.ctrl_BITVAL()->isHidden());
    QVERIFY(editor.option(Channel::C)->isHidden());
    rig.select(Channel::B);
    QCOMPARE(editor.lbl_CHMOD()->text(), QStringLiteral("Now Modifying MA_PROG"));
    QCOMPARE(editor.ctrl_BITVAL()->value(), 0.0);
    QCOMPARE(editor.ctrl_SCALVAL()->value(), 0.0);
    editor.ctrl_SCALVAL()->setValue(50);
    QVERIFY(editor.ctrl_SCALVAL()->value() <= 8.56);
    QCOMPARE(editor.ctrl_BITVAL()->value(), 4095.0);  // 8.56 mA is past full scale
    QCOMPARE(rig.state().NewDAC_B, std::int16_t(4095));

    // A scaled value between counts stores the count rounded half to even.
    rig.state().KvScaleFactor = 2.0;
    rig.select(Channel::A);
    editor.ctrl_SCALVAL()->setValue(4097);
    QCOMPARE(rig.state().NewDAC_A, std::int16_t(2048));
    QCOMPARE(editor.ctrl_SCALVAL()->value(), 4096.0);
    editor.ctrl_SCALVAL()->setValue(4099);
    QCOMPARE(rig.state().NewDAC_A, std::int16_t(2050));

    // Before the unit's scale is known nothing divides by it: the count stays.
    rig.state().KvScaleFactor = 0.0;
    rig.select(Channel::A);
    editor.ctrl_SCALVAL()->setValue(30);
    QCOMPARE(rig.state().NewDAC_A, std::int16_t(0));
    QCOMPARE(editor.ctrl_SCALVAL()->value(), 0.0);
    QVERIFY(!editor.scaleNotice()->isHidden());

    // Once the scale is read, the same count shows in the new units.
    rig.choose(false);
    editor.ctrl_BITVAL()->setValue(4095);
    rig.window->supply().readScaling();
    QCOMPARE(editor.ctrl_SCALVAL()->value(), 60.0);
    QCOMPARE(editor.ctrl_SCALVAL()->singleStep(), 60.0 / 4095);
    QVERIFY(editor.scaleNotice()->isHidden());
}

void UpdateCycleTest::programAndRevertEveryChannel() {
    CycleRig rig;
    rig.choose(false);
    struct Case {
        Channel channel;
        int count;
        const char* command;
        const char* confirmation;
    };
    // The confirmations use the unit's scale (60 kV, 0.5 mA) for A and B.
    for (const Case& c : {Case{Channel::A, 4095, "VREF 4095;", "60.000 kV"},
                          Case{Channel::B, 2048, "IREF 2048;", "0.250 mA"},
                          Case{Channel::C, 819, "12,819,", "1.000 A"},
                          Case{Channel::D, 1638, "13,1638,", "1.000 A"}}) {
        rig.sim.clearCommands();
        rig.edit(c.channel, c.count);
        rig.editor().btn_ACCEPT()->click();
        QCOMPARE(rig.sim.commands(), QStringList{c.command});
        QCOMPARE(rig.display(c.channel)->text(), QLatin1String(c.confirmation));
        QCOMPARE(zov::test::background(rig.display(c.channel)), kWhite);
        QCOMPARE(supply::rawDataWindow(*rig.window).rawDacBox(c.channel)->text(),
                 QString::number(c.count));
    }
    QCOMPARE(rig.sim.model().setpoint(zov::sim::Channel::Voltage), 4095);
    QCOMPARE(rig.sim.model().setpoint(zov::sim::Channel::FilamentPreheat), 1638);

    // Revert sends the accepted count, never the edited one, and changes no display.
    rig.edit(Channel::C, 100);
    QCOMPARE(rig.state().NewDAC_C, std::int16_t(100));
    rig.sim.clearCommands();
    rig.editor().btn_CANCEL()->click();
    QCOMPARE(rig.editor().ctrl_BITVAL()->value(), 819.0);
    QCOMPARE(rig.state().NewDAC_C, std::int16_t(819));
    QTRY_COMPARE(rig.sim.commands(), QStringList{"12,819"});
    QCOMPARE(rig.display(Channel::C)->text(), QStringLiteral("1.000 A"));
    QVERIFY(!rig.exchange().tmr_RCVTIMER().isActive());
    // Selecting a channel brings back its own accepted count.
    rig.select(Channel::A);
    QCOMPARE(rig.editor().ctrl_BITVAL()->value(), 4095.0);
}

void UpdateCycleTest::programOutcomes() {
    CycleRig rig;
    rig.choose(true);
    rig.state().KvScaleFactor = 60.0 / 4095;

    // While the reply is awaited the box reads "Not Set".
    QString whileWaiting;
    QVERIFY(rig.sim.script("VREF*", ScriptedReply::own().late(std::chrono::milliseconds(100))));
    QTimer::singleShot(40, [&] { whileWaiting = rig.display(Channel::A)->text(); });
    rig.edit(Channel::A, 2048);
    rig.editor().btn_ACCEPT()->click();
    QCOMPARE(whileWaiting, QStringLiteral("Not Set"));
    QCOMPARE(rig.display(Channel::A)->text(), QStringLiteral("30.007 kV"));

    QVERIFY(rig.sim.script("VREF*", ScriptedReply::refusal()));
    rig.edit(Channel::A, 100);
    rig.editor().btn_ACCEPT()->click();
    QCOMPARE(rig.display(Channel::A)->text(), QStringLiteral("Invalid"));
    QCOMPARE(zov::test::background(rig.display(Channel::A)), kYellow);
    QCOMPARE(rig.window->extrasWindow().txt_LASTERROR()->text(), QStringLiteral("1"));
    QCOMPARE(rig.state().OldDAC_A, std::int16_t(100));  // accepted whatever the answer

    QVERIFY(rig.sim.script("VREF*", ScriptedReply::silence()));
    rig.edit(Channel::A, 200);
    rig.editor().btn_ACCEPT()->click();
    QCOMPARE(rig.display(Channel::A)->text(), QStringLiteral("No Comms"));
    QCOMPARE(zov::test::background(rig.display(Channel::A)), kRed);
    QCOMPARE(rig.state().CommErrors, 1);
    QCOMPARE(rig.state().OldDAC_A, std::int16_t(200));

    // Another command's acknowledgement is none of this one's.
    QVERIFY(rig.sim.script("12,*", ScriptedReply::text("13,$,")));
    rig.edit(Channel::C, 819);
    rig.editor().btn_UPDATE()->click();
    QCOMPARE(rig.display(Channel::C)->text(), QStringLiteral("No Comms"));
    QCOMPARE(rig.state().CommErrors, 2);
    QCOMPARE(rig.window->extrasWindow().txt_COMMERRORS()->text(), QStringLiteral("2"));
    // "TRY OUT" alone leaves the accepted count as it was.
    QCOMPARE(rig.state().OldDAC_C, std::int16_t(0));
    // A later good transmit turns the box white again.
    rig.editor().btn_UPDATE()->click();
    QCOMPARE(rig.display(Channel::C)->text(), QStringLiteral("1.000 A"));
    QCOMPARE(zov::test::background(rig.display(Channel::C)), kWhite);
}

void UpdateCycleTest::monitorConversions() {
    CycleRig rig;
    rig.choose(false);
    auto& model = rig.sim.model();
    model.pinMonitor(zov::sim::Monitor::Voltage, 4095);
    model.pinMonitor(zov::sim::Monitor::Current, 2048);
    model.pinMonitor(zov::sim::Monitor::Filament, 4095);
    model.pinMonitor(zov::sim::Monitor::AuxSupply, 6382);
    model.pinMonitor(zov::sim::Monitor::Temperature, 341);

    auto* update = rig.readbacks().btn_UPDATEDATA();
    update->click();
    QCOMPARE(rig.sim.commands(), (QStringList{"VMON;", "IMON;", "FMON;", "LVPS;", "TEMP;"}));
    QCOMPARE(update->text(), QStringLiteral("UPDATE"));
    QCOMPARE(rig.monitor(Monitor::Voltage), QStringLiteral("60.000 kV"));
    QCOMPARE(rig.monitor(Monitor::Current), QStringLiteral("0.250 mA"));
    QCOMPARE(rig.monitor(Monitor::Filament), QStringLiteral("6.000 A"));
    QCOMPARE(rig.monitor(Monitor::AuxSupply), QStringLiteral("-15.00 V"));
    QCOMPARE(rig.monitor(Monitor::Temperature), QStringLiteral("25.0"));
    QCOMPARE(rig.state().AmbTemp, QStringLiteral("341"));
    QCOMPARE(rig.state().LVPS24, QStringLiteral("6382"));
    auto& raw = supply::rawDataWindow(*rig.window);
    QCOMPARE(raw.txt_DATA(0)->text(), QStringLiteral("341"));
    QCOMPARE(raw.txt_DATA(2)->text(), QStringLiteral("4095"));
    // A rail above -15 V's zero count reads positive, not "--".
    model.pinMonitor(zov::sim::Monitor::AuxSupply, 3872);
    rig.readbacks().readAuxMonitors();
    QCOMPARE(rig.monitor(Monitor::AuxSupply), QStringLiteral(".62 V"));
    QCOMPARE(rig.state().CommErrors, 0);
}

void UpdateCycleTest::monitorReadsStopAtAnUnreadableReply() {
    CycleRig rig;
    rig.choose(true);
    rig.state().KvScaleFactor = 60.0 / 4095;
    auto* update = rig.readbacks().btn_UPDATEDATA();
    // No voltage reply: that row is skipped, the button keeps "WAITING!".
    QVERIFY(rig.sim.script("VMON;", ScriptedReply::silence()));
    update->click();
    QCOMPARE(rig.sim.commands(), (QStringList{"VMON;", "IMON;", "FMON;", "LVPS;", "TEMP;"}));
    QCOMPARE(update->text(), QStringLiteral("WAITING!"));
    QCOMPARE(rig.monitor(Monitor::Voltage), QStringLiteral("Channel 2"));
    QCOMPARE(rig.state().CommErrors, 0);

    // No ";": nothing of the row is kept and the rest of that read is not sent.
    const QString current = rig.monitor(Monitor::Current);
    rig.sim.clearCommands();
    QVERIFY(rig.sim.script("IMON;", ScriptedReply::text("12")));
    rig.readbacks().readHvMonitors();
    QCOMPARE(rig.sim.commands(), (QStringList{"VMON;", "IMON;"}));
    QCOMPARE(rig.monitor(Monitor::Current), current);
    QCOMPARE(update->text(), QStringLiteral("UPDATE"));

    // Not a number: kept as text, the display stays, the read stops.
    rig.sim.clearCommands();
    QVERIFY(rig.sim.script("LVPS;", ScriptedReply::text("x1;")));
    const QString aux = rig.monitor(Monitor::AuxSupply);
    rig.readbacks().readAuxMonitors();
    QCOMPARE(rig.sim.commands(), QStringList{"LVPS;"});
    QCOMPARE(rig.state().LVPS24, QStringLiteral("x1"));
    QCOMPARE(supply::rawDataWindow(*rig.window).txt_DATA(1)->text(), QStringLiteral("x1"));
    QCOMPARE(rig.monitor(Monitor::AuxSupply), aux);
    QVERIFY(rig.receiveTimersRunning());
}

void UpdateCycleTest::automaticCycleSendsItsTwelveSteps() {
    CycleRig rig;
    rig.choose(false);
    rig.cycle().mnu_AUTOUPDATE_Click();
    QCOMPARE(rig.sim.commands(), kIdentityReads);
    QVERIFY(rig.item("mnu_AUTOUPDATE")->isChecked());
    QVERIFY(!rig.item("mnu_MANUAL")->isChecked());
    QVERIFY(!rig.window->findChild<QWidget*>("btn_REQSTAT")->isEnabled());
    QVERIFY(rig.state().AutoUpdate);
    QVERIFY(rig.exchange().tmr_UPDATE().isActive());

    rig.sim.clearCommands();
    rig.state().ctr_AutoUpdate = 0;
    rig.runCycle();
    QTRY_COMPARE(rig.sim.commands(), kOneCycle);
    QCOMPARE(rig.state().ctr_AutoUpdate, std::int16_t(0));
    QVERIFY(rig.field("txt_ADC6")->text() != QStringLiteral("N/A"));

    // On its own timer it keeps going, from where the counter stands.
    rig.sim.clearCommands();
    rig.exchange().tmr_UPDATE().start();
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.commands().count("WDTT;") >= 2, 10000);
    rig.cycle().mnu_MANUAL_Click();
    const QStringList sent = rig.sim.commands();
    QCOMPARE(sent.mid(0, kOneCycle.size()), kOneCycle);
    QVERIFY(rig.window->findChild<QWidget*>("btn_REQSTAT")->isEnabled());

    // Entering automatic mode again reads the identity again and keeps the count.
    rig.sim.clearCommands();
    rig.state().ctr_AutoUpdate = 7;
    rig.cycle().mnu_AUTOUPDATE_Click();
    rig.exchange().tmr_UPDATE().stop();
    rig.cycle().tmr_UPDATE_Timer();
    QCOMPARE(rig.sim.commands(), (kIdentityReads + QStringList{"LVPS;", "TEMP;"}));
    QCOMPARE(rig.state().ctr_AutoUpdate, std::int16_t(8));
    QCOMPARE(rig.state().CommErrors, 0);
}

void UpdateCycleTest::modeSwitchedInsideAStep() {
    CycleRig rig;
    rig.choose(true);
    rig.cycle().mnu_AUTOUPDATE_Click();
    rig.exchange().tmr_UPDATE().stop();
    rig.state().ctr_AutoUpdate = 0;
    rig.sim.clearCommands();
    // Manual mode arrives while "VMON;" is awaited.
    QVERIFY(rig.sim.script("VMON;", ScriptedReply::own().late(std::chrono::milliseconds(150))));
    QTimer::singleShot(50, [&] { rig.cycle().mnu_MANUAL_Click(); });
    rig.cycle().tmr_UPDATE_Timer();
    QCOMPARE(rig.sim.commands(), (QStringList{"VMON;", "IMON;", "FMON;"}));
    QVERIFY(!rig.exchange().tmr_UPDATE().isActive());
    QVERIFY(!rig.state().AutoUpdate);
    SupplyRig::settle(300);
    QCOMPARE(rig.sim.commands().size(), 3);
    // A tick that comes through all the same sends nothing in manual mode.
    rig.cycle().tmr_UPDATE_Timer();
    QCOMPARE(rig.sim.commands().size(), 3);
}

void UpdateCycleTest::silentSupplyIsSeenAndRecovers() {
    CycleRig rig;
    rig.choose(false);
    rig.state().KvScaleFactor = 60.0 / 4095;
    rig.cycle().mnu_AUTOUPDATE_Click();
    rig.sim.model().pinMonitor(zov::sim::Monitor::Voltage, 2048);
    rig.runCycle();
    QCOMPARE(rig.readbacks().displayBox(Monitor::Voltage)->text(), QStringLiteral("30.007 kV"));

    rig.sim.faults().dropEvery = 1;
    rig.runCycle();
    QCOMPARE(rig.state().CommErrors, 1);  // the status read counts it
    QCOMPARE(rig.window->extrasWindow().txt_COMMERRORS()->text(), QStringLiteral("1"));
    QCOMPARE(rig.panel(3), QStringLiteral("RX: "));

    // Answering again, the fields are live within one cycle.
    rig.sim.clearFaults();
    rig.sim.model().pinMonitor(zov::sim::Monitor::Voltage, 4095);
    rig.sim.clearCommands();
    rig.runCycle();
    QTRY_COMPARE(rig.sim.commands(), kOneCycle);
    QCOMPARE(rig.readbacks().displayBox(Monitor::Voltage)->text(), QStringLiteral("60.000 kV"));
    rig.cycle().mnu_MANUAL_Click();
}

QTEST_MAIN(UpdateCycleTest)
#include "test_update_cycle.moc"
