// The simulated supply's answers and behaviour, without any link in between.
#include <QSignalSpy>
#include <QtTest>

#include "protocol/protocol.h"
#include "sim/framing.h"
#include "sim/replies.h"
#include "sim/supply_model.h"

using namespace zov::sim;
using namespace std::chrono_literals;

namespace {

// The reply as the console sees it: position 1 is the STX.
std::string asReceived(const std::string& reply) {
    return zov::protocol::kStx + reply;
}

}  // namespace

class SimModelTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void conversations_data();
    void conversations();
    void enableRefusedWhileInterlockOpenOrFaulted();
    void watchdogTripsWithoutKeepAlive();
    void monitorsFollowSetpointsOnlyWhileOn();
    void arcsAreReportedOnceAndMayShutDown();
    void repliesCutTheWayTheConsoleCutsThem();
    void userOptionsAndArcRateVerdicts();
    void pinnedMonitorsReadExactly();
    void setCommandsAreTheOnesThatChangeTheUnit();
    void refusingEverything();
    void serialFramesNeedGoodChecksums();
    void tcpFrames();

private:
    std::string ask(const char* command) { return replyTo(*m_model, command); }

    std::unique_ptr<SupplyModel> m_model;
    std::chrono::milliseconds m_now{0};
};

void SimModelTest::init() {
    m_model = std::make_unique<SupplyModel>();
    m_now = 0ms;
    m_model->setClock([this] { return m_now; });
}

void SimModelTest::conversations_data() {
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("replies");
    QTest::newRow("kV setpoint") << QStringList{"VREF 2048;", "VSET;"} << QStringList{";", "2048;"};
    QTest::newRow("kV limits") << QStringList{"VREF 4095;", "VREF 4096;", "VREF -1;", "VSET;"}
                               << QStringList{";", "1;", "1;", "4095;"};
    QTest::newRow("not a count") << QStringList{"IREF 12.5;", "IREF abc;", "IREF;", "ISET;"}
                                 << QStringList{"1;", "1;", "1;", "0;"};
    QTest::newRow("filament channels") << QStringList{"12,819,", "13,1638,", "16,", "17,"}
                                       << QStringList{"12,$,", "13,$,", "16,819,", "17,1638,"};
    QTest::newRow("numbered refusal")
        << QStringList{"12,4096,", "16,"} << QStringList{"12,1,", "16,0,"};
    // Revert sends no closing comma; shutdown does.
    QTest::newRow("revert and shutdown") << QStringList{"10,2048", "VSET;", "11,0,", "ISET;"}
                                         << QStringList{"10,$,", "2048;", "11,$,", "0;"};
    QTest::newRow("local and remote")
        << QStringList{"99,1,", "99,7,", "99,0,"} << QStringList{"99,$,", "99,1,", "99,$,"};
    QTest::newRow("service") << QStringList{"40,A02,", "HWVR;", "40,A2,", "30,", "96,"}
                             << QStringList{"40,$,", "A02;", "40,1,", "30,$,", "96,$,"};
    QTest::newRow("baud and watchdog") << QStringList{"BAUD 2;", "BAUD 3;", "WDTE 0;", "WDTT;"}
                                       << QStringList{";", "1;", ";", ";"};
    QTest::newRow("factory data locked")
        << QStringList{"MODP ZOV60;", "PASS 1111;", "MODP ZOV60;"} << QStringList{"1;", "1;", "1;"};
    QTest::newRow("factory data")
        << QStringList{"PASS 7955;", "SLVP 8889;", "SLIP 1388;", "FILP 4096;", "MODP ;", "CONF;"}
        << QStringList{";", ";", ";", "1;", "1;", "A01,ZOV80N100,8889,1388,2048,1,0,1024,"};
    QTest::newRow("serial number")
        << QStringList{"SNUS 1-2;", "PASS 9858;", "SNUS 42-B7;", "SNUR;", "SNUS a,b;"}
        << QStringList{"1;", ";", ";", "42-B7;", "1;"};
    // A stored text comes back in replies, so it must not end one early.
    QTest::newRow("stored texts are printable")
        << QStringList{"PASS 9858;",
                       "SNUS 42\r\n7;",
                       "SNUS 4\x03"
                       "7;",
                       "PASS 7955;",
                       "MODP ZOV\x02;",
                       "40,A\r1,",
                       "40,A 1,",
                       "HWVR;"}
        << QStringList{";", "1;", "1;", ";", "1;", "40,1,", "40,$,", "A 1;"};
}

