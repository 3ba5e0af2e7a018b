// What the areas announce to the session's observers, against the simulated
// supply: every monitor reading with the number shown, and the supply's
// events once each.
#include <QtTest>

#include "far_end.h"
#include "supply/dac_editor_area.h"
#include "supply/fault_areas.h"
#include "supply/readbacks_area.h"
#include "supply/system_status_area.h"
#include "supply/xray_enable_area.h"
#include "supply_rig.h"

using zov::core::SupplyEvent;
using zov::sim::ScriptedReply;
namespace supply = zov::supply;

namespace {

using Reading = QPair<QString, double>;
using Event = QPair<SupplyEvent, QString>;
namespace core = zov::core;

struct EventsRig : zov::test::SupplyRig {
    explicit EventsRig(Supply supply = Supply::Simulated) : SupplyRig(supply) {
        auto& events = window->sessionEvents();
        QObject::connect(&events, &zov::core::SessionEvents::monitorRead,
                         [this](const QString& variable, double value) {
                             readings.append({variable, value});
                         });
        QObject::connect(
            &events, &zov::core::SessionEvents::supplyEvent,
            [this](SupplyEvent kind, const QString& detail) {
                // The panel's age is told apart; these cases are about readings.
                if (kind != SupplyEvent::ReadingsStale && kind != SupplyEvent::ReadingsFresh) {
                    this->events.append({kind, detail});
                }
            });
    }
    void pinMonitors() {
        auto& model = sim.model();
        model.pinMonitor(zov::sim::Monitor::Voltage, 4095);
        model.pinMonitor(zov::sim::Monitor::Current, 2048);
        model.pinMonitor(zov::sim::Monitor::Filament, 4095);
        model.pinMonitor(zov::sim::Monitor::AuxSupply, 6382);
        model.pinMonitor(zov::sim::Monitor::Temperature, 341);
        state().KvScaleFactor = 60.0 / 4095;
        state().mAScaleFactor = 0.5 / 4095;
    }
    QList<Event> eventsOf(SupplyEvent kind) const {
        QList<Event> of;
        for (const Event& event : events) {
            if (event.first == kind) {
                of.append(event);
            }
        }
        return of;
    }
    void forget() {
        readings.clear();
        events.clear();
        sim.clearCommands();
    }
    void requestStatus() { areas.systemStatus->btn_REQSTAT()->click(); }

    QList<Reading> readings;
    QList<Event> events;
};

const QList<Reading> kPinnedReadings{
    {"KV_MON", 60.0}, {"EmMon", 0.25}, {"Fil_I_Mon", 6.0}, {"LVPS24", -15.0}, {"AmbTemp", 25.0}};

}  // namespace

class SessionEventsTest : public QObject {
    Q_OBJECT
private slots:
    void manualAndAutomaticReadings();
    void readingsThatAreNoNumbers();
    void statusChangesAnnouncedOnce();
    void setpointsAndXray();
    void linkChosenAndLost();
    void serialHangUpIsALostLink();
};

void SessionEventsTest::manualAndAutomaticReadings() {
    EventsRig rig;
    rig.choose(false);
    rig.pinMonitors();
    rig.forget();
    rig.areas.readbacks->btn_UPDATEDATA()->click();
    QCOMPARE(rig.readings, kPinnedReadings);

    // The automatic cycle announces the same numbers, each read once a cycle.
    rig.forget();
    rig.state().AutoUpdate = true;
    for (int step = 0; step < core::kUpdateSteps; ++step) {
        rig.areas.updateCycle->tmr_UPDATE_Timer();
        rig.settle(10);
    }
    rig.state().AutoUpdate = false;
    QCOMPARE(rig.readings, kPinnedReadings);
    // The value is the one shown, rounded as shown: ".62 V", not -0.6224.
    rig.sim.model().pinMonitor(zov::sim::Monitor::AuxSupply, 3872);
    rig.forget();
    rig.areas.readbacks->readAuxMonitors();
    QCOMPARE(rig.readings.first(), Reading("LVPS24", 0.62));
    QVERIFY(rig.events.isEmpty());
}

void SessionEventsTest::readingsThatAreNoNumbers() {
    EventsRig rig;
    rig.choose(true);
    rig.pinMonitors();
    rig.forget();
    // Silence skips the row, text stops the read: neither is a reading.
    QVERIFY(rig.sim.script("VMON;", ScriptedReply::silence()));
    QVERIFY(rig.sim.script("FMON;", ScriptedReply::text("1e3;")));
    rig.areas.readbacks->readHvMonitors();
    QCOMPARE(rig.readings, (QList<Reading>{{"EmMon", 0.25}}));
    QCOMPARE(rig.events, (QList<Event>{{SupplyEvent::Error, "no reply to VMON;"},
                                       {SupplyEvent::Error, "no number in the reply to FMON;"}}));
}

