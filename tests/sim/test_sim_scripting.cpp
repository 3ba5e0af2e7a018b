// The scripting and fault layer of the simulated supply and its control
// lines, without any link in between.
#include <QtTest>

#include "protocol/protocol.h"
#include "sim/control_panel.h"
#include "sim/control_words.h"
#include "sim/handling.h"
#include "sim/replies.h"
#include "sim/scripting_layer.h"
#include "sim/shape.h"

using namespace zov::sim;
using namespace std::chrono_literals;
using Content = ScriptedReply::Content;

namespace {

// What the layer makes of successive commands, one letter each: 'o' the
// unit's own reply, 't' a text, 'w' raw bytes, 'r' a refusal, 's' silence, '-' lost, 'x' the
// connection closed.
QString treated(ScriptingLayer& layer, const std::vector<const char*>& commands,
                Link link = Link::Serial) {
    QString letters;
    for (const char* command : commands) {
        const Treatment t = layer.treat(link, command);
        if (t.closeConnection) {
            letters += 'x';
        } else if (t.lost) {
            letters += '-';
        } else {
            letters += QString("otwrs").at(static_cast<int>(t.reply.content()));
        }
    }
    return letters;
}

std::vector<const char*> repeated(const char* command, int times) {
    return std::vector<const char*>(static_cast<std::size_t>(times), command);
}

}  // namespace

class SimScriptingTest : public QObject {
    Q_OBJECT

private slots:
    void patternsMatchExactlyOrByPrefix();
    void repliesCutAtOffsetsOrIntoEqualPieces();
    void scriptedRepliesInTurn();
    void scriptBeatsTheFaultPlan();
    void faultsAimedAndCountedFromTheirSetting();
    void randomLossesRepeatWithTheirSeed();
    void refusalAimedAtSetCommands();
    void wordsSplitAtBlanksAndQuotes();
    void controlLinesDriveTheUnit();
    void controlLinesSetTheLinkFaults();
    void wrongControlLinesChangeNothing_data();
    void wrongControlLinesChangeNothing();
    void logLinesSayWhatBecameOfACommand();
};

void SimScriptingTest::patternsMatchExactlyOrByPrefix() {
    QVERIFY(CommandPattern("STAT;").matches("STAT;"));
    QVERIFY(!CommandPattern("STAT;").matches("STAT; "));
    QVERIFY(!CommandPattern("ENBL").matches("ENBL 1;"));
    QVERIFY(CommandPattern("ENBL*").matches("ENBL 1;"));
    QVERIFY(CommandPattern("ENBL*").matches("ENBL"));
    QVERIFY(!CommandPattern("ENBL*").matches("ENB"));
    QVERIFY(CommandPattern("09,*").matches("09,1,105,25,0,5,10,50,1,0,"));
    QVERIFY(!CommandPattern("09,").matches("09,1,"));
    for (const char* any : {"", "*"}) {
        QVERIFY(CommandPattern(any).matches("VMON;"));
        QVERIFY(CommandPattern(any).matches(""));
    }
}

void SimScriptingTest::repliesCutAtOffsetsOrIntoEqualPieces() {
    const std::string frame = zov::protocol::tcpFrame("ZOV80N100;");
    const auto bytesOf = [](const std::vector<Piece>& pieces) {
        QStringList texts;
        for (const Piece& piece : pieces) {
            texts << QString::fromLatin1(piece.bytes.data(), static_cast<int>(piece.bytes.size()));
        }
        return texts;
    };
    Shape shape;
    QCOMPARE(cut(frame, shape).size(), 1u);
    QCOMPARE(cut(frame, shape).front().bytes, frame);

    shape.splitAt = {5, 1, 5, 0, 99};  // unordered, repeated and outside the frame
    shape.delay = 100ms;
    shape.splitGap = 30ms;
    shape.leadingGarbage = "\x7f?";
    shape.trailingBytes = "ZZ";
    const auto pieces = cut(frame, shape);
    QCOMPARE(bytesOf(pieces), (QStringList{"\x7f?\x02", "ZOV8", "0N100;\x03ZZ"}));
    QCOMPARE(pieces[0].delay, std::chrono::nanoseconds(100ms));
    QCOMPARE(pieces[1].delay, std::chrono::nanoseconds(30ms));

    shape.splitAt.clear();
    shape.equalPieces = 4;
    QCOMPARE(bytesOf(cut(frame, shape)), (QStringList{"\x7f?\x02ZO", "V80", "N10", "0;\x03ZZ"}));
    shape.equalPieces = 100;
    QCOMPARE(cut("\x02;\x03", shape).size(), 3u);
    QVERIFY(cut("", Shape{}).empty());
}

