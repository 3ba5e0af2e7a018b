// zovctl as a lab runs it: a process of its own against zov-sim on a
// pseudo-terminal or over TCP, each command once, its exit codes, what it
// prints (JSON and CSV parsed back) and what it sent, read from zov-sim's log.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// One zov-sim process serving both links in a directory of its own, with
// a log of every command it received.
class SimProcess {
public:
    explicit SimProcess(const QStringList& arguments) {
        process_.start(
            QStringLiteral(ZOV_SIM_PROGRAM),
            QStringList{"--pty", ptyLink(), "--tcp", "0", "--log", logPath()} + arguments);
    }
    ~SimProcess() { stop(); }
    // The unit goes away: its pseudo-terminal hangs up, its connections close.
    void stop() {
        process_.kill();
        process_.waitForFinished(3000);
    }

    [[nodiscard]] bool ready() {
        return QTest::qWaitFor(
            [&] {
                output_ += process_.readAllStandardOutput();
                return output_.contains("tcp on 127.0.0.1:");
            },
            5000);
    }
    [[nodiscard]] QString ptyLink() const { return dir_.filePath("port"); }
    [[nodiscard]] QString tcpLink() const {
        const auto match = QRegularExpression("tcp on (127.0.0.1:\\d+)").match(output_);
        return match.captured(1);
    }
    [[nodiscard]] QString logPath() const { return dir_.filePath("log.txt"); }

    // The commands received on either link, in order.
    [[nodiscard]] QStringList commands() const {
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return {};
        }
        static const QRegularExpression line(
            "^\\S+ \\S+ (?:serial|tcp) \"((?:[^\"\\\\]|\\\\.)*)\" ");
        QStringList commands;
        for (const QString& text : QString::fromLatin1(log.readAll()).split('\n')) {
            if (const auto match = line.match(text); match.hasMatch()) {
                commands << match.captured(1);
            }
        }
        return commands;
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString output_;
};

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The arguments after the link to `sim`: its pseudo-terminal, its TCP port
// or the simulated supply inside zovctl; "none" adds no link.
QStringList withLink(const QStringList& arguments, const QString& link, const SimProcess& sim) {
    if (link == "pty") {
        return QStringList{"--port", sim.ptyLink()} + arguments;
    }
    if (link == "tcp") {
        return QStringList{"--tcp", sim.tcpLink()} + arguments;
    }
    if (link == "builtin") {
        return QStringList{"--simulator"} + arguments;
    }
    return arguments;
}

Run zovctl(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ZOVCTL_PROGRAM), arguments);
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(3000);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// What one update cycle reads, by the names watch prints.
const QStringList kCycleVariables{"KV_MON", "EmMon",   "Fil_I_Mon",     "KV_PROG",      "MA_PROG",
                                  "XRAY",   "ARC",     "TEMP",          "OV",           "UV",
                                  "OC",     "UC",      "wdtFault",      "INTERLOCK",    "ARC_COUNT",
                                  "LVPS24", "AmbTemp", "KV_FULL_SCALE", "MA_FULL_SCALE"};

struct WatchLine {
    QDateTime time;
    QString event;
    QString variable;
    QString value;
};

// One line of the CSV or JSON form; an invalid time when it is no such line.
WatchLine parseWatchLine(const QByteArray& line, bool json) {
    WatchLine parsed;
    if (json) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        parsed.event = object.value("event").toString();
        parsed.variable = object.value("variable").toString();
        const QJsonValue value = object.value("value");
        parsed.value = value.isBool()     ? QString::number(int(value.toBool()))
                       : value.isDouble() ? QString::number(value.toDouble())
                                          : QString();
        parsed.time = QDateTime::fromString(object.value("time").toString(), Qt::ISODateWithMs);
        return parsed;
    }
    const QStringList fields = QString::fromUtf8(line).split(',');
    if (fields.size() == 5) {
        parsed = {QDateTime::fromString(fields[0], Qt::ISODateWithMs), fields[1], fields[2],
                  fields[3]};
    }
    return parsed;
}

// A profile file in a folder that lasts the whole test program.
QString profileFile(const char* name, const QByteArray& contents) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(contents);
    }
    return path;
}

// The last "ENBL" command among `commands`, or nothing.
QString lastEnbl(const QStringList& commands) {
    for (auto it = commands.crbegin(); it != commands.crend(); ++it) {
        if (it->startsWith("ENBL")) {
            return *it;
        }
    }
    return {};
}

}  // namespace