void SessionEventsTest::statusChangesAnnouncedOnce() {
    EventsRig rig;
    rig.choose(false);
    rig.requestStatus();
    // The first read tells every flag once.
    QCOMPARE(rig.eventsOf(SupplyEvent::StatusChanged),
             (QList<Event>{{SupplyEvent::StatusChanged, "X-RAY OFF"}}));
    QCOMPARE(rig.eventsOf(SupplyEvent::FaultChanged).size(),
             static_cast<qsizetype>(core::kFaultFlags.size()));
    QCOMPARE(rig.eventsOf(SupplyEvent::InterlockChanged),
             (QList<Event>{{SupplyEvent::InterlockChanged, "CLOSED"}}));
    // An identical read tells nothing.
    rig.forget();
    rig.requestStatus();
    rig.requestStatus();
    QVERIFY(rig.events.isEmpty());

    // Output on, an arc, then the interlock opens.
    QVERIFY(rig.sim.model().setOutput(true));
    rig.requestStatus();
    rig.sim.model().arc();
    rig.requestStatus();
    rig.sim.model().setInterlockOpen(true);
    rig.requestStatus();
    QCOMPARE(rig.events.first(), Event(SupplyEvent::StatusChanged, "X-RAY ON"));
    for (const Event& event :
         {Event(SupplyEvent::FaultChanged, "Arc Error"), Event(SupplyEvent::ArcCounted, "1"),
          Event(SupplyEvent::InterlockChanged, "OPEN"),
          Event(SupplyEvent::StatusChanged, "X-RAY OFF")}) {
        QVERIFY2(rig.events.count(event) == 1, qPrintable(event.second));
    }
}

void SessionEventsTest::setpointsAndXray() {
    EventsRig rig;
    rig.choose(false);
    rig.forget();
    auto& editor = *rig.areas.dacEditor;
    editor.option(core::Channel::A)->click();
    editor.ctrl_BITVAL()->setValue(2048);
    editor.btn_ACCEPT()->click();
    QCOMPARE(rig.events,
             (QList<Event>{{SupplyEvent::SetpointProgrammed, "VREF 2048; acknowledged"}}));

    rig.forget();
    QVERIFY(rig.sim.script("VREF*", ScriptedReply::refusal()));
    editor.btn_ACCEPT()->click();
    QCOMPARE(rig.events, (QList<Event>{{SupplyEvent::SetpointProgrammed, "VREF 2048; refused"},
                                       {SupplyEvent::Error, "VREF 2048; refused"}}));

    rig.forget();
    rig.areas.xrayEnable->btn_HVONOFF()->click();
    QCOMPARE(rig.events, (QList<Event>{{SupplyEvent::XrayRequested, "ON"},
                                       {SupplyEvent::XrayAcknowledged, "ON"}}));
    // A silent unit: the request, and the counted error naming the command.
    rig.forget();
    QVERIFY(rig.sim.script("ENBL*", ScriptedReply::silence()));
    rig.areas.xrayEnable->btn_HVONOFF()->click();
    QCOMPARE(rig.events, (QList<Event>{{SupplyEvent::XrayRequested, "OFF"},
                                       {SupplyEvent::Error, "no answer to ENBL 0;"}}));
    // Announcing changed nothing on the wire.
    QCOMPARE(rig.sim.commands(), (QStringList{"ENBL 0;"}));
}

void SessionEventsTest::linkChosenAndLost() {
    EventsRig rig;
    rig.window->linkSelection().mnu_comm1_Click();
    QVERIFY(rig.events.contains(Event(SupplyEvent::LinkChosen, "Comm Port:  1, 115200,n,8,1")));
    rig.goManual();
    rig.forget();
    rig.window->linkSelection().mnu_ethernet_Click();
    rig.goManual();
    const QString ethernet = QStringLiteral("Ethernet 127.0.0.1:%1").arg(rig.sim.tcpPort());
    QVERIFY(rig.events.contains(Event(SupplyEvent::LinkChosen, ethernet)));
    rig.forget();
    rig.sim.dropTcpConnections();
    QTRY_VERIFY(rig.events.contains(Event(SupplyEvent::LinkLost, "TCP connection closed")));
}

void SessionEventsTest::serialHangUpIsALostLink() {
    EventsRig rig(EventsRig::Supply::None);
    zov::test::FarEndPty far(rig.directory.filePath(QStringLiteral("usb-adapter")));
    rig.prompter.answerInput(far.linkPath());
    rig.window->linkSelection().mnu_userComm_Click();
    QVERIFY(rig.exchange().serial().isOpen());
    rig.forget();
    far.hangUp();
    QTRY_VERIFY(!rig.exchange().serial().isOpen());
    QCOMPARE(rig.events,
             (QList<Event>{{SupplyEvent::LinkLost, "serial port failed: " + far.linkPath()}}));
}

QTEST_MAIN(SessionEventsTest)
#include "test_session_events.moc"