void SimModelTest::conversations() {
    QFETCH(QStringList, commands);
    QFETCH(QStringList, replies);
    QStringList got;
    for (const QString& command : commands) {
        got << QString::fromStdString(ask(command.toLatin1().constData()));
    }
    QCOMPARE(got, replies);
}

void SimModelTest::enableRefusedWhileInterlockOpenOrFaulted() {
    QSignalSpy status(m_model.get(), &SupplyModel::statusChanged);
    m_model->setInterlockOpen(true);
    QCOMPARE(ask("ENBL 1;"), "1;");
    QCOMPARE(ask("STAT;"), "0;");
    QCOMPARE(ask("FLT;"), "00000001;");
    QCOMPARE(ask("22,"), "22,0,1,0,0,0,0,0,0,");

    m_model->setInterlockOpen(false);
    QCOMPARE(ask("ENBL 1;"), ";");
    QCOMPARE(ask("ENBL 1;"), ";");
    QCOMPARE(ask("STAT;"), "1;");
    m_model->setInterlockOpen(true);
    QCOMPARE(ask("STAT;"), "0;");
    // open, closed, on, off again: one notice per change, none for a repeated ENBL
    QCOMPARE(status.count(), 4);

    m_model->setInterlockOpen(false);
    m_model->setFault(Fault::OverCurrent, true);
    QCOMPARE(ask("ENBL 1;"), "1;");
    QCOMPARE(ask("FLT;"), "00001000;");
    QCOMPARE(ask("CLR;"), ";");
    QCOMPARE(ask("ENBL 1;"), ";");
    QCOMPARE(ask("ENBL 0;"), ";");
    QCOMPARE(ask("ENBL 2;"), "1;");
}

void SimModelTest::watchdogTripsWithoutKeepAlive() {
    m_model->setWatchdogTimeout(1000ms);
    QSignalSpy status(m_model.get(), &SupplyModel::statusChanged);
    QCOMPARE(ask("WDTE 1;"), ";");
    QCOMPARE(ask("ENBL 1;"), ";");
    for (int i = 0; i < 15; ++i) {
        QTest::qWait(100);
        ask("WDTT;");
    }
    QCOMPARE(ask("STAT;"), "1;");
    QTRY_COMPARE_WITH_TIMEOUT(ask("STAT;"), "0;", 5000);
    QCOMPARE(ask("FLT;"), "00000010;");
    QCOMPARE(ask("22,"), "22,0,0,1,0,0,0,0,1,");
    QCOMPARE(status.count(), 2);
    QCOMPARE(ask("ENBL 1;"), "1;");

    // Cleared, it keeps watching and trips again without keep-alives.
    m_model->setWatchdogTimeout(100ms);
    QCOMPARE(ask("CLR;"), ";");
    QCOMPARE(ask("FLT;"), "00000000;");
    QTRY_COMPARE_WITH_TIMEOUT(ask("FLT;"), "00000010;", 5000);

    QCOMPARE(ask("WDTE 0;"), ";");
    QCOMPARE(ask("CLR;"), ";");
    QCOMPARE(ask("22,"), "22,0,0,0,0,0,0,0,0,");
}

void SimModelTest::monitorsFollowSetpointsOnlyWhileOn() {
    auto near = [this](const char* monitor, int expected) {
        const int got = std::stoi(ask(monitor));
        return std::abs(got - expected) <= 2;
    };
    m_model->options().rampTenths = 10;  // full scale in one second
    ask("VREF 4095;");
    ask("IREF 2048;");
    QVERIFY(near("VMON;", 0));
    QVERIFY(near("IMON;", 0));
    ask("ENBL 1;");
    m_now = 500ms;
    QVERIFY(near("VMON;", 2048));
    QVERIFY(near("IMON;", 2048));
    m_now = 2000ms;
    QVERIFY(near("VMON;", 4095));
    // A new setpoint is approached at the same rate from where the output is.
    ask("VREF 1000;");
    m_now = 2500ms;
    QVERIFY(near("VMON;", 4095 - 2048));
    m_now = 3000ms;
    QVERIFY(near("VMON;", 1000));
    ask("ENBL 0;");
    QVERIFY(near("VMON;", 0));
    QVERIFY(near("IMON;", 0));

    QVERIFY(near("LVPS;", 3972 + 2410));  // -15 V
    QVERIFY(near("TEMP;", 341));          // 25 degrees
    m_model->setFault(Fault::Temperature, true);
    QVERIFY(std::stoi(ask("TEMP;")) > 1000);
    // The filament idles at its preheat current: 1 A preheat reads 1 A on a 6 A scale.
    ask("13,1638,");
    QVERIFY(near("FMON;", 683));
}

