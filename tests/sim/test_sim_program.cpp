// zov-sim as an engineer runs it: a process of its own, staged from its
// command line and driven through its control channel while a client talks
// to it.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include "link_clients.h"
#include "protocol/protocol.h"

namespace {

QByteArray serialFrame(const char* reply) {
    return QByteArray::fromStdString(zov::protocol::serialFrame(reply));
}

QByteArray tcpFrame(const char* reply) {
    return QByteArray::fromStdString(zov::protocol::tcpFrame(reply));
}

// A connection the program has taken up, so that its status messages reach it.
bool served(TcpClient& tcp) {
    tcp.send(tcpFrame("STAT;"));
    return tcp.readUntil('\x03') == tcpFrame("0;");
}

// One zov-sim process serving a pseudo-terminal in a directory of its own.
class SimProcess {
public:
    explicit SimProcess(QStringList arguments) {
        m_ptyLink = m_dir.filePath("port");
        m_controlPath = m_dir.filePath("control");
        m_logPath = m_dir.filePath("log.txt");
        for (QString& argument : arguments) {
            argument.replace("@DIR", m_dir.path());
        }
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { m_output += m_process.readAllStandardOutput(); });
        QObject::connect(&m_process, &QProcess::readyReadStandardError,
                         [this] { m_errors += m_process.readAllStandardError(); });
        m_process.start(QStringLiteral(ZOV_SIM_PROGRAM),
                        QStringList{"--pty", m_ptyLink} + arguments);
    }
    ~SimProcess() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    // Waits until the program has said it serves everything it was asked to.
    [[nodiscard]] bool ready(const char* lastLine) {
        return QTest::qWaitFor([&] { return m_output.contains(lastLine); }, 5000);
    }
    [[nodiscard]] quint16 tcpPort() const {
        const auto match = QRegularExpression("tcp on 127.0.0.1:(\\d+)").match(m_output);
        return match.hasMatch() ? static_cast<quint16>(match.captured(1).toUInt()) : 0;
    }
    // As another process would: open the named pipe, write a line, close it.
    void control(const QByteArray& line) const {
        const int fd = ::open(QFile::encodeName(m_controlPath).constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY2(fd >= 0, "control pipe");
        const QByteArray bytes = line + '\n';
        QCOMPARE(::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
        ::close(fd);
    }
    void stop() {
        m_process.terminate();
        QTRY_COMPARE(m_process.state(), QProcess::NotRunning);
    }

    QProcess& process() { return m_process; }
    [[nodiscard]] const QString& errors() const { return m_errors; }
    [[nodiscard]] const QString& ptyLink() const { return m_ptyLink; }
    [[nodiscard]] const QString& controlPath() const { return m_controlPath; }
    [[nodiscard]] const QString& logPath() const { return m_logPath; }

private:
    QTemporaryDir m_dir;
    QString m_ptyLink;
    QString m_controlPath;
    QString m_logPath;
    QProcess m_process;
    QString m_output;
    QString m_errors;
};

}  // namespace

class SimProgramTest : public QObject {
    Q_OBJECT

private slots:
    void controlChannelFromAnotherProcess();
    void commandLineStagesTheUnit();
    void standardInputAsControlChannel();
};

void SimProgramTest::controlChannelFromAnotherProcess() {
    SimProcess sim({"--tcp", "0", "--control", "@DIR/control", "--log", "@DIR/log.txt"});
    QVERIFY(sim.ready("control on"));
    TcpClient tcp(sim.tcpPort());
    PtyClient port(sim.ptyLink());
    QVERIFY(served(tcp) && port.isOpen());

    sim.control("interlock open");
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,1,0,0,0,0,0,0,"));
    sim.control("monitor temperature 341");
    sim.control("reply STAT; silent");
    sim.control(R"(reply "ENBL 1;" text 2;)");
    sim.control("link only FLT; drop-every 1");
    sim.control(R"(status text "22,1,1,0,0,0,0,0,0,")");
    // The lines have all been carried out once the status message is here.
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,1,1,0,0,0,0,0,0,"));

    port.send(serialFrame("TEMP;") + serialFrame("TEMP;") + serialFrame("STAT;") +
              serialFrame("ENBL 1;") + serialFrame("FLT;") + serialFrame("SOFT;"));
    for (const char* reply : {"341;", "341;", "2;", "0412;"}) {
        QCOMPARE(port.readUntil('\n'), serialFrame(reply));
    }

    sim.control("lever up");
    sim.control(QByteArray(2000, 'x'));
    sim.control("fault over-current on");
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,1,1,0,0,0,0,0,"));
    QVERIFY2(sim.errors().contains(R"(zov-sim: control: lever up: no control command "lever")"),
             qPrintable(sim.errors()));
    QVERIFY(sim.errors().contains("(too long, ignored): too long"));
    sim.stop();
    QVERIFY(!QFileInfo::exists(sim.controlPath()));

    QFile log(sim.logPath());
    QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList lines = QString::fromLatin1(log.readAll()).split('\n', Qt::SkipEmptyParts);
    const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
    for (QString& line : lines) {
        QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
        line.remove(stamp);
    }
    const QStringList expected{
        R"(tcp "STAT;" answered "0;")",
        "control interlock open",
        R"(tcp status "22,0,1,0,0,0,0,0,0," delayed 20 ms)",
        "control monitor temperature 341",
        "control reply STAT; silent",
        R"(control reply \"ENBL 1;\" text 2;)",
        "control link only FLT; drop-every 1",
        R"(control status text \"22,1,1,0,0,0,0,0,0,\")",
        R"(tcp status "22,1,1,0,0,0,0,0,0,")",
        R"(serial "TEMP;" answered "341;")",
        R"(serial "TEMP;" answered "341;")",
        R"(serial "STAT;" scripted, no reply)",
        R"(serial "ENBL 1;" scripted "2;")",
        R"(serial "FLT;" dropped "00000001;")",
        R"(serial "SOFT;" answered "0412;")",
        "control lever up",
        R"(control error: no control command "lever")",
        "control (too long, ignored)",
        "control error: too long",
        "control fault over-current on",
        R"(tcp status "22,0,1,1,0,0,0,0,0," delayed 20 ms)",
    };
    QCOMPARE(lines, expected);
}

void SimProgramTest::commandLineStagesTheUnit() {
    SimProcess sim({"--watchdog", "on", "--watchdog-trip", "150", "--baud", "9600", "--do",
                    "reply SNUR; text X-1;", "--do", "monitor aux 100"});
    QVERIFY(sim.ready("serial on"));
    // The unit starts at 9600 baud, so does its line; a host at 115200 is not heard.
    PtyClient port(sim.ptyLink());
    port.send(serialFrame("22,") + serialFrame("SNUR;") + serialFrame("LVPS;"));
    for (const char* reply : {"22,0,0,0,0,0,0,0,1,", "X-1;", "100;"}) {
        QCOMPARE(port.readUntil('\n'), serialFrame(reply));
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            port.send(serialFrame("FLT;"));
            return port.readUntil('\n') == serialFrame("00000010;");
        },
        5000));
    port.setBaud(115200);
    port.send(serialFrame("STAT;"));
    QCOMPARE(port.collectFor(200), QByteArray());

    SimProcess wrong({"--do", "watchdog sometimes"});
    QTRY_COMPARE(wrong.process().state(), QProcess::NotRunning);
    QCOMPARE(wrong.process().exitCode(), 2);
    QVERIFY(wrong.errors().contains("watchdog sometimes: on or off"));

    // A port or a count that is no number used to be read as 0: a port of
    // the system's choice, or no fault where one was asked for.
    for (const QStringList& arguments :
         {QStringList{"--tcp", "abc"}, QStringList{"--tcp", "70000"},
          QStringList{"--drop-every", "3x"}, QStringList{"--drop-fraction", "2"}}) {
        SimProcess refused(arguments);
        QTRY_COMPARE(refused.process().state(), QProcess::NotRunning);
        QCOMPARE(refused.process().exitCode(), 2);
        QVERIFY2(refused.errors().contains(arguments.first() + " wants"),
                 qPrintable(refused.errors()));
    }
}

void SimProgramTest::standardInputAsControlChannel() {
    SimProcess sim({"--tcp", "0", "--control", "-"});
    QVERIFY(sim.ready("control on"));
    TcpClient tcp(sim.tcpPort());
    QVERIFY(served(tcp));
    const int readsBefore = tcp.reads();
    sim.process().write("status text \"22,0,0,0,0,1,0,0,0,\" split-at 3 split-gap 50\n");
    QCOMPARE(tcp.readUntil('\x03'), tcpFrame("22,0,0,0,0,1,0,0,0,"));
    QCOMPARE(tcp.reads() - readsBefore, 2);
}

QTEST_GUILESS_MAIN(SimProgramTest)
#include "test_sim_program.moc"
