#include <QtTest>

#include "protocol/protocol.h"

using namespace zov::protocol;

class ProtocolTest : public QObject {
    Q_OBJECT
private slots:
    void checksumVectors_data();
    void checksumVectors();
    void framesBothLinks();
    void replyPositions();
    void numberParsing_data();
    void numberParsing();
    void halfEvenRounding();
    void patterns_data();
    void patterns();
    void plainNumbers_data();
    void plainNumbers();
};

void ProtocolTest::checksumVectors_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << QByteArray("") << 0x40;
    QTest::newRow("abc") << QByteArray("abc") << int('Z');
    QTest::newRow("HWVR; sum 386") << QByteArray("HWVR;") << 0x7E;
    // A sum above 256 must wrap in 16 bits, not go negative or overflow.
    QTest::newRow("long") << QByteArray(300, 'z') << ((((256 - 300 * 'z') & 0xFFFF) & 0x3F) | 0x40);
    QTest::newRow("high bytes") << QByteArray("\xff\xfe")
                                << ((((256 - 0x1FD) & 0xFFFF) & 0x3F) | 0x40);
}

void ProtocolTest::checksumVectors() {
    QFETCH(QByteArray, command);
    QFETCH(int, expected);
    const char c = checksum(std::string_view(command.constData(), size_t(command.size())));
    QCOMPARE(int(static_cast<unsigned char>(c)), expected);
    QVERIFY(static_cast<unsigned char>(c) >= 0x40 && static_cast<unsigned char>(c) <= 0x7F);
}

void ProtocolTest::framesBothLinks() {
    QCOMPARE(serialFrame(""), std::string("\x02\x40\r\n"));
    QCOMPARE(tcpFrame(""), std::string("\x02\x03"));
    QCOMPARE(serialFrame("HWVR;"), std::string("\x02HWVR;\x7E\r\n"));
    QCOMPARE(tcpFrame("99,1,"), std::string("\x02"
                                            "99,1,\x03"));
}

void ProtocolTest::replyPositions() {
    const std::string reply = "\x02ZOV80N100;\x35\r\n";
    QCOMPARE(charAt(reply, 1), std::optional<char>('\x02'));
    QCOMPARE(charAt(reply, 2), std::optional<char>('Z'));
    QCOMPARE(charAt(reply, int(reply.size()) + 1), std::nullopt);
    QCOMPARE(charAt(reply, 0), std::nullopt);
    QCOMPARE(charAt("", 1), std::nullopt);

    QCOMPARE(cutUntil(reply, 2, ';'), std::optional<std::string>("ZOV80N100"));
    QCOMPARE(cutUntil("\x02;", 2, ';'), std::optional<std::string>(""));
    QCOMPARE(cutUntil("\x02"
                      "123",
                      2, ';'),
             std::nullopt);
    QCOMPARE(cutUntil("", 2, ';'), std::nullopt);
    // Numbered replies: value from 5, a reply too short to hold it fails.
    QCOMPARE(cutUntil("\x02"
                      "16,2048,",
                      5, ','),
             std::optional<std::string>("2048"));
    QCOMPARE(cutUntil("\x02"
                      "16,",
                      5, ','),
             std::nullopt);
    // Searching from a later position skips an early delimiter but keeps the start.
    QCOMPARE(cutUntil("\x02"
                      "60;0;",
                      2, ';', 5),
             std::optional<std::string>("60;0"));
    QCOMPARE(cutUntil("\x02"
                      "60;",
                      2, ';', 5),
             std::nullopt);
    QCOMPARE(cutUntil("\x02"
                      "6000;",
                      2, ';', 5),
             std::optional<std::string>("6000"));

    QCOMPARE(cutFixed("\x02"
                      "A01;",
                      2, 3),
             std::string("A01"));
    QCOMPARE(cutFixed("\x02"
                      "A",
                      2, 3),
             std::string("A"));
    QCOMPARE(cutFixed("\x02", 2, 3), std::string());

    // A numbered reply is its command's only when it echoes the number.
    QVERIFY(
        echoesCommand("\x02"
                      "16,819,\r\n",
                      "16,"));
    QVERIFY(
        echoesCommand("\x02"
                      "99,$,\x03",
                      "99,0,"));
    QVERIFY(
        !echoesCommand("\x02"
                       "16,819,\r\n",
                       "17,"));
    QVERIFY(
        !echoesCommand("\x02"
                       "0;\r\n",
                       "16,"));
    QVERIFY(!echoesCommand("", "16,"));
    QVERIFY(
        !echoesCommand("\x02"
                       "16",
                       "16,"));
    QVERIFY(
        echoesCommand("\x02"
                      "0;\r\n",
                      "STAT;"));
    QVERIFY(echoesCommand("", "VSET;"));
}

