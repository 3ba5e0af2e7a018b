// The simulated supply over a real pseudo-terminal and real TCP loopback.
#include <QTemporaryDir>
#include <QtTest>

#include "link_clients.h"
#include "protocol/protocol.h"
#include "sim/simulator.h"

using namespace std::chrono_literals;
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

private:
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
    QTest::addColumn<bool>("overTcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void SimLinksTest::splitAndDelayedReplies() {
    QFETCH(bool, overTcp);
    m_sim->faults().delay = 150ms;
    m_sim->faults().splitPieces = 3;
    m_sim->faults().splitGap = 40ms;
    PtyClient port(m_link);
    TcpClient tcp(m_sim->tcpPort());
    QByteArray early;
    QByteArray reply;
    int reads = 0;
    if (overTcp) {
        tcp.send(tcpFrame("MODR;"));
        early = tcp.collectFor(30);
        reply = early + tcp.readUntil('\x03');
        reads = tcp.reads();
    } else {
        port.send(serialFrame("MODR;"));
        early = port.collectFor(30);
        reply = early + port.readUntil('\n');
        reads = port.reads();
    }
    QVERIFY(early.isEmpty());
    QCOMPARE(reply, overTcp ? tcpFrame("ZOV80N100;") : serialFrame("ZOV80N100;"));
    QCOMPARE(reads, 3);
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

QTEST_GUILESS_MAIN(SimLinksTest)
#include "test_sim_links.moc"