void SimScriptingTest::scriptedRepliesInTurn() {
    ReplyScript script;
    QVERIFY(script.add("STAT;", {ScriptedReply::text("1;")}, kEachReplyOnce));
    QVERIFY(script.add("ENBL*", {ScriptedReply::silence()}, 2));
    QVERIFY(script.add("27,", {ScriptedReply::text("27,a,"), ScriptedReply::raw("x")}, 4));
    QVERIFY(script.add("STAT;", {ScriptedReply::refusal()}, kUntilCleared));
    QVERIFY(!script.add("FLT;", {}, 1));
    QVERIFY(!script.add("FLT;", {ScriptedReply::own()}, -2));

    QCOMPARE(script.take("STAT;")->bytes(), "1;");
    for (int i = 0; i < 5; ++i) {  // a later rule for the same command goes on from there
        QCOMPARE(script.take("STAT;")->content(), Content::Refusal);
    }
    QCOMPARE(script.take("ENBL 1;")->content(), Content::Nothing);
    QCOMPARE(script.take("ENBL 0;")->content(), Content::Nothing);
    QVERIFY(!script.take("ENBL 1;"));
    QString sequence;
    for (int i = 0; i < 5; ++i) {
        const auto reply = script.take("27,");
        sequence += reply ? QString::fromStdString(reply->bytes()) + ' ' : QString("- ");
    }
    QCOMPARE(sequence, "27,a, x x x - ");
    QVERIFY(!script.take("FLT;"));
    QCOMPARE(script.size(), 1u);
    script.clear();
    QVERIFY(!script.take("STAT;"));

    for (std::size_t i = 0; i < ReplyScript::kMaxRules; ++i) {
        QVERIFY(script.add("*", {ScriptedReply::own()}, 1));
    }
    QVERIFY(!script.add("*", {ScriptedReply::own()}, 1));
}

void SimScriptingTest::scriptBeatsTheFaultPlan() {
    ScriptingLayer layer(isSetCommand);
    layer.faults().dropEvery = 1;
    layer.script().add("VMON;", {ScriptedReply::text("12x;").late(200ms)}, 1);
    const Treatment scripted = layer.treat(Link::Tcp, "VMON;");
    QCOMPARE(scripted.origin, Treatment::Origin::Script);
    QVERIFY(!scripted.lost);
    QCOMPARE(scripted.reply.shape().delay, 200ms);
    QCOMPARE(treated(layer, {"VMON;"}), "-");
}

void SimScriptingTest::faultsAimedAndCountedFromTheirSetting() {
    ScriptingLayer layer(isSetCommand);
    layer.faults().dropEvery = 1;
    layer.faults().only = "FLT;";
    QCOMPARE(treated(layer, {"STAT;", "FLT;", "STAT;", "FLT;"}), "o-o-");

    // Every second one of the aimed-at commands, counted from the first.
    layer.faults().only = "SLIR ;";
    layer.faults().dropEvery = 2;
    QCOMPARE(treated(layer, {"SLVR ;", "SLIR ;", "SLVR ;", "SLIR ;", "SLIR ;", "SLIR ;"}),
             "ooo-o-");
    // A change of the period starts the count afresh, and so does a clear.
    layer.faults().dropEvery = 3;
    QCOMPARE(treated(layer, repeated("SLIR ;", 4)), "oo-o");
    layer.clearFaults();
    QCOMPARE(layer.faults().only, CommandPattern());
    layer.faults().dropEvery = 3;
    QCOMPARE(treated(layer, repeated("STAT;", 4)), "oo-o");

    // Closing the connection counts TCP commands only.
    layer.clearFaults();
    layer.faults().tcpDropEvery = 2;
    QCOMPARE(treated(layer, repeated("STAT;", 3), Link::Serial), "ooo");
    QCOMPARE(treated(layer, repeated("STAT;", 4), Link::Tcp), "oxox");

    // The plan's delay and pieces shape the reply.
    layer.clearFaults();
    layer.faults().delay = 40ms;
    layer.faults().splitPieces = 3;
    const Treatment shaped = layer.treat(Link::Serial, "STAT;");
    QCOMPARE(shaped.origin, Treatment::Origin::Faults);
    QCOMPARE(shaped.reply.shape().delay, 40ms);
    QCOMPARE(shaped.reply.shape().equalPieces, 3u);
}

void SimScriptingTest::randomLossesRepeatWithTheirSeed() {
    ScriptingLayer layer(isSetCommand);
    layer.faults().dropFraction = 0.25;
    layer.faults().seed = 7;
    const auto commands = repeated("STAT;", 1000);
    const QString first = treated(layer, commands);
    layer.faults().seed = 8;
    QVERIFY(treated(layer, commands) != first);
    layer.faults().seed = 7;
    QCOMPARE(treated(layer, commands), first);
    layer.clearFaults();
    layer.faults().dropFraction = 0.25;
    layer.faults().seed = 7;
    QCOMPARE(treated(layer, commands), first);
    const auto lost = first.count('-');
    QVERIFY2(lost > 180 && lost < 320, qPrintable(QString::number(lost)));
}