void ProtocolTest::numberParsing_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "2048" << true << 2048.0;
    QTest::newRow("blanks") << "  -12.5 " << true << -12.5;
    QTest::newRow("plus") << "+3" << true << 3.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "7." << true << 7.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank only") << "   " << false << 0.0;
    QTest::newRow("sign only") << "-" << false << 0.0;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("exponent") << "1e3" << false << 0.0;
    QTest::newRow("hex") << "0x10" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("inner blank") << "1 2" << false << 0.0;
    QTest::newRow("letters") << "A01" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    // Out of what a double holds: no number, not 0.
    QTest::newRow("400 nines") << QString(400, '9') << false << 0.0;
    QTest::newRow("400 nines, negative") << "-" + QString(400, '9') << false << 0.0;
    QTest::newRow("below the smallest") << "0." + QString(400, '0') + "1" << false << 0.0;
    QTest::newRow("300 nines") << QString(300, '9') << true << 1e300;
}

void ProtocolTest::numberParsing() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const auto parsed = parseNumber(text.toStdString());
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QCOMPARE(*parsed, value);
    }
}

void ProtocolTest::halfEvenRounding() {
    QCOMPARE(roundHalfEvenToInt16(2.5), std::optional<std::int16_t>(2));
    QCOMPARE(roundHalfEvenToInt16(3.5), std::optional<std::int16_t>(4));
    QCOMPARE(roundHalfEvenToInt16(-2.5), std::optional<std::int16_t>(-2));
    QCOMPARE(roundHalfEvenToInt16(2047.5), std::optional<std::int16_t>(2048));
    QCOMPARE(roundHalfEvenToInt16(2.51), std::optional<std::int16_t>(3));
    QCOMPARE(roundHalfEvenToInt16(32767.4), std::optional<std::int16_t>(32767));
    QCOMPARE(roundHalfEvenToInt16(32767.6), std::nullopt);
    QCOMPARE(roundHalfEvenToInt16(-32768.4), std::optional<std::int16_t>(-32768));
    QCOMPARE(roundHalfEvenToInt16(-32768.6), std::nullopt);
    QCOMPARE(roundHalfEvenToInt16(std::numeric_limits<double>::infinity()), std::nullopt);
    QCOMPARE(roundHalfEvenToInt16(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
}

void ProtocolTest::patterns_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");
    QTest::newRow("temperature") << 341 / 13.65 << "##.0"
                                 << "25.0";
    QTest::newRow("aux supply") << -0.448 << "##.#0"
                                << "-.45";
    QTest::newRow("kV readback") << 60.0 / 4095 * 2048 << "#0.000"
                                 << "30.007";
    QTest::newRow("kV full scale") << 6000.0 / 100 / 4095 * 4095 << "#0.000"
                                   << "60.000";
    QTest::newRow("zero kV") << 0.0 << "#0.000"
                             << "0.000";
    QTest::newRow("mA") << 0.000341 * 1000 << "0.000"
                        << "0.341";
    QTest::newRow("filament limit") << 4095 * 0.001221 << "0.##0"
                                    << "5.000";
    QTest::newRow("preheat") << 1638 * 0.0006105 << "0.##0"
                             << "1.000";
    QTest::newRow("confirmation kV") << 4095 * 14.652 / 1000 << "#0.##0"
                                     << "60.000";
    QTest::newRow("turn-on") << 1024 * 80.0 / 4095 << "#0.00"
                             << "20.00";
    QTest::newRow("wide integer") << 1234.56 << "##.0"
                                  << "1234.6";
    QTest::newRow("small no integer") << 0.04 << "##.0"
                                      << ".0";
    QTest::newRow("carry into integer") << 9.9996 << "#0.000"
                                        << "10.000";
    QTest::newRow("decimal half rounds away") << 1.0005 << "0.000"
                                              << "1.001";
    QTest::newRow("negative rounds to zero") << -0.0001 << "#0.000"
                                             << "0.000";
    QTest::newRow("optional places") << 1.5 << "0.0##"
                                     << "1.5";
    QTest::newRow("huge") << 1e20 << "#0.00"
                          << "100000000000000000000.00";
}

void ProtocolTest::patterns() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(formatPattern(value, pattern.toStdString())), expected);
}

void ProtocolTest::plainNumbers_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("preheat amps") << 2048 * 2.0 / 4095 << "1.0002442002442";
    QTest::newRow("binary near half") << 88.885 * 100 << "8888.5";
    QTest::newRow("whole") << 88.89 * 100 << "8889";
    QTest::newRow("mA") << 1.388 * 1000 << "1388";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative fraction") << -0.25 << "-0.25";
    QTest::newRow("tiny no exponent") << 0.000012 << "0.000012";
    QTest::newRow("large no exponent") << 1.5e17 << "150000000000000000";
}

void ProtocolTest::plainNumbers() {
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(plainNumber(value)), expected);
}

QTEST_APPLESS_MAIN(ProtocolTest)
#include "test_protocol.moc"
