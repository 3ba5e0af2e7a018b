// The command exchange against the simulated supply over a real
// pseudo-terminal and real TCP loopback.
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "console_rig.h"
#include "protocol/protocol.h"

using zov::test::ConsoleRig;

namespace {

QByteArray serialReply(const QByteArray& body) {
    const std::string frame = zov::protocol::serialFrame(zov::core::textOf(body));
    return QByteArray(frame.data(), qsizetype(frame.size()));
}

void chooseSerial(ConsoleRig& rig) {
    rig.window->linkSelection().mnu_comm1_Click();
    QCOMPARE(rig.state().portType, QStringLiteral("comm1"));
}

void chooseTcp(ConsoleRig& rig) {
    rig.window->linkSelection().mnu_ethernet_Click();
    QCOMPARE(rig.exchange().tcp().socket().state(), QAbstractSocket::ConnectedState);
}

}  // namespace

class CommandExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void serialFramesAndPanels();
    void tcpFramesAndPanels();
    void replyJoinedFromPiecesAndTrailingBytesKept();
    void noReplyAndLateReply();
    void closedPortAnswersAtOnceAndWatchdogReopens();
    void bracketSwitchesTheRightTimers();
    void exchangesNeverInterleave();
    void deferredActionsRunWhenThePortVanishes();
    void endlessReplyIsBounded();
    void unsolicitedStatusMessages();
};

void CommandExchangeTest::serialFramesAndPanels() {
    ConsoleRig rig;
    chooseSerial(rig);
    auto& exchange = rig.exchange();
    QCOMPARE(exchange.ProcessOutputString(""), QByteArray("\x02\x40\r\n"));

    exchange.outputOutputString("MODR;");
    QCOMPARE(rig.panel(4), QStringLiteral("TX: \x02MODR;") +
                               QChar(zov::protocol::checksum("MODR;")) + QStringLiteral("\r\n"));
    const QByteArray reply = exchange.inputInputString();
    QCOMPARE(rig.sim.commands(), QStringList{"MODR;"});
    // Returned exactly as it came: STX, body, checksum, CR LF.
    QCOMPARE(reply, serialReply(rig.sim.model().identity().model.c_str() + QByteArray(";")));
    QCOMPARE(rig.panel(3), QStringLiteral("RX: ") + QString::fromLatin1(reply));
    QCOMPARE(rig.window->extrasWindow().txt_MSCOMMBUFF()->text(), QString());
    QVERIFY(exchange.tmr_RCVTIMER().isActive());
    QVERIFY(exchange.tmr_COMMWDT().isActive());
}

void CommandExchangeTest::tcpFramesAndPanels() {
    ConsoleRig rig;
    chooseTcp(rig);
    auto& exchange = rig.exchange();
    QCOMPARE(exchange.ProcessOutputString(""), QByteArray("\x02\x03"));
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString("STAT;");
    QCOMPARE(rig.panel(4), QStringLiteral("TX: \x02STAT;\x03"));
    const QByteArray reply = exchange.inputInputString();
    exchange.resumeBackgroundTimers();
    QCOMPARE(rig.sim.commands(), QStringList{"STAT;"});
    QCOMPARE(reply, QByteArray("\x02"
                               "0;\x03"));
    QCOMPARE(rig.panel(3), QStringLiteral("RX: \x02"
                                          "0;\x03"));
    QVERIFY(exchange.netPollEnabled());
}

void CommandExchangeTest::replyJoinedFromPiecesAndTrailingBytesKept() {
    ConsoleRig rig;
    chooseSerial(rig);
    auto& exchange = rig.exchange();
    rig.sim.faults().splitPieces = 3;
    rig.sim.faults().splitGap = std::chrono::milliseconds(40);
    rig.sim.faults().trailingBytes = "XY";
    exchange.outputOutputString("SOFT;");
    const QByteArray reply = exchange.inputInputString();
    QVERIFY2(reply.startsWith('\x02'), reply.constData());
    QVERIFY2(reply.contains("\r\n"), reply.constData());
    // The bytes behind the LF either came with the last piece (kept in the
    // reply) or just after it (left for the diagnostics window); never lost.
    const QByteArray afterLf = reply.mid(reply.indexOf('\n') + 1) +
                               rig.window->extrasWindow().txt_MSCOMMBUFF()->text().toLatin1();
    QCOMPARE(afterLf, QByteArray("XY"));

    chooseTcp(rig);
    exchange.outputOutputString("SOFT;");
    const QByteArray tcpReply = exchange.inputInputString();
    QVERIFY(tcpReply.startsWith('\x02'));
    QVERIFY(tcpReply.contains('\x03'));
}

