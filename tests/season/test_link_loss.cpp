// A link lost while the console uses it: the simulated supply's serial side
// unplugged or its TCP peer dropped in the middle of an exchange, during the
// automatic update and during a seasoning run. The console goes on, counts
// what went unanswered, and picks the link up again: the watchdog reopens the
// serial port once it is back, choosing Ethernet again reconnects.
#include <QtTest>

#include "season_rig.h"
#include "supply/system_status_area.h"

using zov::test::SeasonRig;

namespace {

using namespace std::chrono_literals;

// The watchdog's period (5 s) and a margin for a loaded machine.
constexpr int kWatchdogReopenMs = 8000;

void loseTheLink(SeasonRig& rig, bool tcp) {
    if (tcp) {
        rig.sim.dropTcpConnections();
    } else {
        rig.sim.closePty();
    }
}

// The serial side plugged in again and reopened by the watchdog, or Ethernet
// chosen again; the automatic update a link choice starts is stopped again.
void bringTheLinkBack(SeasonRig& rig, bool tcp) {
    if (tcp) {
        rig.choose(true);
        QCOMPARE(rig.exchange().tcp().socket().state(), QAbstractSocket::ConnectedState);
        return;
    }
    QVERIFY(rig.sim.startPty(rig.linkPath));
    QTRY_VERIFY_WITH_TIMEOUT(rig.exchange().serial().isOpen(), kWatchdogReopenMs);
}

// Counts passes of the event loop's timers while a test waits.
class Heartbeat {
public:
    Heartbeat() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { ++beats_; });
        timer_.start(50);
    }
    [[nodiscard]] int beats() const { return beats_; }

private:
    QTimer timer_;
    int beats_ = 0;
};

void addLinks() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

}  // namespace

class LinkLossTest : public QObject {
    Q_OBJECT
private slots:
    void lostInTheMiddleOfAnExchange_data() { addLinks(); }
    void lostInTheMiddleOfAnExchange();
    void lostDuringTheAutomaticUpdate_data() { addLinks(); }
    void lostDuringTheAutomaticUpdate();
    void lostDuringASeasoningRun_data() { addLinks(); }
    void lostDuringASeasoningRun();
};

void LinkLossTest::lostInTheMiddleOfAnExchange() {
    QFETCH(bool, tcp);
    SeasonRig rig;
    rig.choose(tcp);
    const qint64 errorsBefore = rig.state().CommErrors;
    // The status reply is on its way when the link goes.
    rig.sim.script("STAT;", zov::sim::ScriptedReply::own().late(150ms));
    QTimer::singleShot(50, &rig.sim, [&] { loseTheLink(rig, tcp); });
    rig.areas.systemStatus->btn_REQSTAT_Click();
    QCOMPARE(rig.state().CommErrors, errorsBefore + 1);
    if (tcp) {
        QTRY_COMPARE(rig.exchange().tcp().socket().state(), QAbstractSocket::UnconnectedState);
    } else {
        QTRY_VERIFY(!rig.exchange().serial().isOpen());
    }
    // Read again while the link is down: counted too, and nothing waits forever.
    rig.areas.systemStatus->btn_REQSTAT_Click();
    QCOMPARE(rig.state().CommErrors, errorsBefore + 2);

    bringTheLinkBack(rig, tcp);
    rig.sim.clearCommands();
    const qint64 errorsBack = rig.state().CommErrors;
    rig.areas.systemStatus->btn_REQSTAT_Click();
    QCOMPARE(rig.sim.commands(), (QStringList{"STAT;", "FLT;"}));
    QCOMPARE(rig.state().CommErrors, errorsBack);
}

void LinkLossTest::lostDuringTheAutomaticUpdate() {
    QFETCH(bool, tcp);
    SeasonRig rig;
    rig.exchange().setReplyTimeLimitMs(100);  // many unanswered cycles in a short wait
    if (tcp) {
        rig.window->linkSelection().mnu_ethernet_Click();
    } else {
        rig.window->linkSelection().mnu_comm1_Click();
    }
    QVERIFY(rig.state().AutoUpdate);
    QTRY_VERIFY(rig.sim.commands().contains(QStringLiteral("WDTT;")));
    const qint64 errorsBefore = rig.state().CommErrors;

    const Heartbeat heartbeat;
    loseTheLink(rig, tcp);
    // Every status read of the cycle goes unanswered and is counted.
    QTRY_VERIFY_WITH_TIMEOUT(rig.state().CommErrors >= errorsBefore + 2, 10000);
    // The cycle waits on the link without holding up the event loop.
    QVERIFY(heartbeat.beats() > 0);
    QVERIFY(rig.state().AutoUpdate);

    bringTheLinkBack(rig, tcp);
    if (tcp) {
        rig.window->linkSelection().mnu_ethernet_Click();  // automatic again, as chosen
    }
    rig.sim.clearCommands();
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.commands().contains(QStringLiteral("WDTT;")), 5000);
    // A whole cycle answered: no error of its own.
    const qint64 errorsBack = rig.state().CommErrors;
    rig.sim.clearCommands();
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.commands().contains(QStringLiteral("WDTT;")), 5000);
    QCOMPARE(rig.state().CommErrors, errorsBack);
    rig.goManual();
}

void LinkLossTest::lostDuringASeasoningRun() {
    QFETCH(bool, tcp);
    SeasonRig rig;
    rig.choose(tcp);
    rig.state().KvScaleFactor = SeasonRig::kKvScale;
    rig.state().mAScaleFactor = SeasonRig::kMaScale;
    rig.openProfile();
    rig.setRow(0, "10", "0.1", "1", false);
    rig.setRow(1, "20", "0.1", "1", true);
    rig.setRow(2, "30", "0.1", "0", false);
    rig.start();
    QCOMPARE(rig.takeCommands(), (QStringList{"VREF 682;", "IREF 819;"}));

    loseTheLink(rig, tcp);
    const qint64 errorsBefore = rig.state().CommErrors;
    // The step change sends its setpoints into the lost link and switches the
    // output on: that switching goes unanswered and is counted.
    rig.tick(60);
    QVERIFY(rig.seasoning().running());
    QCOMPARE(rig.state().CommErrors, errorsBefore + 1);
    QCOMPARE(rig.takeCommands(), QStringList());
    QVERIFY(!rig.sim.model().outputOn());

    bringTheLinkBack(rig, tcp);
    rig.takeCommands();
    // The run goes on where it was: the switching after 30 s reaches the unit
    // (on or off as the status read on reconnecting left the switch).
    rig.tick(30);
    const QStringList switching = rig.takeCommands();
    QCOMPARE(switching.size(), 1);
    QVERIFY2(switching[0].startsWith(QStringLiteral("ENBL ")), qPrintable(switching[0]));
    rig.tick(30);
    QVERIFY(!rig.seasoning().running());
}

QTEST_MAIN(LinkLossTest)
#include "test_link_loss.moc"
