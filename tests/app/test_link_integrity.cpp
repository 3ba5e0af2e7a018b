// What cables and devices do to the links, staged for real: a far end that
// hangs up, replies that miss their time, replies nobody read, status
// messages around a reply, floods between exchanges, a reply too long to
// show, and link choices that fail.
#include <QLabel>
#include <QMainWindow>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <functional>

#include "console_rig.h"
#include "far_end.h"
#include "protocol/protocol.h"

using zov::test::ConsoleRig;
using zov::test::FarEndPty;
using zov::test::Flooder;

namespace {

QByteArray serialReply(const QByteArray& body) {
    return QByteArray::fromStdString(zov::protocol::serialFrame(zov::core::textOf(body)));
}

QByteArray tcpReply(const QByteArray& body) {
    return QByteArray::fromStdString(zov::protocol::tcpFrame(zov::core::textOf(body)));
}

// A TCP peer of the test's own, answering each command frame as `answer` says.
class ScriptedPeer {
public:
    using Answer = std::function<void(QTcpSocket& socket, const QByteArray& command)>;

    explicit ScriptedPeer(Answer answer) : answer_(std::move(answer)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
                pending_ += socket->readAll();
                qsizetype end;
                while ((end = pending_.indexOf('\x03')) >= 0) {
                    const QByteArray command = pending_.mid(1, end - 1);
                    pending_.remove(0, end + 1);
                    answer_(*socket, command);
                }
            });
        });
    }
    quint16 port() const { return server_.serverPort(); }

private:
    Answer answer_;
    QTcpServer server_;
    QByteArray pending_;
};

void chooseTcpPeer(ConsoleRig& rig, quint16 port) {
    rig.window->linkSelection().useSimulatedSupply(rig.linkPath, QStringLiteral("127.0.0.1"), port);
    rig.window->linkSelection().mnu_ethernet_Click();
    QCOMPARE(rig.exchange().tcp().socket().state(), QAbstractSocket::ConnectedState);
}

QByteArray exchangeOnce(ConsoleRig& rig, const QByteArray& command) {
    rig.exchange().outputOutputString(command);
    return rig.exchange().inputInputString();
}

bool underAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#else
    return false;
#endif
}

}  // namespace

class LinkIntegrityTest : public QObject {
    Q_OBJECT
private slots:
    void serialHangUpClosesThePortAndTheWatchdogReopensIt();
    void lateReplyIsNotTheNextCommands_data();
    void lateReplyIsNotTheNextCommands();
    void replyPastTheSettlingIsNotTheNextCommands_data();
    void replyPastTheSettlingIsNotTheNextCommands();
    void tcpRepliesNobodyReadAreDropped();
    void statusMessagesAroundAReplyAreDecodedApart();
    void failedChoicesLeaveNoLinkOpen();
    void idleFloodIsBounded_data();
    void idleFloodIsBounded();
    void longReplyNeverResizesTheWindow();
};

void LinkIntegrityTest::serialHangUpClosesThePortAndTheWatchdogReopensIt() {
    ConsoleRig rig(ConsoleRig::Supply::None);
    FarEndPty far(rig.directory.filePath(QStringLiteral("usb-adapter")));
    QVERIFY(far.isOpen());
    rig.prompter.answerInput(far.linkPath());
    rig.window->linkSelection().mnu_userComm_Click();
    auto& exchange = rig.exchange();
    QVERIFY(exchange.serial().isOpen());

    // Pulled while a reply is awaited: the wait ends there, not at its limit.
    exchange.setReplyTimeLimitMs(10000);
    QTimer::singleShot(50, [&] { far.hangUp(); });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(exchangeOnce(rig, "STAT;"), QByteArray());
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!exchange.serial().isOpen());

    // Plugged in again under the same name: the watchdog reopens it.
    exchange.tmr_COMMWDT().setInterval(50);
    exchange.tmr_COMMWDT().start();
    ConsoleRig::settle(200);
    QVERIFY(!exchange.serial().isOpen());  // nothing there to open yet
    QVERIFY(far.comeBack());
    QTRY_VERIFY_WITH_TIMEOUT(exchange.serial().isOpen(), 3000);
    exchange.outputOutputString("STAT;");
    std::string received;
    QTRY_VERIFY((received += far.takeReceived()) == zov::protocol::serialFrame("STAT;"));

    // A hang-up while idle closes the port as well.
    far.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!exchange.serial().isOpen(), 3000);
}