class ZovctlTest : public QObject {
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void watchPrintsEveryReading_data();
    void watchPrintsEveryReading();
    void watchEndsOnSignal_data();
    void watchEndsOnSignal();
    void season_data();
    void season();
    void cycleTestFor();
    void cycleTestEndsEarly_data();
    void cycleTestEndsEarly();
    void seasonTellsARefusedSetpoint();
};

void ZovctlTest::commands_data() {
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<QString>("link");  // pty, tcp, builtin or none (see withLink)
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");  // a pattern stdout must hold
    QTest::addColumn<QString>("err");  // what stderr's one line must hold; empty: silent
    QTest::addColumn<QStringList>("sent");

    const auto add = [](const char* name, const QStringList& sim, const char* link,
                        const QStringList& arguments, int exitCode, const char* out,
                        const char* err, const QStringList& sent) {
        QTest::newRow(name) << sim << QString(link) << arguments << exitCode << QString(out)
                            << QString(err) << sent;
    };
    const QStringList identity{"HWVR;", "MODR;", "FREV;", "SOFT;", "SNUR;"};
    const QStringList status{"STAT;", "FLT;"};
    const QStringList scales{"SLVR ;", "SLIR ;"};
    const QStringList none;

    // Done (0).
    add("identity", none, "pty", {"identity"}, 0, R"(model\s+ZOV80N100\n)", "", identity);
    add("identity --json", none, "tcp", {"--json", "identity"}, 0,
        R"("serialNumber":"101407139-A00041")", "", identity);
    add("status", {"--do", "fault over-current on"}, "pty", {"status"}, 0,
        R"(interlock\s+closed\n(.*\n)*over-current\s+FAULT\n)", "", status);
    add("status --json", {"--interlock-open"}, "tcp", {"status", "--json"}, 0,
        R"("interlockOpen":true)", "", status);
    add("read all", {"--do", "monitor temperature 341"}, "pty", {"read", "all"}, 0,
        R"(preheat\s+0.000 A \(0 counts\)\n(.*\n)*AmbTemp\s+25 degC\n)", "",
        {"SLVR ;", "VSET;", "SLIR ;", "ISET;", "16,", "17,", "VMON;", "IMON;", "FMON;", "LVPS;",
         "TEMP;"});
    add("read ma --json", none, "tcp", {"--json", "read", "ma"}, 0,
        R"("ma":\{"count":0,"unit":"mA","value":0\})", "", {"SLIR ;", "ISET;"});
    add("set kv 40", none, "pty", {"set", "kv", "40"}, 0,
        R"(kv programmed: 40.000 kV \(2730 counts\))", "", scales + QStringList{"VREF 2730;"});
    add("set ma 0.25", none, "tcp", {"set", "ma", "0.25"}, 0, R"(0.250 mA \(2048 counts\))", "",
        scales + QStringList{"IREF 2048;"});
    add("set kv --count", none, "pty", {"set", "kv", "--count", "2730"}, 0, "kv programmed", "",
        {"VREF 2730;", "SLVR ;"});
    add("xray on", none, "tcp", {"xray", "on"}, 0, "X-ray on", "", {"ENBL 1;"});
    add("xray off --json", none, "pty", {"xray", "off", "--json"}, 0, R"("on":false)", "",
        {"ENBL 0;"});
    add("reset-faults", none, "pty", {"reset-faults"}, 0, "faults reset", "", {"CLR;"});
    add("remote", none, "tcp", {"remote"}, 0, "remote", "", {"99,1,"});
    add("local", none, "pty", {"local"}, 0, "local", "", {"99,0,"});
    add("send", none, "pty", {"--service", "send", "SNUR;"}, 0, "<STX>101407139-A00041;", "",
        {"SNUR;"});
    add("send numbered --json", none, "tcp", {"--json", "--service", "send", "16,"}, 0,
        R"("reply":"<STX>16,0,<ETX>")", "", {"16,"});
    add("built-in simulator", none, "builtin", {"--json", "identity"}, 0, R"("model":"ZOV80N100")",
        "", none);
    add("help", none, "none", {"--help"}, 0, "Usage: zovctl", "", none);

    // Refused by the unit (1).
    add("refused xray", {"--refuse-set"}, "tcp", {"xray", "on"}, 1, "", "the unit refused ENBL 1;",
        {"ENBL 1;"});
    add("refused set --json", {"--do", "reply VREF* refuse"}, "pty", {"--json", "set", "kv", "40"},
        1, R"("answer":"refused")", "the unit refused VREF 2730;",
        scales + QStringList{"VREF 2730;"});
    add("no full scale", {"--do", R"(reply "SLVR ;" text 0000;)"}, "pty", {"set", "kv", "40"}, 1,
        "", "the unit gave no kV full scale", scales);

    // No answer or no link (3).
    add("no answer", {"--drop-every", "1"}, "pty", {"xray", "off"}, 3, "",
        "no answer from the supply to ENBL 0;", {"ENBL 0;"});
    add("no scale answer", {"--only", "SLVR ;", "--drop-every", "1"}, "tcp", {"set", "kv", "40"}, 3,
        "", "no answer from the supply", scales);
    add("no serial port", none, "none", {"--port", "/nonexistent/zov", "status"}, 3, "",
        "cannot open the serial port", none);
    add("no TCP listener --json", none, "none", {"--tcp", "127.0.0.1:1", "--json", "status"}, 3,
        R"("answer":"no answer")", "cannot connect to 127.0.0.1:1", none);

    // Usage (2): nothing opened, nothing sent.
    const auto usage = [&](const char* name, const QStringList& arguments, const char* err,
                           const QStringList& sent = {}) {
        add(name, {}, "pty", arguments, 2, "", err, sent);
    };
    usage("no command", {}, "no command");
    usage("unknown command", {"frobnicate"}, "no command \"frobnicate\"");
    add("no link", none, "none", {"identity"}, 2, "", "choose one link", none);
    usage("two links", {"--simulator", "identity"}, "choose one link");
    usage("baud", {"--baud", "4800", "identity"}, "--baud wants 115200 or 9600");
    usage("unknown option", {"--force", "identity"}, "no option \"--force\"");
    usage("read what", {"read", "volts"}, "read kv, ma");
    usage("set without value", {"set", "kv"}, "set kv|ma VALUE");
    usage("set negative", {"set", "kv", "-5"}, "from 0 up");
    usage("set exponent", {"set", "kv", "4e1"}, "from 0 up");
    // Only the scale read goes out: the value is checked against what it says.
    usage("set past full scale", {"set", "kv", "61"},
          "61 kV is above the unit's full scale of 60 kV; nothing was programmed", scales);
    usage("set count too large", {"set", "kv", "--count", "4096"}, "from 0 to 4095");
    usage("set value and count", {"set", "ma", "1", "--count", "5"}, "set kv|ma VALUE");
    usage("set filament", {"set", "preheat", "1"}, "set kv|ma VALUE");
    usage("xray maybe", {"xray", "maybe"}, "xray on or xray off");
    usage("send without --service", {"send", "VSET;"}, "add --service");
    usage("send two commands", {"--service", "send", "VSET;ENBL 1;"}, "before its end");
    usage("send line break", {"--service", "send", "VSET;\r\nENBL 1;"}, "a line break");
    usage("send control byte", {"--service", "send", "\x02VSET;"}, "control character");
    usage("send nothing", {"--service", "send", ""}, "no command");
    usage("watch too fast", {"watch", "--every", "5ms"}, "--every wants");
    usage("watch count and for", {"watch", "--count", "1", "--for", "1m"}, "do not go together");
    usage("watch format", {"watch", "--format", "xml"}, "--format wants csv or json");
    usage("option of another command", {"status", "--every", "1s"}, "does not go with");
    usage("season unreadable profile", {"season", "/nonexistent/profile.csv"}, "cannot read");
    usage("season bad profile",
          {"season", profileFile("bad.csv", "step,kV,mA,minutes,cycling\n1,40,0.25,1,maybe\n")},
          "line 2: cycling is \"maybe\", not yes or no; nothing was sent");
    usage("cycle-test without period", {"cycle-test", "--on", "1"}, "wants --on SECONDS");
    usage("cycle-test period not above on", {"cycle-test", "--on", "2", "--period", "1"},
          "Period has to be greater than the On time");
    usage("cycle-test on time below 0 s", {"cycle-test", "--on=-1", "--period", "2"},
          "--on wants a time above 0 s");
    usage("overlong argument", {"read", QString(300, 'k')}, "longer than 256");
}