void SimScriptingTest::refusalAimedAtSetCommands() {
    ScriptingLayer layer(isSetCommand);
    layer.faults().refuseSetCommands = true;
    QCOMPARE(treated(layer, {"STAT;", "ENBL 1;", "FLT;", "VREF 5;", "22,", "99,1,", "VMON;"}),
             "orororo");
    layer.faults().only = "ENBL*";
    QCOMPARE(treated(layer, {"ENBL 1;", "VREF 5;"}), "ro");
    layer.clearFaults();
    layer.faults().refuseAll = true;
    QCOMPARE(treated(layer, {"STAT;", "ENBL 1;"}), "rr");
}

void SimScriptingTest::wordsSplitAtBlanksAndQuotes() {
    using Split = std::optional<std::vector<std::string>>;
    QCOMPARE(splitWords("  reply STAT;\ttext  1; "), Split({"reply", "STAT;", "text", "1;"}));
    QCOMPARE(splitWords(R"(reply "SLVR ;" raw "\x02 \"q\" \\ \r\n\t" "")"),
             Split({"reply", "SLVR ;", "raw", "\x02 \"q\" \\ \r\n\t", ""}));
    QCOMPARE(splitWords(""), Split(std::vector<std::string>{}));
    for (const char* wrong : {R"(reply "STAT;)", R"("\x0")", R"("\xzz")", R"("\q")", R"("\)"}) {
        QVERIFY2(!splitWords(wrong), wrong);
    }
}

void SimScriptingTest::controlLinesDriveTheUnit() {
    Simulator sim;
    ControlPanel panel(sim);
    SupplyModel& unit = sim.model();
    const auto run = [&](const char* line) {
        const auto error = panel.run(line);
        QVERIFY2(!error, error ? error->c_str() : "");
    };
    run("interlock open");
    QVERIFY(unit.interlockOpen());
    run("interlock closed");
    QVERIFY(!unit.interlockOpen());
    for (const char* flag : {"arc", "temperature", "over-voltage", "under-voltage", "over-current",
                             "under-current", "watchdog"}) {
        run(("fault " + std::string(flag) + " on").c_str());
    }
    QCOMPARE(replyTo(unit, "FLT;"), "11111110;");
    QCOMPARE(replyTo(unit, "22,"), "22,0,0,1,0,0,0,0,0,");
    run("fault supply on");
    QVERIFY(unit.fault(Fault::Supply));
    run("fault over-voltage off");
    QVERIFY(!unit.fault(Fault::OverVoltage));
    QVERIFY(unit.fault(Fault::UnderVoltage));
    run("fault clear");
    QVERIFY(!unit.anyFault());

    run("current-mode on");
    run("remote on");
    QVERIFY(unit.currentMode() && unit.remote());
    run("monitor temperature 341");
    run("monitor voltage 4095");
    QCOMPARE(replyTo(unit, "TEMP;"), "341;");
    QCOMPARE(replyTo(unit, "VMON;"), "4095;");
    run("monitor voltage free");
    run("noise off");
    QCOMPARE(replyTo(unit, "VMON;"), "0;");
    QCOMPARE(replyTo(unit, "LVPS;"), "6382;");
    run("baud 9600");
    QCOMPARE(unit.baudRate(), 9600);

    run("watchdog trip 50");
    run("watchdog on");
    QVERIFY(unit.watchdogEnabled());
    QTRY_VERIFY(unit.fault(Fault::Watchdog));
    run("watchdog off");
    QVERIFY(!unit.watchdogEnabled());

    // Arcs need the output on.
    run("fault clear");
    QCOMPARE(replyTo(unit, "ENBL 1;"), ";");
    run("arc");
    QCOMPARE(replyTo(unit, "FLT;"), "10000000;");
    run("arc every 20");
    // Each read takes the arc flag, so wait for one read to find it.
    QVERIFY(QTest::qWaitFor([&] { return replyTo(unit, "FLT;") == "10000000;"; }));
    run("arc every off");
    run("# a comment, and then a blank line");
    run("   ");
}

