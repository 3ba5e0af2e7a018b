// The simulated supply over a real pseudo-terminal and real TCP loopback.
#include <QTemporaryDir>
#include <QtTest>

#include "link_clients.h"
#include "protocol/protocol.h"
#include "sim/simulator.h"

using namespace std::chrono_literals;
using zov::sim::Handling;
using zov::sim::ScriptedReply;
using zov::sim::Simulator;

namespace {

QByteArray serialFrame(const char* command) {
    return QByteArray::fromStdString(zov::protocol::serialFrame(command));
}

QByteArray tcpFrame(const char* command) {
    return QByteArray::fromStdString(zov::protocol::tcpFrame(command));
}

}  // namespace

class SimLinksTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void serialFramingBothWays();
    void badChecksumGetsNoAnswer();
    void portSurvivesTheClientClosingIt();
    void tcpFramingBothWays();
    void splitAndDelayedReplies_data();
    void splitAndDelayedReplies();
    void strayBytesAroundTheReply();
    void lostRepliesAndRefusals();
    void serialPacedAtTheBaudRate();
    void unsolicitedStatusOnTcp();
    void tcpConnectionDropped();
    void scriptedReplies_data() { bothLinks(); }
    void scriptedReplies();
    void lateAndSplitScriptedReplies_data() { bothLinks(); }
    void lateAndSplitScriptedReplies();
    void faultsAimedAtOneCommand_data() { bothLinks(); }
    void faultsAimedAtOneCommand();
    void refusalAimedAtSetCommands_data() { bothLinks(); }
    void refusalAimedAtSetCommands();
    void statusMessageComesApartFromTheReply();
    void statusMessagesOnDemand();
    void hostAtAnotherSpeedIsNoise();

private:
    static void bothLinks();
    [[nodiscard]] FramedClient client(bool overTcp) const {
        return FramedClient(overTcp, m_link, m_sim->tcpPort());
    }

    QString m_link;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Simulator> m_sim;
};

void SimLinksTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_link = m_dir->filePath("zov-port");
    m_sim = std::make_unique<Simulator>();
    QVERIFY2(m_sim->startPty(m_link), qPrintable(m_sim->errorString()));
    QVERIFY2(m_sim->startTcp(), qPrintable(m_sim->errorString()));
}