void SimModelTest::arcsAreReportedOnceAndMayShutDown() {
    m_model->arc();
    QCOMPARE(ask("FLT;"), "00000000;");  // no high voltage, no arc
    ask("ENBL 1;");
    m_model->arc();
    QCOMPARE(ask("FLT;"), "10000000;");
    QCOMPARE(ask("FLT;"), "00000000;");
    QCOMPARE(ask("STAT;"), "1;");  // rides through and re-ramps

    // In single-arc mode the unit shuts down and shows the arc until cleared.
    m_model->factory().arcMode = 1;
    m_model->arc();
    QCOMPARE(ask("STAT;"), "0;");
    QCOMPARE(ask("22,").substr(0, 9), "22,0,0,1,");
    QCOMPARE(ask("FLT;"), "10000000;");
    QCOMPARE(ask("FLT;"), "10000000;");
    QCOMPARE(ask("CLR;"), ";");
    QCOMPARE(ask("FLT;"), "00000000;");
    QCOMPARE(ask("22,").substr(0, 9), "22,0,0,0,");

    // Raised from outside, as the other flags are.
    m_model->setFault(Fault::Arc, true);
    QCOMPARE(ask("FLT;"), "10000000;");
    m_model->setFault(Fault::Arc, false);
    QCOMPARE(ask("FLT;"), "00000000;");
}

void SimModelTest::repliesCutTheWayTheConsoleCutsThem() {
    using namespace zov::protocol;
    const std::string frev = asReceived(ask("FREV;"));
    QCOMPARE(cutFixed(frev, 2, 11), "REV 03.06.1");
    QCOMPARE(cutUntil(frev, 17, ','), std::optional<std::string>("0412"));
    QCOMPARE(cutFixed(asReceived(ask("HWVR;")), 2, 3), "A01");
    QCOMPARE(cutUntil(asReceived(ask("MODR;")), 2, ';'), std::optional<std::string>("ZOV80N100"));
    QCOMPARE(cutUntil(asReceived(ask("SOFT;")), 2, ';'), std::optional<std::string>("0412"));
    // Full-scale values are searched for ";" from position 5, so even small
    // ones keep four digits, which also keeps the configuration's decimal
    // point where the console inserts it.
    m_model->factory().fullScaleCurrent = 50;
    QCOMPARE(cutUntil(asReceived(ask("SLIR ;")), 2, ';', 5), std::optional<std::string>("0050"));
    QCOMPARE(cutUntil(asReceived(ask("SLVR ;")), 2, ';', 5), std::optional<std::string>("6000"));
    QCOMPARE(ask("CONF;"), "A01,ZOV80N100,6000,0050,2048,1,0,1024,");
    QCOMPARE(charAt(asReceived(ask("99,1,")), 5), std::optional<char>('$'));
}

void SimModelTest::userOptionsAndArcRateVerdicts() {
    QCOMPARE(ask("27,"), "27,0,105,10,0,5,10,50,1,0,");
    QCOMPARE(ask("09,1,105,25,0,5,10,50,1,0,"), "09,$,");
    QCOMPARE(ask("27,"), "27,1,105,25,0,5,10,50,1,0,");
    // Eleven arcs in ten seconds is more than one a second: discarded.
    QCOMPARE(ask("09,0,100,30,1,11,10,50,0,0,"), "09,1,");
    QCOMPARE(ask("09,0,100,30,1,5,0,50,0,0,"), "09,1,");
    QCOMPARE(ask("27,"), "27,1,105,25,0,5,10,50,1,0,");
    QCOMPARE(ask("09,0,100,30,1,5,10,50,0,1,"), "09,2,");
    QCOMPARE(ask("27,"), "27,0,100,30,1,5,10,50,0,1,");
    QCOMPARE(ask("22,"), "22,0,0,0,0,0,0,1,0,");
    QCOMPARE(ask("09,1,2,3,"), "09,1,");
    QCOMPARE(ask("09,0,100,30,1,5,10,x,0,1,"), "09,1,");
    // A console that never read the quench time sends it empty: not an arc-rate verdict.
    QCOMPARE(ask("09,0,100,30,1,5,10,,0,0,"), "09,$,");
    QCOMPARE(ask("27,"), "27,0,100,30,1,5,10,50,0,0,");
}