void CommandExchangeTest::noReplyAndLateReply() {
    ConsoleRig rig;
    chooseSerial(rig);
    auto& exchange = rig.exchange();
    rig.sim.faults().dropEvery = 1;
    QElapsedTimer clock;
    clock.start();
    exchange.outputOutputString("HWVR;");
    QCOMPARE(exchange.inputInputString(), QByteArray());
    QVERIFY(clock.elapsed() >= ConsoleRig::kReplyLimitMs - 5);
    QCOMPARE(rig.panel(3), QStringLiteral("RX: "));

    // A reply that missed the limit and came before the next command went out
    // is discarded with the waiting input. (One that comes just after the next
    // command has gone out is staged in the link integrity tests.)
    rig.sim.faults().dropEvery = 0;
    rig.sim.faults().delay = std::chrono::milliseconds(ConsoleRig::kReplyLimitMs + 100);
    exchange.outputOutputString("MODR;");
    QCOMPARE(exchange.inputInputString(), QByteArray());
    ConsoleRig::settle(200);
    rig.sim.faults().delay = std::chrono::milliseconds(0);
    exchange.outputOutputString("STAT;");
    QCOMPARE(exchange.inputInputString(), serialReply("0;"));

    const qint64 before = rig.state().CommErrors;
    exchange.countCommError();
    QCOMPARE(rig.state().CommErrors, before + 1);
    QCOMPARE(rig.window->extrasWindow().txt_COMMERRORS()->text(), QString::number(before + 1));
}

void CommandExchangeTest::closedPortAnswersAtOnceAndWatchdogReopens() {
    ConsoleRig rig;
    auto& exchange = rig.exchange();
    // No link chosen: nothing goes out and the receive returns at once.
    QElapsedTimer clock;
    clock.start();
    exchange.outputOutputString("HWVR;");
    QCOMPARE(exchange.inputInputString(), QByteArray());
    QVERIFY(clock.elapsed() < ConsoleRig::kReplyLimitMs);
    QVERIFY(rig.sim.commands().isEmpty());
    QVERIFY(!exchange.tmr_COMMWDT().isActive());

    chooseSerial(rig);
    exchange.outputOutputString("HWVR;");
    QVERIFY(!exchange.inputInputString().isEmpty());
    QVERIFY(exchange.tmr_COMMWDT().isActive());
    exchange.serial().close();
    exchange.tmr_COMMWDT().setInterval(50);
    exchange.tmr_COMMWDT().start();
    QTRY_VERIFY_WITH_TIMEOUT(exchange.serial().isOpen(), 2000);
    exchange.outputOutputString("HWVR;");
    QVERIFY(!exchange.inputInputString().isEmpty());
}

void CommandExchangeTest::bracketSwitchesTheRightTimers() {
    ConsoleRig rig;
    chooseSerial(rig);
    auto& exchange = rig.exchange();
    rig.state().AutoUpdate = true;
    exchange.suspendBackgroundTimers();
    QVERIFY(!exchange.tmr_RCVTIMER().isActive());
    QVERIFY(!exchange.tmr_UPDATE().isActive());
    exchange.resumeBackgroundTimers();
    QVERIFY(exchange.tmr_RCVTIMER().isActive());
    QVERIFY(!exchange.netPollEnabled());
    QVERIFY(exchange.tmr_UPDATE().isActive());

    rig.state().AutoUpdate = false;
    exchange.tmr_UPDATE().stop();
    exchange.sendWatchdogKeepAlive();
    QTRY_COMPARE(rig.sim.commands(), QStringList{"WDTT;"});
    QVERIFY(!exchange.tmr_UPDATE().isActive());
}

void CommandExchangeTest::exchangesNeverInterleave() {
    ConsoleRig rig;
    chooseSerial(rig);
    auto& exchange = rig.exchange();
    rig.sim.faults().delay = std::chrono::milliseconds(120);
    QStringList order;
    QByteArray timerReply;
    // A timer-driven exchange that falls due while a reply is awaited runs after it.
    QTimer::singleShot(20, rig.window.get(), [&] {
        exchange.whenIdle(rig.window.get(), [&] {
            order << "timer";
            exchange.outputOutputString("STAT;");
            timerReply = exchange.inputInputString();
        });
    });
    exchange.outputOutputString("MODR;");
    const QByteArray reply = exchange.inputInputString();
    order << "first done";
    QVERIFY2(reply.contains("ZOV"), reply.constData());
    QTRY_COMPARE(timerReply, serialReply("0;"));
    QCOMPARE(order.first(), QStringLiteral("first done"));
    QCOMPARE(rig.sim.commands(), (QStringList{"MODR;", "STAT;"}));
}

