// What the service windows decide, without widgets: the factory data reply
// and commands, the user options, the service commands, and which typed
// texts may go into a command at all.
#include <QtTest>

#include "config/service_commands.h"
#include "config/typed_entry.h"
#include "core/factory_data.h"
#include "core/user_options.h"

using namespace zov::config;
using namespace zov::core;

namespace {

// "field=text" for each field taken, then "kV=" and the voltage kept.
QStringList describe(const Configuration& configuration) {
    static const char* const names[] = {"hwd", "modl", "scale", "preheat", "ramp", "arc", "filaOn"};
    QStringList taken;
    for (const auto& [field, text] : configuration.shown) {
        taken << QStringLiteral("%1=%2").arg(names[int(field)], QString::fromStdString(text));
    }
    taken << QStringLiteral("kV=%1").arg(
        QString::fromStdString(configuration.kvVoltage.value_or("none")));
    return taken;
}

std::string reply(const char* body) {
    return std::string("\x02") + body +
           "\x03"
           "7\r\n";
}

}  // namespace

class ConfigLogicTest : public QObject {
    Q_OBJECT
private slots:
    void configurationReply_data();
    void configurationReply();
    void programmingCommands();
    void typedEntries_data();
    void typedEntries();
    void userOptions();
    void optionEdits();
    void serviceCommands();
};

void ConfigLogicTest::configurationReply_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("expected");
    const QStringList example{
        "hwd=A01", "modl=ZOV80N100", "scale=80.00,1.388", "preheat=1.0002442002442",
        "ramp=1",  "arc=0",          "filaOn=20.00",      "kV=80.00"};
    QTest::newRow("example") << "A01,ZOV80N100,8000,1388,2048,1,0,1024," << example;
    QTest::newRow("three integer digits")
        << "A01,M,10000,1388,0,1,0,4095,"
        << QStringList{"hwd=A01", "modl=M", "scale=100.00,1.388", "preheat=0",
                       "ramp=1",  "arc=0",  "filaOn=100.00",      "kV=100.00"};
    QTest::newRow("two integer digits")
        << "A01,M,9999,1388,2048,1,0,0,"
        << QStringList{"hwd=A01", "modl=M", "scale=99.99,1.388", "preheat=1.0002442002442",
                       "ramp=1",  "arc=0",  "filaOn=0.00",       "kV=99.99"};
    // Below 10 kV and from 1000 kV on the digits are not "nn.nn" or "nnn.nn".
    QTest::newRow("one integer digit")
        << "A01,M,999,1388,0,1,0,4095,"
        << QStringList{"hwd=A01", "modl=M", "scale=9.99,1.388", "preheat=0",
                       "ramp=1",  "arc=0",  "filaOn=9.99",      "kV=9.99"};
    QTest::newRow("four integer digits")
        << "A01,M,100000,1388,0,1,0,2048,"
        << QStringList{"hwd=A01", "modl=M", "scale=1000.00,1.388", "preheat=0",
                       "ramp=1",  "arc=0",  "filaOn=500.12",       "kV=1000.00"};
    QTest::newRow("current below one mA")
        << "A01,M,8000,138," << QStringList{"hwd=A01", "modl=M", "scale=80.00,0.138", "kV=80.00"};
    QTest::newRow("current of ten mA or more")
        << "A01,M,8000,13880,"
        << QStringList{"hwd=A01", "modl=M", "scale=80.00,13.880", "kV=80.00"};
    QTest::newRow("current not a number")
        << "A01,M,8000,1.3mA,0," << QStringList{"hwd=A01", "modl=M", "kV=80.00"};
    QTest::newRow("leading zero and sign")
        << "A01,M,+08000,1388,0,1,0,1024,"
        << QStringList{"hwd=A01", "modl=M", "scale=80.00,1.388", "preheat=0",
                       "ramp=1",  "arc=0",  "filaOn=20.00",      "kV=80.00"};
    QTest::newRow("last field unterminated") << "A01,ZOV80N100,8000,1388,2048,1,0,1024" << [&] {
        QStringList shorter = example;
        shorter.removeAll(QStringLiteral("filaOn=20.00"));
        return shorter;
    }();
    QTest::newRow("voltage not a number")
        << "A01,ZOV80N100,80kV,1388," << QStringList{"hwd=A01", "modl=ZOV80N100", "kV=none"};
    QTest::newRow("voltage without current")
        << "A01,ZOV80N100,8000," << QStringList{"hwd=A01", "modl=ZOV80N100", "kV=80.00"};
    QTest::newRow("preheat not a number")
        << "A01,M,8000,1388,x,1,0,1024,"
        << QStringList{"hwd=A01", "modl=M", "scale=80.00,1.388", "kV=80.00"};
    QTest::newRow("no reply") << "" << QStringList{"kV=none"};
}