void ZovctlTest::commands() {
    QFETCH(QStringList, simArguments);
    QFETCH(QString, link);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QStringList, sent);

    SimProcess sim(simArguments);
    QVERIFY(sim.ready());
    const Run run = zovctl(withLink(arguments, link, sim));

    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(QRegularExpression(out).match(QString::fromUtf8(run.out)).hasMatch(),
             run.out.constData());
    if (arguments.contains("--json")) {
        QJsonParseError error{};
        const QJsonDocument json = QJsonDocument::fromJson(run.out, &error);
        QVERIFY2(json.isObject() && run.out.count('\n') == 1, run.out.constData());
    }
    if (err.isEmpty()) {
        QVERIFY2(run.err.isEmpty(), run.err.constData());
    } else {
        QVERIFY2(run.err.startsWith("zovctl: ") && run.err.count('\n') == 1 &&
                     run.err.endsWith('\n') && run.err.contains(err.toUtf8()),
                 run.err.constData());
    }
    // A command's last reply may be logged just after zovctl has it.
    QTRY_COMPARE_WITH_TIMEOUT(sim.commands(), sent, 3000);
}

void ZovctlTest::watchPrintsEveryReading_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("json");
    QTest::addColumn<QStringList>("simArguments");
    QTest::addColumn<int>("staleLines");

    QTest::newRow("csv on the pty") << "pty" << false << QStringList{} << 0;
    QTest::newRow("json over tcp") << "tcp" << true << QStringList{} << 0;
    // The voltage monitor answers once, then no more: the second cycle marks it stale.
    QTest::newRow("a monitor going silent")
        << "pty" << false
        << QStringList{"--do", "reply VMON; own", "--do", "reply VMON; silent forever"} << 1;
}