void SimLinksTest::bothLinks() {
    QTest::addColumn<bool>("overTcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void SimLinksTest::cleanup() {
    m_sim.reset();
    QVERIFY(!QFileInfo::exists(m_link));
}

void SimLinksTest::serialFramingBothWays() {
    QVERIFY(QFileInfo(m_link).symLinkTarget() == m_sim->ptyDevice());
    PtyClient port(m_link);
    QVERIFY(port.isOpen());
    port.send(serialFrame("HWVR;"));
    QCOMPARE(port.readUntil('\n'), QByteArray("\x02"
                                              "A01;c\r\n"));

    // Two frames in one write, and one written a byte at a time after noise.
    port.send(serialFrame("VREF 2048;") + serialFrame("VSET;"));
    QCOMPARE(port.readUntil('\n'), serialFrame(";"));
    QCOMPARE(port.readUntil('\n'), serialFrame("2048;"));
    const QByteArray slow = "\r\n??" + serialFrame("16,");
    for (const char byte : slow) {
        port.send(QByteArray(1, byte));
        QTest::qWait(1);
    }
    QCOMPARE(port.readUntil('\n'), serialFrame("16,0,"));
    QCOMPARE(m_sim->commands(), (QStringList{"HWVR;", "VREF 2048;", "VSET;", "16,"}));
    m_sim->clearCommands();
    QVERIFY(m_sim->commands().isEmpty());
}

void SimLinksTest::badChecksumGetsNoAnswer() {
    PtyClient port(m_link);
    QByteArray bad = serialFrame("ENBL 1;");
    bad[bad.size() - 3] = bad[bad.size() - 3] ^ 0x01;
    port.send(bad);
    QCOMPARE(port.collectFor(300), QByteArray());
    QVERIFY(!m_sim->model().outputOn());
    QVERIFY(m_sim->commands().isEmpty());
    port.send(serialFrame("STAT;"));
    QCOMPARE(port.readUntil('\n'), serialFrame("0;"));
}

void SimLinksTest::portSurvivesTheClientClosingIt() {
    for (int round = 0; round < 3; ++round) {
        PtyClient port(m_link);
        port.send(serialFrame("MODR;"));
        QCOMPARE(port.readUntil('\n'), serialFrame("ZOV80N100;"));
    }
    QCOMPARE(m_sim->commands().size(), 3);
}

void SimLinksTest::tcpFramingBothWays() {
    TcpClient tcp(m_sim->tcpPort());
    QVERIFY(tcp.isConnected());
    tcp.send("junk" + tcpFrame("VREF 4095;") + tcpFrame("VSET;"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame(";"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("4095;"));
    tcp.send(tcpFrame("22,"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,0,0,0,0,0,0,0,"));
    QCOMPARE(m_sim->commands(), (QStringList{"VREF 4095;", "VSET;", "22,"}));
}

void SimLinksTest::splitAndDelayedReplies_data() {
    bothLinks();
}

void SimLinksTest::splitAndDelayedReplies() {
    QFETCH(bool, overTcp);
    m_sim->faults().delay = 150ms;
    m_sim->faults().splitPieces = 3;
    m_sim->faults().splitGap = 40ms;
    FramedClient unit = client(overTcp);
    unit.sendCommands({"MODR;"});
    const QByteArray early = unit.collectFor(30);
    QVERIFY(early.isEmpty());
    QCOMPARE(early + unit.readReply(), unit.frame("ZOV80N100;"));
    QCOMPARE(unit.reads(), 3);
}

void SimLinksTest::strayBytesAroundTheReply() {
    m_sim->faults().leadingGarbage = "\x7f\x01";
    m_sim->faults().trailingBytes = "\r\nXY";
    PtyClient port(m_link);
    port.send(serialFrame("SOFT;"));
    QCOMPARE(port.readUntil('Y'), "\x7f\x01" + serialFrame("0412;") + "\r\nXY");
    QCOMPARE(port.reads(), 1);  // one write, not three
}

void SimLinksTest::lostRepliesAndRefusals() {
    m_sim->faults().dropEvery = 2;
    TcpClient tcp(m_sim->tcpPort());
    tcp.send(tcpFrame("STAT;"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("0;"));
    tcp.send(tcpFrame("STAT;"));
    QCOMPARE(tcp.collectFor(300), QByteArray());
    tcp.send(tcpFrame("STAT;"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("0;"));

    m_sim->faults().dropEvery = 0;
    m_sim->faults().refuseAll = true;
    tcp.send(tcpFrame("HWVR;") + tcpFrame("99,1,"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("1;"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("99,1,"));
    QVERIFY(!m_sim->model().remote());
    QCOMPARE(m_sim->commands().size(), 5);
}

// At 2400 baud a byte reaches the reader about every 4 ms, so a long reply
// arrives over many reads instead of one.
void SimLinksTest::serialPacedAtTheBaudRate() {
    m_sim->faults().serialBaud = 2400;
    PtyClient port(m_link);
    port.send(serialFrame("CONF;"));
    QCOMPARE(port.readUntil('\n'), serialFrame("A01,ZOV80N100,6000,0500,2048,1,0,1024,"));
    QVERIFY2(port.reads() >= 5, qPrintable(QString::number(port.reads())));
}

void SimLinksTest::unsolicitedStatusOnTcp() {
    TcpClient tcp(m_sim->tcpPort());
    m_sim->model().setInterlockOpen(true);
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,1,0,0,0,0,0,0,"));
    m_sim->model().setInterlockOpen(false);
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,0,0,0,0,0,0,0,"));

    // The acknowledgement comes first, then the news; a serial ENBL is news too.
    tcp.send(tcpFrame("ENBL 1;"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame(";"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,1,0,0,0,0,0,0,0,"));
    PtyClient port(m_link);
    port.send(serialFrame("ENBL 0;"));
    QCOMPARE(port.readUntil('\n'), serialFrame(";"));
    QCOMPARE(port.collectFor(100), QByteArray());
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,0,0,0,0,0,0,0,"));

    // A watchdog trip.
    m_sim->model().setWatchdogTimeout(50ms);
    m_sim->model().setWatchdogEnabled(true);
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,0,1,0,0,0,0,1,"));

    m_sim->setUnsolicitedStatus(false);
    m_sim->model().setInterlockOpen(true);
    tcp.send(tcpFrame("STAT;"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("0;"));
    QCOMPARE(tcp.collectFor(100), QByteArray());
}

void SimLinksTest::tcpConnectionDropped() {
    m_sim->faults().tcpDropEvery = 2;
    TcpClient first(m_sim->tcpPort());
    first.send(tcpFrame("STAT;"));
    QCOMPARE(first.readUntil('\x03'), tcpFrame("0;"));
    first.send(tcpFrame("STAT;"));
    QTRY_VERIFY(!first.isConnected());

    m_sim->faults().tcpDropEvery = 0;
    TcpClient second(m_sim->tcpPort());
    second.send(tcpFrame("SNUR;"));
    QCOMPARE(second.readUntil('\x03'), tcpFrame("101407139-A00041;"));
    m_sim->dropTcpConnections();
    QTRY_VERIFY(!second.isConnected());
    QCOMPARE(m_sim->commands(), (QStringList{"STAT;", "STAT;", "SNUR;"}));
}

// Each scripted reply is followed by a command answered normally, so a reply
// left out shows as the next one arriving first.
void SimLinksTest::scriptedReplies() {
    QFETCH(bool, overTcp);
    m_sim->setUnsolicitedStatus(false);
    FramedClient unit = client(overTcp);

    // Another text in the unit's mouth; the unit still carries the command out.
    m_sim->script("ENBL*", ScriptedReply::text("2;"));
    unit.sendCommands({"ENBL 1;", "STAT;", "ENBL 0;"});
    QCOMPARE(unit.readReply(), unit.frame("2;"));
    QCOMPARE(unit.readReply(), unit.frame("1;"));
    QCOMPARE(unit.readReply(), unit.frame(";"));

    // No reply to "STAT;" twice, "FLT;" answered in between.
    m_sim->script("STAT;", ScriptedReply::silence(), 2);
    unit.sendCommands({"STAT;", "FLT;", "STAT;", "HWVR;", "STAT;"});
    QCOMPARE(unit.readReply(), unit.frame("00000000;"));
    QCOMPARE(unit.readReply(), unit.frame("A01;"));
    QCOMPARE(unit.readReply(), unit.frame("0;"));

    // A refusal is not carried out.
    m_sim->script("VREF*", ScriptedReply::refusal(), zov::sim::kUntilCleared);
    unit.sendCommands({"VREF 100;", "VREF 200;", "VSET;"});
    QCOMPARE(unit.readReply(), unit.frame("1;"));
    QCOMPARE(unit.readReply(), unit.frame("1;"));
    QCOMPARE(unit.readReply(), unit.frame("0;"));
    m_sim->clearScripts();
    unit.sendCommands({"VREF 100;"});
    QCOMPARE(unit.readReply(), unit.frame(";"));

    // A sequence for successive calls, then the unit's own reply again.
    m_sim->script("27,", {ScriptedReply::text("27,0,1x5,10,0,5,10,50,1,0,"),
                          ScriptedReply::raw("\x02"
                                             "27,\x03\n")});
    unit.sendCommands({"27,", "27,", "27,"});
    QCOMPARE(unit.readReply(), unit.frame("27,0,1x5,10,0,5,10,50,1,0,"));
    QCOMPARE(unit.readReply(), QByteArray(overTcp ? "\x02"
                                                    "27,\x03"
                                                  : "\x02"
                                                    "27,\x03\n"));
    if (overTcp) {
        QCOMPARE(unit.readReply(), QByteArray("\n") + unit.frame("27,0,105,10,0,5,10,50,1,0,"));
    } else {
        QCOMPARE(unit.readReply(), unit.frame("27,0,105,10,0,5,10,50,1,0,"));
    }
    QCOMPARE(m_sim->commands().size(), 15);
}

void SimLinksTest::lateAndSplitScriptedReplies() {
    QFETCH(bool, overTcp);
    FramedClient unit = client(overTcp);
    m_sim->script("VMON;", ScriptedReply::own().late(200ms));
    unit.sendCommands({"VMON;"});
    QVERIFY(unit.collectFor(60).isEmpty());
    QCOMPARE(unit.readReply(), unit.frame("0;"));

    // Cut after the STX and inside the value, the pieces well apart.
    m_sim->script("CONF;", ScriptedReply::own().splitAt({1, 8}, 60ms));
    const int readsBefore = unit.reads();
    unit.sendCommands({"CONF;"});
    QCOMPARE(unit.readReply(), unit.frame("A01,ZOV80N100,6000,0500,2048,1,0,1024,"));
    QCOMPARE(unit.reads() - readsBefore, 3);

    m_sim->script("SOFT;", ScriptedReply::own().around("\x7f", "XY"));
    unit.sendCommands({"SOFT;", "SOFT;"});
    QCOMPARE(unit.readReply(), "\x7f" + unit.frame("0412;"));
    QCOMPARE(unit.readReply(), "XY" + unit.frame("0412;"));
}

void SimLinksTest::faultsAimedAtOneCommand() {
    QFETCH(bool, overTcp);
    FramedClient unit = client(overTcp);
    m_sim->faults().only = "FLT;";
    m_sim->faults().dropEvery = 1;
    unit.sendCommands({"FLT;", "STAT;", "FLT;", "22,"});
    QCOMPARE(unit.readReply(), unit.frame("0;"));
    QCOMPARE(unit.readReply(), unit.frame("22,0,0,0,0,0,0,0,0,"));

    // After a clear the count starts again: the second "STAT;" is the one lost,
    // however many went before.
    m_sim->clearFaults();
    unit.sendCommands({"STAT;", "STAT;", "STAT;"});
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(unit.readReply(), unit.frame("0;"));
    }
    for (int round = 0; round < 2; ++round) {
        m_sim->clearFaults();
        m_sim->faults().dropEvery = 2;
        unit.sendCommands({"STAT;", "HWVR;", "SOFT;"});
        QCOMPARE(unit.readReply(), unit.frame("0;"));
        QCOMPARE(unit.readReply(), unit.frame("0412;"));
    }

    // A delay aimed at one command leaves the others on time.
    m_sim->clearFaults();
    m_sim->faults().only = "SLIR ;";
    m_sim->faults().delay = 600ms;
    unit.sendCommands({"SLVR ;"});
    QCOMPARE(unit.readReply(400), unit.frame("6000;"));
    unit.sendCommands({"SLIR ;"});
    QVERIFY(unit.collectFor(100).isEmpty());
    QCOMPARE(unit.readReply(), unit.frame("0500;"));
}

void SimLinksTest::refusalAimedAtSetCommands() {
    QFETCH(bool, overTcp);
    FramedClient unit = client(overTcp);
    m_sim->faults().refuseSetCommands = true;
    unit.sendCommands({"ENBL 1;", "STAT;", "99,1,", "22,", "VREF 9;", "VSET;"});
    for (const char* reply : {"1;", "0;", "99,1,", "22,0,0,0,0,0,0,0,0,", "1;", "0;"}) {
        QCOMPARE(unit.readReply(), unit.frame(reply));
    }
    QVERIFY(!m_sim->model().outputOn());
    QVERIFY(!m_sim->model().remote());
}

// A real unit's status message comes on its own, so a console reading the
// reply does not take it along.
void SimLinksTest::statusMessageComesApartFromTheReply() {
    zov::sim::Shape later;
    later.delay = 100ms;
    m_sim->setStatusShape(later);
    TcpClient tcp(m_sim->tcpPort());
    tcp.send(tcpFrame("ENBL 1;"));
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame(";"));
    QCOMPARE(tcp.collectFor(20), QByteArray());
    QCOMPARE(tcp.reads(), 1);
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,1,0,0,0,0,0,0,0,"));
    QCOMPARE(tcp.reads(), 2);
}

void SimLinksTest::statusMessagesOnDemand() {
    TcpClient tcp(m_sim->tcpPort());
    TcpClient other(m_sim->tcpPort());
    m_sim->sendStatus();
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,0,0,0,0,0,0,0,"));
    QCOMPARE(other.readUntil('\x03'), tcpFrame("22,0,0,0,0,0,0,0,0,"));

    // X-ray on with the interlock open, which the unit itself never reports,
    // in two pieces after a stray byte.
    m_sim->sendStatus(
        ScriptedReply::text("22,1,1,0,0,0,0,0,0,").splitAt({6}, 60ms).around("\x7f", ""));
    QCOMPARE(tcp.readUntil('\x03'), "\x7f" + tcpFrame("22,1,1,0,0,0,0,0,0,"));
    QCOMPARE(tcp.reads(), 3);
    m_sim->sendStatus(ScriptedReply::raw("\x02"
                                         "22,1,x,\x03")
                          .late(50ms));
    QCOMPARE(tcp.readUntil('\x03'), QByteArray("\x02"
                                               "22,1,x,\x03"));
    QVERIFY(m_sim->commands().isEmpty());
}

// On a paced line the unit answers "BAUD 2;" at its new speed already, so a
// host still at the old one hears noise and is not heard until it follows.
void SimLinksTest::hostAtAnotherSpeedIsNoise() {
    m_sim->faults().pacedSerial = true;
    std::vector<Handling::Outcome> outcomes;
    connect(m_sim.get(), &Simulator::handled, this,
            [&](const Handling& handling) { outcomes.push_back(handling.outcome); });
    PtyClient port(m_link);
    port.send(serialFrame("STAT;"));
    QCOMPARE(port.readUntil('\n'), serialFrame("0;"));

    port.send(serialFrame("BAUD 2;"));
    QByteArray noise;
    QTRY_COMPARE((noise += port.collectFor(10)).size(), serialFrame(";").size());
    QVERIFY(std::all_of(noise.begin(), noise.end(), [](char c) { return (c & 0x80) != 0; }));
    port.send(serialFrame("STAT;"));
    QCOMPARE(port.collectFor(200), QByteArray());
    QCOMPARE(m_sim->model().baudRate(), 9600);

    port.setBaud(9600);
    port.send(serialFrame("STAT;"));
    QCOMPARE(port.readUntil('\n'), serialFrame("0;"));
    using Outcome = Handling::Outcome;
    QCOMPARE(outcomes, (std::vector<Outcome>{Outcome::Answered, Outcome::Answered, Outcome::Unheard,
                                             Outcome::Answered}));
}

QTEST_GUILESS_MAIN(SimLinksTest)
#include "test_sim_links.moc"