void SimScriptingTest::controlLinesSetTheLinkFaults() {
    Simulator sim;
    ControlPanel panel(sim);
    QVERIFY(!panel.run(R"(link only "SLIR ;" drop-every 2 delay 150 split 3 split-gap 40)"));
    QVERIFY(!panel.run(R"(link garbage "\x7f" trailing "\r\nX" refuse set tcp-drop-every 4)"));
    QVERIFY(!panel.run("link drop-share 0.5 seed 9 pace unit"));
    const FaultPlan& plan = sim.faults();
    QCOMPARE(plan.only, CommandPattern("SLIR ;"));
    QCOMPARE(plan.dropEvery, 2);
    QCOMPARE(plan.delay, 150ms);
    QCOMPARE(plan.splitPieces, 3);
    QCOMPARE(plan.splitGap, 40ms);
    QCOMPARE(plan.leadingGarbage, "\x7f");
    QCOMPARE(plan.trailingBytes, "\r\nX");
    QVERIFY(plan.refuseSetCommands && !plan.refuseAll);
    QCOMPARE(plan.tcpDropEvery, 4);
    QCOMPARE(plan.dropFraction, 0.5);
    QCOMPARE(plan.seed, 9u);
    QVERIFY(plan.pacedSerial);
    QVERIFY(!panel.run("link pace 2400 refuse all only all"));
    QCOMPARE(plan.serialBaud, 2400);
    QVERIFY(!plan.pacedSerial && plan.refuseAll && !plan.refuseSetCommands);
    QCOMPARE(plan.only, CommandPattern());
    QVERIFY(!panel.run("link clear"));
    QCOMPARE(plan.dropEvery, 0);
    QCOMPARE(plan.serialBaud, 0);
}

void SimScriptingTest::wrongControlLinesChangeNothing_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error");
    QTest::newRow("unknown") << "lever up"
                             << "no control command \"lever\"";
    QTest::newRow("no flag") << "fault sparks on"
                             << "no fault flag \"sparks\"";
    QTest::newRow("no switch") << "fault arc"
                               << "missing on or off";
    QTest::newRow("bad switch") << "interlock ajar"
                                << "open or closed, not \"ajar\"";
    QTest::newRow("left over") << "interlock open now"
                               << "unexpected \"now\"";
    QTest::newRow("count") << "monitor temperature -1"
                           << "count or free must be a whole number from 0 to 65535, not \"-1\"";
    QTest::newRow("speed") << "baud 2400"
                           << "the unit runs at 9600 or 115200 baud";
    QTest::newRow("quote") << "reply \"STAT; silent"
                           << "an unclosed quote or a bad escape";
    QTest::newRow("two contents") << "reply STAT; silent text 1;"
                                  << "more than one content for one reply";
    QTest::newRow("never") << "reply STAT; times 0"
                           << "a reply must be given at least once";
    QTest::newRow("offsets") << "reply STAT; split-at 3,x"
                             << "a byte offset must be a whole number from 0 to 4096, not \"x\"";
    QTest::newRow("link offsets") << "link split-at 3"
                                  << "link faults split into equal pieces; split-at is for reply "
                                     "and status";
    QTest::newRow("share") << "link drop-every 1 drop-share 2"
                           << "the share must be from 0 to 1";
    QTest::newRow("nothing") << "link"
                             << "missing link setting";
    QTest::newRow("arcs") << "arc every 0"
                          << "the arc period must be at least 1 ms";
}

void SimScriptingTest::wrongControlLinesChangeNothing() {
    QFETCH(QString, line);
    QFETCH(QString, error);
    Simulator sim;
    ControlPanel panel(sim);
    const auto got = panel.run(line.toStdString());
    QCOMPARE(QString::fromStdString(got.value_or("(carried out)")), error);
    QVERIFY(!sim.model().interlockOpen());
    QCOMPARE(sim.faults().dropEvery, 0);
    QCOMPARE(sim.faults().serialBaud, 0);
    QCOMPARE(replyTo(sim.model(), "TEMP;").size(), 4u);
}

// The program's log shows the common lines; these are the rarer ones.
void SimScriptingTest::logLinesSayWhatBecameOfACommand() {
    using Outcome = Handling::Outcome;
    Handling answered(Outcome::Answered, Link::Serial, "STAT;");
    answered.reply = "0;";
    answered.delay = 150ms;
    answered.pieces = 3;
    QCOMPARE(describe(answered), R"(serial "STAT;" answered "0;" delayed 150 ms in 3 pieces)");
    Handling refused(Outcome::Scripted, Link::Tcp, "ENBL 1;");
    refused.reply = "1;";
    refused.refusal = true;
    refused.pieces = 1;
    QCOMPARE(describe(refused), R"(tcp "ENBL 1;" scripted refusal "1;")");
    Handling raw(Outcome::Scripted, Link::Serial, "SNUS a\"b;");
    raw.reply = "\x02\\\xff";
    raw.raw = true;
    raw.pieces = 1;
    QCOMPARE(describe(raw), R"(serial "SNUS a\"b;" scripted raw "\x02\\\xff")");
    QCOMPARE(describe(Handling(Outcome::ConnectionClosed, Link::Tcp, "STAT;")),
             R"(tcp "STAT;" closed the connection)");
}

QTEST_GUILESS_MAIN(SimScriptingTest)
#include "test_sim_scripting.moc"