void ConfigLogicTest::configurationReply() {
    QFETCH(QString, body);
    QFETCH(QStringList, expected);
    const std::string text = body.isEmpty() ? std::string() : reply(qPrintable(body));
    QCOMPARE(describe(configurationFrom(text)), expected);
}

void ConfigLogicTest::programmingCommands() {
    // Scaling: hundredths of a kV and thousandths of a mA, as plain decimals.
    const ScalingEntry scaling = scalingFrom("88.89,1.388");
    QCOMPARE(scaling.kvVoltage.value(), std::string("88.89"));
    QCOMPARE(scaling.commands->first, std::string("SLVP 8889;"));
    QCOMPARE(scaling.commands->second, std::string("SLIP 1388;"));
    QCOMPARE(scalingFrom("88.885,1").commands->first, std::string("SLVP 8888.5;"));
    QVERIFY(!scalingFrom("88.89").kvVoltage);
    const ScalingEntry halfNumber = scalingFrom("80,1.3;ENBL 1");
    QCOMPARE(halfNumber.kvVoltage.value(), std::string("80"));
    QVERIFY(!halfNumber.commands);

    // Preheat: counts of 2 A, rounded down.
    QCOMPARE(preheatCommand("1.5").command.value(), std::string("FILP 3071;"));
    QCOMPARE(preheatCommand("2").command.value(), std::string("FILP 4095;"));
    QCOMPARE(preheatCommand("-0").command.value(), std::string("FILP 0;"));
    QVERIFY(!preheatCommand("").command);
    QVERIFY(!preheatCommand("").outOfRange);
    QVERIFY(!preheatCommand("1;ENBL 1").command);
    // Past the converter's counts either way: refused, not sent.
    for (const char* amps : {"2.001", "-0.001", "100", "-5"}) {
        QVERIFY2(!preheatCommand(amps).command, amps);
        QVERIFY2(preheatCommand(amps).outOfRange, amps);
    }

    // Turn-on: by the scale factor first, by the full scale this window knows next.
    QCOMPARE(turnOnCommand("40", 0.0, "80.00").command.value(), std::string("FTON 2048;"));
    QCOMPARE(turnOnCommand("20", 60.0 / 4095, "80.00").command.value(), std::string("FTON 1365;"));
    QVERIFY(turnOnCommand("40", 0.0, "0").scalingUnknown);
    QVERIFY(turnOnCommand("40", 0.0, "x").scalingUnknown);
    const TurnOn notANumber = turnOnCommand("forty", 0.0, "80.00");
    QVERIFY(!notANumber.command && !notANumber.scalingUnknown);
    QVERIFY(!turnOnCommand("1000", 0.0, "80.00").command);  // 51187 counts: no 16-bit count
    QCOMPARE(textCommand("MODP", ""), std::string("MODP ;"));
}

void ConfigLogicTest::typedEntries_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("sendable");
    QTest::newRow("revision") << "A01" << true;
    QTest::newRow("serial number") << "101407139-A00041" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("blanks and Latin-1") << " Modèle 2 " << true;
    QTest::newRow("semicolon") << "ZOV;ENBL 1" << false;
    QTest::newRow("comma") << "A0,1" << false;
    QTest::newRow("STX") << "A\x02"
                            "01"
                         << false;
    QTest::newRow("ETX") << "A\x03" << false;
    QTest::newRow("CR") << "A01\r" << false;
    QTest::newRow("LF") << "A01\nENBL 1" << false;
    QTest::newRow("DEL") << "A\x7f" << false;
    QTest::newRow("C1 control") << QString(QChar(0x85)) << false;
    QTest::newRow("beyond 8 bits") << QString(QChar(0x20AC)) << false;
}