void CommandExchangeTest::deferredActionsRunWhenThePortVanishes() {
    ConsoleRig rig;
    chooseSerial(rig);
    auto& exchange = rig.exchange();
    rig.sim.faults().dropEvery = 1;
    bool ran = false;
    QTimer::singleShot(20, rig.window.get(), [&] {
        exchange.whenIdle(rig.window.get(), [&] { ran = true; });
        exchange.serial().close();  // as when an adapter is pulled
    });
    exchange.outputOutputString("STAT;");
    QCOMPARE(exchange.inputInputString(), QByteArray());
    QTRY_VERIFY(ran);
}

void CommandExchangeTest::endlessReplyIsBounded() {
    QTcpServer peer;
    QVERIFY(peer.listen(QHostAddress::LocalHost));
    ConsoleRig rig;
    rig.window->linkSelection().useSimulatedSupply(rig.linkPath, QStringLiteral("127.0.0.1"),
                                                   peer.serverPort());
    rig.window->linkSelection().mnu_ethernet_Click();
    QTRY_VERIFY(peer.hasPendingConnections());
    QTcpSocket* babbler = peer.nextPendingConnection();
    QObject::connect(babbler, &QTcpSocket::readyRead, [babbler] {
        babbler->readAll();
        babbler->write(QByteArray(4 * zov::core::CommandExchange::kReplyByteLimit, 'x'));
    });
    auto& exchange = rig.exchange();
    exchange.setReplyTimeLimitMs(5000);
    QElapsedTimer clock;
    clock.start();
    exchange.outputOutputString("STAT;");
    const QByteArray reply = exchange.inputInputString();
    QCOMPARE(reply.size(), zov::core::CommandExchange::kReplyByteLimit);
    QVERIFY(clock.elapsed() < 4000);
}

void CommandExchangeTest::unsolicitedStatusMessages() {
    // A peer of our own, to control exactly how the bytes are cut.
    QTcpServer peer;
    QVERIFY(peer.listen(QHostAddress::LocalHost));
    ConsoleRig rig;
    rig.window->linkSelection().useSimulatedSupply(rig.linkPath, QStringLiteral("127.0.0.1"),
                                                   peer.serverPort());
    QList<QByteArray> messages;
    QObject::connect(&rig.exchange(), &zov::core::CommandExchange::unsolicitedMessage,
                     [&](const QByteArray& message) { messages << message; });
    rig.window->linkSelection().mnu_ethernet_Click();
    QTRY_VERIFY(peer.hasPendingConnections());
    QTcpSocket* supply = peer.nextPendingConnection();

    const QByteArray status =
        "\x02"
        "22,1,1,0,0,0,0,0,0,\x03";
    supply->write(status.left(7));
    supply->flush();
    ConsoleRig::settle(50);
    QVERIFY(messages.isEmpty());
    supply->write(status.mid(7) + status);
    supply->flush();
    QTRY_COMPARE(messages.size(), 2);
    QCOMPARE(messages[0], status);
    QCOMPARE(messages[1], status);
    QCOMPARE(rig.panel(3), QString::fromLatin1(status));
    QCOMPARE(rig.state().RxBufferFull, 0);

    // Nothing is taken while the poll is off, and it picks the message up
    // once it is on again.
    rig.exchange().setNetPollEnabled(false);
    supply->write(status);
    supply->flush();
    ConsoleRig::settle(50);
    QCOMPARE(messages.size(), 2);
    rig.exchange().setNetPollEnabled(true);
    QTRY_COMPARE(messages.size(), 3);

    // The simulated supply announces an interlock change by itself.
    ConsoleRig simRig;
    QList<QByteArray> simMessages;
    QObject::connect(&simRig.exchange(), &zov::core::CommandExchange::unsolicitedMessage,
                     [&](const QByteArray& message) { simMessages << message; });
    simRig.sim.setUnsolicitedStatus(true);
    chooseTcp(simRig);
    simRig.sim.model().setInterlockOpen(true);
    QTRY_COMPARE(simMessages.size(), 1);
    QCOMPARE(zov::protocol::charAt(zov::core::textOf(simMessages[0]), 7), std::optional<char>('1'));
}

QTEST_MAIN(CommandExchangeTest)
#include "test_command_exchange.moc"
