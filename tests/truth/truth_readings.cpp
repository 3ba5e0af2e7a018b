// Readings: a number is converted only with the scale the unit gave on this
// link, a revert's reply is its own, status messages are heard after every
// operation on Ethernet, and a refused fault read is no reading.
#include <QLabel>
#include <QtTest>

#include "app/extras_window.h"
#include "supply/dac_editor_area.h"
#include "supply/dac_settings_area.h"
#include "supply/fault_areas.h"
#include "supply/readbacks_area.h"
#include "supply/system_status_area.h"
#include "supply/update_cycle.h"
#include "supply/xray_enable_area.h"
#include "supply_rig.h"
#include "truth_groups.h"

using zov::core::Channel;
using zov::sim::ScriptedReply;
using zov::test::SupplyRig;

namespace {

using namespace std::chrono_literals;

enum class Action { ReadKv, ReadMa, UpdateMonitors, ProgramKv };

// An 80 kV / 1 mA unit holding 2730 counts on the kV channel and 2048 on the mA one.
struct ScaleRig : SupplyRig {
    ScaleRig() {
        sim.model().factory().fullScaleVoltage = 8000;
        sim.model().factory().fullScaleCurrent = 1000;
        choose(false, false);
        sim.model().setSetpoint(zov::sim::Channel::Voltage, 2730);
        sim.model().setSetpoint(zov::sim::Channel::Current, 2048);
        sim.model().pinMonitor(zov::sim::Monitor::Voltage, 2730);
        sim.clearCommands();
    }
    void act(Action action) {
        switch (action) {
            case Action::ReadKv:
                areas.dacSettings->readSetpoint(Channel::A);
                break;
            case Action::ReadMa:
                areas.dacSettings->readSetpoint(Channel::B);
                break;
            case Action::UpdateMonitors:
                areas.readbacks->btn_UPDATEDATA_Click();
                break;
            case Action::ProgramKv:
                areas.dacEditor->option(Channel::A)->click();
                areas.dacEditor->ctrl_BITVAL()->setValue(2048);
                areas.dacEditor->btn_ACCEPT()->click();
                break;
        }
    }
};

QLabel* label(SupplyRig& rig, const char* name) {
    return rig.window->findChild<QLabel*>(QLatin1String(name));
}

class ReadingsTruth : public QObject {
    Q_OBJECT
private slots:
    void convertedOnlyAtTheUnitsScale_data();
    void convertedOnlyAtTheUnitsScale();
    void revertTakesItsOwnReply();
    void statusMessagesHeardAfterEveryOperation_data();
    void statusMessagesHeardAfterEveryOperation();
    void refusedFaultReadIsNoReading();
};

void ReadingsTruth::convertedOnlyAtTheUnitsScale_data() {
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("scaleGiven");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    const QStringList monitors{"VMON;", "IMON;", "FMON;", "LVPS;", "TEMP;"};
    QTest::newRow("kV setpoint") << Action::ReadKv << true << QStringList{"SLVR ;", "VSET;"}
                                 << "txt_DACA"
                                 << "53.333 kV";
    QTest::newRow("mA setpoint") << Action::ReadMa << true << QStringList{"SLIR ;", "ISET;"}
                                 << "txt_DACB"
                                 << "0.500 mA";
    QTest::newRow("kV setpoint, scale not given")
        << Action::ReadKv << false << QStringList{"SLVR ;", "VSET;"} << "txt_DACA"
        << "no scale";
    QTest::newRow("HV monitor") << Action::UpdateMonitors << true
                                << QStringList{"SLVR ;", "SLIR ;"} + monitors << "txt_ADC2"
                                << "53.333 kV";
    QTest::newRow("HV monitor, scale not given")
        << Action::UpdateMonitors << false << QStringList{"SLVR ;", "SLIR ;"} + monitors
        << "txt_ADC2"
        << "no scale";
    QTest::newRow("kV confirmation")
        << Action::ProgramKv << true << QStringList{"VREF 2048;", "SLVR ;"} << "txt_DACA"
        << "40.010 kV";
    QTest::newRow("kV confirmation, scale not given")
        << Action::ProgramKv << false << QStringList{"VREF 2048;", "SLVR ;"} << "txt_DACA"
        << "no scale";
}

void ReadingsTruth::convertedOnlyAtTheUnitsScale() {
    QFETCH(Action, action);
    QFETCH(bool, scaleGiven);
    QFETCH(QStringList, sent);
    QFETCH(QString, field);
    QFETCH(QString, shown);
    ScaleRig rig;
    if (!scaleGiven) {
        QVERIFY(rig.sim.script("SL*", ScriptedReply::silence(), 2));
    }
    rig.act(action);
    QCOMPARE(rig.sim.commands(), sent);
    QCOMPARE(rig.field(qPrintable(field))->text(), shown);
    // Once given, the scale is not asked for again on this link.
    if (scaleGiven) {
        rig.sim.clearCommands();
        rig.act(action);
        QVERIFY(!rig.sim.commands().join(u' ').contains(QStringLiteral("SL")));
    }
}

// The unit answers the revert late, as at 9600 baud behind a busy line;
// the update cycle's status step is the next one due.
void ReadingsTruth::revertTakesItsOwnReply() {
    SupplyRig rig;
    rig.choose(false);
    rig.areas.systemStatus->btn_REQSTAT_Click();
    QCOMPARE(label(rig, "lbl_HVSTAT")->text(), QStringLiteral("X-RAY OFF"));
    rig.areas.updateCycle->mnu_AUTOUPDATE_Click();
    QTest::qWait(100);
    QVERIFY(rig.sim.script("10,*", ScriptedReply::own().late(150ms)));
    rig.sim.clearCommands();
    rig.state().ctr_AutoUpdate = 5;  // "STAT;" and "FLT;" next
    rig.areas.dacEditor->option(Channel::A)->click();
    rig.areas.dacEditor->btn_CANCEL()->click();
    QTRY_VERIFY(rig.sim.commands().contains(QStringLiteral("FLT;")));
    QTest::qWait(100);
    QCOMPARE(rig.sim.commands().mid(0, 3), (QStringList{"10,0", "STAT;", "FLT;"}));
    QCOMPARE(label(rig, "lbl_HVSTAT")->text(), QStringLiteral("X-RAY OFF"));
    QVERIFY(!rig.areas.xrayEnable->btn_HVONOFF()->value());
    QCOMPARE(rig.state().ArcCount, std::int16_t(0));
    rig.areas.updateCycle->mnu_MANUAL_Click();
}

void ReadingsTruth::statusMessagesHeardAfterEveryOperation_data() {
    QTest::addColumn<bool>("program");  // else the revert
    QTest::newRow("PROGRAM") << true;
    QTest::newRow("CANCEL") << false;
}

void ReadingsTruth::statusMessagesHeardAfterEveryOperation() {
    QFETCH(bool, program);
    SupplyRig rig;
    rig.choose(true);
    rig.sim.model().setOutput(true);
    rig.areas.systemStatus->btn_REQSTAT_Click();
    QCOMPARE(label(rig, "lbl_HVSTAT")->text(), QStringLiteral("X-RAY ON"));
    auto& editor = *rig.areas.dacEditor;
    editor.option(Channel::A)->click();
    (program ? editor.btn_ACCEPT() : editor.btn_CANCEL())->click();
    rig.sim.model().setInterlockOpen(true);
    rig.sim.sendStatus();  // the unit tells of it on its own
    QTRY_COMPARE_WITH_TIMEOUT(label(rig, "lbl_INTRLKSTAT")->text(),
                              QStringLiteral("Interlock Open"), 1500);
    QCOMPARE(label(rig, "lbl_HVSTAT")->text(), QStringLiteral("X-RAY OFF"));
}

void ReadingsTruth::refusedFaultReadIsNoReading() {
    SupplyRig rig;
    rig.choose(false);
    rig.areas.xrayEnable->toggleXray();
    rig.areas.systemStatus->btn_REQSTAT_Click();
    const QString arcBefore = label(rig, "lbl_ARC")->text();
    QVERIFY(rig.sim.script("FLT;", ScriptedReply::refusal()));
    rig.areas.systemStatus->btn_REQSTAT_Click();
    QCOMPARE(label(rig, "lbl_ARC")->text(), arcBefore);
    QCOMPARE(rig.state().ArcCount, std::int16_t(0));
    QCOMPARE(label(rig, "lbl_INTRLKSTAT")->text(), QStringLiteral("Interlock Closed"));
}

}  // namespace

ZOV_TRUTH_GROUP(ReadingsTruth);

#include "truth_readings.moc"