void ConfigLogicTest::typedEntries() {
    QFETCH(QString, entry);
    QFETCH(bool, sendable);
    QCOMPARE(!unsendablePart(entry).has_value(), sendable);
}

void ConfigLogicTest::userOptions() {
    const std::vector<std::string> fields = optionFieldsFrom(reply("27,1,105,25,0,5,10,50,1,1,"));
    QCOMPARE(fields.size(), kOptionCount);
    OptionTexts texts = startTexts();
    QCOMPARE(saveCommand(texts), std::string("09,0,0,0,0,0,0,0,0,0,"));
    std::copy(fields.begin(), fields.end(), texts.begin());
    QCOMPARE(saveCommand(texts), std::string("09,1,105,25,0,5,10,50,1,1,"));
    QCOMPARE(optionFieldsFrom(reply("27,1,105,25")).size(), std::size_t(2));
    QVERIFY(optionFieldsFrom(reply("22,1,105,25,0,5,10,50,1,1,")).empty());
    QVERIFY(optionFieldsFrom("").empty());

    QCOMPARE(verdictFrom(reply("09,1,")), SaveVerdict::ArcRateRejected);
    QCOMPARE(verdictFrom(reply("09,2,")), SaveVerdict::NoArcDetectOn);
    QCOMPARE(verdictFrom(reply("09,$,")), SaveVerdict::None);
    QCOMPARE(verdictFrom(reply("10,1,")), SaveVerdict::None);
    QCOMPARE(verdictFrom(""), SaveVerdict::None);
    QCOMPARE(QString::fromLatin1(warningFor(SaveVerdict::ArcRateRejected)).count("\r\n"), 2);
    QCOMPARE(QString::fromLatin1(warningFor(SaveVerdict::NoArcDetectOn)).count("\r\n"), 3);
}

void ConfigLogicTest::optionEdits() {
    const NumericOption& ramp = *numericOptionFor(Option::Ramp);
    const NumericOption& overVoltage = *numericOptionFor(Option::OverVoltage);
    QVERIFY(!numericOptionFor(Option::Rov));
    QCOMPARE(textFor(ramp, 0.1), std::string("1"));
    QCOMPARE(textFor(ramp, 60), std::string("600"));
    QCOMPARE(textFor(ramp, 2.5), std::string("25"));
    QCOMPARE(shownValue(ramp, "25").value(), 2.5);
    QCOMPARE(textFor(overVoltage, 105), std::string("105"));
    QVERIFY(!shownValue(overVoltage, "high"));

    QVERIFY(editCanHold(overVoltage.limits, 110));
    QVERIFY(!editCanHold(overVoltage.limits, 150));
    QVERIFY(!editCanHold(overVoltage.limits, 105.5));
    QVERIFY(editCanHold(ramp.limits, 0.1));
    QVERIFY(editCanHold(ramp.limits, 0.3));
    QVERIFY(!editCanHold(ramp.limits, 0.0));
    QVERIFY(!editCanHold(ramp.limits, 2.55));

    QCOMPARE(checkedFrom("1"), std::optional<bool>(true));
    QCOMPARE(checkedFrom("0"), std::optional<bool>(false));
    QVERIFY(!checkedFrom("2"));
    QVERIFY(!checkedFrom(""));
}

void ConfigLogicTest::serviceCommands() {
    QCOMPARE(hardwareRevisionCommand("A02").value(), std::string("40,A02,"));
    QVERIFY(!hardwareRevisionCommand("A2"));
    QVERIFY(!hardwareRevisionCommand("A002"));
    QVERIFY(!hardwareRevisionCommand(""));
    QVERIFY(revisionTaken(reply("40,$,")));
    QVERIFY(!revisionTaken(reply("40,1,")));
    QVERIFY(!revisionTaken(reply("41,$,")));
    QVERIFY(!revisionTaken(""));
    QCOMPARE(std::string(watchdogToggleCommand(true)), std::string("WDTE 0;"));
    QCOMPARE(std::string(watchdogToggleCommand(false)), std::string("WDTE 1;"));
}

QTEST_APPLESS_MAIN(ConfigLogicTest)
#include "test_config_logic.moc"