void LinkIntegrityTest::lateReplyIsNotTheNextCommands_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void LinkIntegrityTest::lateReplyIsNotTheNextCommands() {
    QFETCH(bool, tcp);
    ConsoleRig rig;
    if (tcp) {
        rig.window->linkSelection().mnu_ethernet_Click();
    } else {
        rig.window->linkSelection().mnu_comm1_Click();
    }
    // The model's reply to "MODR;" comes 20 ms after the time limit, and the
    // next command follows at once, as the 66 ms update cycle does.
    rig.sim.faults().delay = std::chrono::milliseconds(ConsoleRig::kReplyLimitMs + 20);
    QCOMPARE(exchangeOnce(rig, "MODR;"), QByteArray());
    rig.sim.faults().delay = std::chrono::milliseconds(0);
    const QByteArray status = exchangeOnce(rig, "STAT;");
    QCOMPARE(status, tcp ? tcpReply("0;") : serialReply("0;"));
    QCOMPARE(rig.sim.commands(), (QStringList{"MODR;", "STAT;"}));
}

void LinkIntegrityTest::replyPastTheSettlingIsNotTheNextCommands_data() {
    lateReplyIsNotTheNextCommands_data();
}

// Later still: the late reply comes after the link has settled, while the
// next command waits, and the unit answers that command right behind it.
void LinkIntegrityTest::replyPastTheSettlingIsNotTheNextCommands() {
    QFETCH(bool, tcp);
    ConsoleRig rig;
    if (tcp) {
        rig.window->linkSelection().mnu_ethernet_Click();
    } else {
        rig.window->linkSelection().mnu_comm1_Click();
    }
    rig.sim.model().pinMonitor(zov::sim::Monitor::Voltage, 1111);
    rig.sim.model().pinMonitor(zov::sim::Monitor::Current, 2222);
    rig.sim.script("VMON;", zov::sim::ScriptedReply::own().late(
                                std::chrono::milliseconds(ConsoleRig::kReplyLimitMs + 250)));
    QCOMPARE(exchangeOnce(rig, "VMON;"), QByteArray());
    QCOMPARE(exchangeOnce(rig, "IMON;"), tcp ? tcpReply("2222;") : serialReply("2222;"));
    // Once a reply came on time, the next exchange is as quick as ever.
    QCOMPARE(exchangeOnce(rig, "VMON;"), tcp ? tcpReply("1111;") : serialReply("1111;"));
}

void LinkIntegrityTest::tcpRepliesNobodyReadAreDropped() {
    ConsoleRig rig;
    rig.window->linkSelection().mnu_ethernet_Click();
    QVERIFY(rig.sim.model().setSetpoint(zov::sim::Channel::Voltage, 2048));
    QVERIFY(rig.sim.model().setSetpoint(zov::sim::Channel::Current, 1000));
    // The editor's revert sends without reading its reply, and leaves the
    // background timers off, so no status poll takes the reply either.
    rig.exchange().suspendBackgroundTimers();
    rig.exchange().outputOutputString("10,2048");
    ConsoleRig::settle(50);
    QCOMPARE(exchangeOnce(rig, "VSET;"), tcpReply("2048;"));
    QCOMPARE(exchangeOnce(rig, "ISET;"), tcpReply("1000;"));
}