void ZovctlTest::watchPrintsEveryReading() {
    QFETCH(QString, link);
    QFETCH(bool, json);
    QFETCH(QStringList, simArguments);
    QFETCH(int, staleLines);

    SimProcess sim(simArguments);
    QVERIFY(sim.ready());
    QStringList arguments{"watch", "--every", "10ms", "--count", "2"};
    if (json) {
        arguments << "--format"
                  << "json";
    }
    const Run run = zovctl(withLink(arguments, link, sim));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    QVERIFY(run.out.endsWith('\n'));

    QList<QByteArray> lines = run.out.split('\n');
    lines.removeLast();
    if (!json) {
        QCOMPARE(lines.takeFirst(), QByteArray("time,event,variable,value,detail"));
    }
    QMap<QString, int> readings;
    int stale = 0;
    for (const QByteArray& line : lines) {
        const WatchLine parsed = parseWatchLine(line, json);
        QVERIFY2(parsed.time.isValid() && kCycleVariables.contains(parsed.variable),
                 line.constData());
        if (parsed.event == "stale") {
            QCOMPARE(parsed.variable, QString("KV_MON"));
            ++stale;
            continue;
        }
        QCOMPARE(parsed.event, QString("reading"));
        bool number = false;
        parsed.value.toDouble(&number);
        QVERIFY2(number, line.constData());
        ++readings[parsed.variable];
    }
    QCOMPARE(stale, staleLines);
    for (const QString& variable : kCycleVariables) {
        QCOMPARE(readings.value(variable), variable == "KV_MON" ? 2 - staleLines : 2);
    }
    QCOMPARE(readings.value("KV_FULL_SCALE") > 0, true);
}

void ZovctlTest::watchEndsOnSignal_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
}

void ZovctlTest::watchEndsOnSignal() {
    QFETCH(int, signal);
    SimProcess sim({});
    QVERIFY(sim.ready());
    QProcess watch;
    watch.start(QStringLiteral(ZOVCTL_PROGRAM),
                {"--tcp", sim.tcpLink(), "watch", "--every", "10ms", "--format", "json"});
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += watch.readAllStandardOutput()).count('\n') >= 40, 10000);
    const qsizetype sentBefore = sim.commands().size();
    QVERIFY(::kill(static_cast<pid_t>(watch.processId()), signal) == 0);
    QVERIFY(watch.waitForFinished(10000));
    // Only the step under way (three monitors at most) and one command in
    // flight while the log was read go out after the signal.
    QVERIFY(sim.commands().size() - sentBefore <= 4);
    QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
    QCOMPARE(watch.exitCode(), 0);
    out += watch.readAllStandardOutput();
    QVERIFY(out.endsWith('\n'));
    QList<QByteArray> lines = out.split('\n');
    lines.removeLast();
    for (const QByteArray& line : lines) {
        QVERIFY2(parseWatchLine(line, true).time.isValid(), line.constData());
    }
    QCOMPARE(watch.readAllStandardError(), QByteArray());
}

void ZovctlTest::season_data() {
    QTest::addColumn<QString>("profile");
    QTest::addColumn<bool>("interrupt");
    QTest::addColumn<QString>("end");
    // One step of a minute, stopped once its setpoints went out.
    QTest::newRow("stopped by SIGINT")
        << profileFile("minute.csv", "step,kV,mA,minutes,cycling\n1,40,0.25,1,no\n") << true
        << "stopped";
    // One step of 0 minutes: the run ends at its first tick.
    QTest::newRow("to its end") << profileFile("short.csv", "1,40,0.25,0,no\n") << false
                                << "completed";
}