void SimModelTest::pinnedMonitorsReadExactly() {
    m_model->pinMonitor(Monitor::Temperature, 341);
    m_model->pinMonitor(Monitor::Voltage, 4095);
    ask("VREF 1000;");
    ask("ENBL 1;");
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(ask("TEMP;"), "341;");
        QCOMPARE(ask("VMON;"), "4095;");
    }
    m_model->setFault(Fault::Temperature, true);
    QCOMPARE(ask("TEMP;"), "341;");

    m_model->pinMonitor(Monitor::Temperature, std::nullopt);
    m_model->pinMonitor(Monitor::Voltage, std::nullopt);
    m_model->clearFaults();
    m_model->setMonitorNoise(false);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(ask("TEMP;"), "341;");
        QCOMPARE(ask("LVPS;"), "6382;");
        QCOMPARE(ask("VMON;"), "0;");  // the fault switched the output off
    }
}

void SimModelTest::setCommandsAreTheOnesThatChangeTheUnit() {
    for (const char* read :
         {"STAT;", "FLT;", "VSET;", "ISET;", "VMON;", "TEMP;", "SLVR ;", "HWVR;", "FREV;", "SNUR;",
          "CONF;", "16,", "17,", "22,", "27,", "XYZ;", "55,", "hello"}) {
        QVERIFY2(!isSetCommand(read), read);
    }
    for (const char* set : {"ENBL 1;", "ENBL 0;", "VREF 12;", "IREF 1;", "CLR;", "WDTE 0;", "WDTT;",
                            "BAUD 2;", "PASS 7955;", "MODP X;", "SNUS 1;", "10,0,", "13,7,",
                            "09,0,0,0,0,0,0,0,0,0,", "30,", "40,A01,", "96,", "99,1,"}) {
        QVERIFY2(isSetCommand(set), set);
    }
}

void SimModelTest::refusingEverything() {
    QCOMPARE(ask("XYZ;"), "1;");
    QCOMPARE(ask("55,"), "55,1,");
    QCOMPARE(ask("hello"), "1;");
    QCOMPARE(ask(""), "1;");
    QCOMPARE(refusalTo("VSET;"), "1;");
    QCOMPARE(refusalTo("16,"), "16,1,");
}

void SimModelTest::serialFramesNeedGoodChecksums() {
    using zov::protocol::serialFrame;
    FrameReader reader(Link::Serial);
    std::string bad = serialFrame("VSET;");
    bad[6] ^= 1;
    const std::string stream = "noise" + serialFrame("HWVR;") + bad + serialFrame("");
    QCOMPARE(reader.feed(stream), (std::vector<std::string>{"HWVR;", ""}));

    // In pieces, and restarted by an STX in mid-frame.
    const std::string frame = serialFrame("ISET;");
    QVERIFY(reader.feed("\x02VS" + frame.substr(0, 3)).empty());
    QCOMPARE(reader.feed(frame.substr(3)), std::vector<std::string>{"ISET;"});
    // A frame without its CR is not a frame.
    std::string noCr = serialFrame("ISET;");
    noCr.erase(noCr.size() - 2, 1);
    QVERIFY(reader.feed(noCr).empty());
    QVERIFY(reader.feed("\x02" + std::string(2000, 'x') + "\n").empty());
}

void SimModelTest::tcpFrames() {
    FrameReader reader(Link::Tcp);
    QCOMPARE(reader.feed("xx\x02VSET;\x03\x02"
                         "16,\x03\x02ST"),
             (std::vector<std::string>{"VSET;", "16,"}));
    QCOMPARE(reader.feed("AT;\x03"), std::vector<std::string>{"STAT;"});
    QCOMPARE(frameReply(Link::Tcp, "2048;"),
             "\x02"
             "2048;\x03");
}

QTEST_GUILESS_MAIN(SimModelTest)
#include "test_sim_model.moc"