void LinkIntegrityTest::statusMessagesAroundAReplyAreDecodedApart() {
    const QByteArray before = tcpReply("22,1,0,0,0,0,0,0,0,");
    const QByteArray after = tcpReply("22,0,1,0,0,0,0,0,0,");
    ScriptedPeer peer([&](QTcpSocket& socket, const QByteArray& command) {
        if (command == "VSET;") {
            socket.write(before);
            socket.flush();
            QTimer::singleShot(20, &socket,
                               [&socket, after] { socket.write(tcpReply("2048;") + after); });
        } else if (command == "22,") {
            socket.write(tcpReply("22,0,0,1,0,0,0,0,0,"));
        }
    });
    ConsoleRig rig;
    chooseTcpPeer(rig, peer.port());
    QList<QByteArray> messages;
    QObject::connect(&rig.exchange(), &zov::core::CommandExchange::unsolicitedMessage,
                     [&](const QByteArray& message) { messages << message; });
    rig.exchange().suspendBackgroundTimers();
    QCOMPARE(exchangeOnce(rig, "VSET;"), tcpReply("2048;"));
    QCOMPARE(messages, QList<QByteArray>{before});
    rig.exchange().resumeBackgroundTimers();
    QTRY_COMPARE(messages, (QList<QByteArray>{before, after}));

    // Asked for, the same layout is the reply and nothing else.
    QCOMPARE(exchangeOnce(rig, "22,"), tcpReply("22,0,0,1,0,0,0,0,0,"));
    QCOMPARE(messages.size(), 2);
}

void LinkIntegrityTest::failedChoicesLeaveNoLinkOpen() {
    ConsoleRig rig;
    auto& links = rig.window->linkSelection();
    auto& exchange = rig.exchange();
    exchange.tmr_COMMWDT().setInterval(50);
    const auto noLinkOpen = [&](const char* checkedItem, const char* portType) {
        QVERIFY(rig.item(checkedItem)->isChecked());
        QCOMPARE(rig.state().portType, QLatin1String(portType));
        QCOMPARE(rig.panel(1), QStringLiteral("SET PORT!"));
        QCOMPARE(rig.panel(2), QStringLiteral("Comm Ch."));
        QVERIFY(!exchange.serial().isOpen());
        QCOMPARE(exchange.tcp().socket().state(), QAbstractSocket::UnconnectedState);
        // Nothing goes out anywhere, and the watchdog opens nothing.
        rig.sim.clearCommands();
        QCOMPARE(exchangeOnce(rig, "STAT;"), QByteArray());
        exchange.tmr_COMMWDT().start();
        ConsoleRig::settle(200);
        QVERIFY(!exchange.serial().isOpen());
        QVERIFY(rig.sim.commands().isEmpty());
    };

    // COMM2 that cannot be opened, after Ethernet.
    links.mnu_ethernet_Click();
    QCOMPARE(exchange.tcp().socket().state(), QAbstractSocket::ConnectedState);
    links.useSimulatedSupply(rig.directory.filePath(QStringLiteral("absent")),
                             QStringLiteral("127.0.0.1"), rig.sim.tcpPort());
    links.mnu_comm2_Click();
    QCOMPARE(rig.prompter.texts().last(), QStringLiteral("Invalid Comm Port!"));
    noLinkOpen("mnu_comm2", "comm2");

    // A bad COMM USER entry after a good one.
    links.useSimulatedSupply(rig.linkPath, QStringLiteral("127.0.0.1"), rig.sim.tcpPort());
    rig.prompter.answerInput(QStringLiteral("1"));
    links.mnu_userComm_Click();
    QVERIFY(exchange.serial().isOpen());
    rig.prompter.answerInput(QStringLiteral("one"));
    links.mnu_userComm_Click();
    noLinkOpen("mnu_userComm", "comm1");

    // The USB window closed without DONE after Ethernet chooses nothing:
    // Ethernet stays the link, and says so.
    links.mnu_ethernet_Click();
    rig.dialogScript = [](QDialog& dialog) { dialog.reject(); };
    links.mnu_USB_Click();
    QVERIFY(rig.item("mnu_ethernet")->isChecked());
    QVERIFY(!rig.item("mnu_USB")->isChecked());
    QCOMPARE(rig.state().portType, QStringLiteral("ethernet"));
    QCOMPARE(rig.panel(1), QStringLiteral("Ethernet Comms"));
    rig.sim.clearCommands();
    QCOMPARE(exchangeOnce(rig, "STAT;"), tcpReply("0;"));

    // A good choice leaves exactly its own link open.
    rig.dialogScript = nullptr;
    links.mnu_comm1_Click();
    QVERIFY(exchange.serial().isOpen());
    QCOMPARE(exchange.tcp().socket().state(), QAbstractSocket::UnconnectedState);
    links.mnu_ethernet_Click();
    QVERIFY(!exchange.serial().isOpen());
    exchange.tmr_COMMWDT().start();
    ConsoleRig::settle(200);
    QVERIFY(!exchange.serial().isOpen());
}