void ZovctlTest::season() {
    QFETCH(QString, profile);
    QFETCH(bool, interrupt);
    QFETCH(QString, end);
    SimProcess sim({});
    QVERIFY(sim.ready());
    QProcess season;
    season.start(QStringLiteral(ZOVCTL_PROGRAM),
                 {"--port", sim.ptyLink(), "--json", "season", profile});
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += season.readAllStandardError()).contains("step 1: 40 kV"),
                             10000);
    const QStringList sent{"SLVR ;", "SLIR ;", "VREF 2730;", "IREF 2048;"};
    if (interrupt) {
        QTRY_COMPARE_WITH_TIMEOUT(sim.commands(), sent, 3000);
        QVERIFY(::kill(static_cast<pid_t>(season.processId()), SIGINT) == 0);
    }
    QVERIFY(season.waitForFinished(20000));
    QCOMPARE(season.exitStatus(), QProcess::NormalExit);
    QCOMPARE(season.exitCode(), 0);
    const QJsonObject json = QJsonDocument::fromJson(season.readAllStandardOutput()).object();
    QCOMPARE(json.value("end").toString(), end);
    QCOMPARE(json.value("lastStep").toInt(), 1);
    QCOMPARE(json.value("xray").toString(), QString("off"));
    // Nothing after the step but the closing status read.
    const QStringList closed = sent + QStringList{"STAT;", "FLT;"};
    QTRY_COMPARE_WITH_TIMEOUT(sim.commands(), closed, 3000);
}

void ZovctlTest::cycleTestFor() {
    SimProcess sim({});
    QVERIFY(sim.ready());
    const Run run = zovctl({"--tcp", sim.tcpLink(), "--json", "cycle-test", "--on", "1", "--period",
                            "2", "--for", "3s"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains("output on: done"), run.err.constData());
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value("end").toString(), QString("time up"));
    QCOMPARE(json.value("xray").toString(), QString("off"));
    QTRY_VERIFY_WITH_TIMEOUT(sim.commands().endsWith("FLT;"), 3000);
    const QStringList commands = sim.commands();
    QCOMPARE(commands.first(), QString("ENBL 1;"));
    QCOMPARE(lastEnbl(commands), QString("ENBL 0;"));
}

void ZovctlTest::cycleTestEndsEarly_data() {
    QTest::addColumn<bool>("unitGoesAway");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("xray");
    // Ctrl-C: the output is left off, as the console's Stop leaves it.
    QTest::newRow("SIGINT") << false << 0 << "stopped"
                            << "off";
    // The output's state is then unknown: the tool tells what it last was
    // and when, and never passes that off as the state now.
    QTest::newRow("unit goes away") << true << 3 << "link lost"
                                    << "unknown";
}

void ZovctlTest::cycleTestEndsEarly() {
    QFETCH(bool, unitGoesAway);
    QFETCH(int, exitCode);
    QFETCH(QString, end);
    QFETCH(QString, xray);
    SimProcess sim({});
    QVERIFY(sim.ready());
    QProcess run;
    run.start(QStringLiteral(ZOVCTL_PROGRAM),
              {"--port", sim.ptyLink(), "--json", "cycle-test", "--on", "1", "--period", "2"});
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += run.readAllStandardError()).contains("output on: done"), 5000);
    if (unitGoesAway) {
        sim.stop();
    } else {
        QVERIFY(::kill(static_cast<pid_t>(run.processId()), SIGINT) == 0);
    }
    QVERIFY(run.waitForFinished(10000));
    QCOMPARE(run.exitCode(), exitCode);
    const QJsonObject json = QJsonDocument::fromJson(run.readAllStandardOutput()).object();
    QCOMPARE(json.value("end").toString(), end);
    QCOMPARE(json.value("xray").toString(), xray);
    QCOMPARE(json.contains("xrayLastReported"), unitGoesAway);
    if (!unitGoesAway) {
        QTRY_COMPARE_WITH_TIMEOUT(lastEnbl(sim.commands()), QString("ENBL 0;"), 3000);
    }
}

// A setpoint the unit refuses is told, and the run ends refused, not done.
void ZovctlTest::seasonTellsARefusedSetpoint() {
    SimProcess sim({});
    QVERIFY(sim.ready());
    const Run run = zovctl({"--port", sim.ptyLink(), "--json", "season",
                            profileFile("beyond.csv", "1,100,0.25,0,no\n")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("step 1: the unit refused VREF 6825;"), run.err.constData());
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value("end").toString(), QString("completed"));
    QCOMPARE(json.value("answer").toString(), QString("refused"));
}

QTEST_GUILESS_MAIN(ZovctlTest)
#include "test_zovctl.moc"