void LinkIntegrityTest::idleFloodIsBounded_data() {
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QByteArray>("chatter");
    QByteArray statusMessages;
    while (statusMessages.size() < 4000) {
        statusMessages += tcpReply("22,1,0,0,0,0,0,0,0,");
    }
    QTest::newRow("serial, text") << false << QByteArray(4096, 'x');
    QTest::newRow("tcp, text") << true << QByteArray(4096, 'x');
    QTest::newRow("tcp, terminators") << true << QByteArray(4096, '\x03');
    QTest::newRow("tcp, status messages") << true << statusMessages;
}

// A device that chatters between exchanges: what the console holds of it stays
// bounded, the next exchange is still its own, and memory stays flat.
void LinkIntegrityTest::idleFloodIsBounded() {
    QFETCH(bool, tcp);
    QFETCH(QByteArray, chatter);
    ConsoleRig rig(ConsoleRig::Supply::None);
    FarEndPty far(rig.directory.filePath(QStringLiteral("chatterbox")));
    std::unique_ptr<Flooder> flooder;
    if (tcp) {
        flooder = std::make_unique<Flooder>(chatter.toStdString());
        chooseTcpPeer(rig, flooder->port());
    } else {
        rig.prompter.answerInput(far.linkPath());
        rig.window->linkSelection().mnu_userComm_Click();
        QVERIFY(rig.exchange().serial().isOpen());
        flooder = std::make_unique<Flooder>(far.masterFd(), chatter.toStdString());
    }
    const long residentBefore = zov::test::residentKb();
    ConsoleRig::settle(2000);
    const qint64 held = tcp ? rig.exchange().tcp().socket().bytesAvailable()
                            : rig.exchange().serial().takeInput().value_or(QByteArray()).size();
    flooder->stop();
    QVERIFY2(held <= zov::core::CommandExchange::kReplyByteLimit,
             qPrintable(QString::number(held)));
    QVERIFY2(flooder->sent() > zov::core::CommandExchange::kReplyByteLimit,
             qPrintable(QString::number(flooder->sent())));
    // The allocator of the address sanitizer keeps what is freed for a while.
    if (!underAddressSanitizer()) {
        const long grown = zov::test::residentKb() - residentBefore;
        QVERIFY2(grown < 16 * 1024, qPrintable(QString::number(grown)));
    }
}

void LinkIntegrityTest::longReplyNeverResizesTheWindow() {
    const QByteArray longReply = "\x02" + QByteArray(60000, '7') + "\x03";
    ScriptedPeer peer([&](QTcpSocket& socket, const QByteArray&) { socket.write(longReply); });
    ConsoleRig rig;
    rig.window->resize(1200, 600);
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    chooseTcpPeer(rig, peer.port());
    ConsoleRig::settle(100);
    const QSize size = rig.window->size();
    QCOMPARE(exchangeOnce(rig, "VSET;"), longReply);
    QCOMPARE(rig.panel(3), QStringLiteral("RX: ") + QString::fromLatin1(longReply));
    ConsoleRig::settle(100);
    QCOMPARE(rig.window->size(), size);
    QVERIFY(rig.window->minimumSizeHint().width() < 2000);
    auto* shown = rig.window->findChild<QLabel*>(QStringLiteral("StatusBar1_panel3"));
    QVERIFY(shown->text().size() <= zov::app::StatusBar::kShownLimit + 16);
}

QTEST_MAIN(LinkIntegrityTest)
#include "test_link_integrity.moc"
