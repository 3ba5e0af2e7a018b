// The traffic log: its ring and filter, what it records of real exchanges
// against the simulated supply on both links, and its window.
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QtTest>

#include "console_rig.h"
#include "records/install_traffic_log.h"
#include "records/traffic_table.h"

using zov::records::Outcome;
using zov::records::TrafficEntry;
using zov::records::TrafficLog;
using zov::records::TrafficTable;
using zov::sim::ScriptedReply;
using zov::test::ConsoleRig;
using namespace std::chrono_literals;

namespace {

TrafficEntry entry(const QByteArray& bytes, Outcome outcome,
                   const QString& link = QStringLiteral("/dev/ttyS0")) {
    return {0, TrafficEntry::kNoRoundTrip, bytes, bytes.size(), link, outcome};
}

// The outcomes recorded from `seq` on, in order.
QList<Outcome> outcomesFrom(const TrafficLog& log, std::uint64_t seq) {
    QList<Outcome> outcomes;
    for (; seq < log.endSeq(); ++seq) {
        outcomes << log.at(seq).outcome;
    }
    return outcomes;
}

const TrafficEntry& last(const TrafficLog& log) {
    return log.at(log.endSeq() - 1);
}

zov::records::TrafficLogWindow* openLogWindow(ConsoleRig& rig) {
    rig.item("mnu_TRAFFICLOG")->trigger();
    return qobject_cast<zov::records::TrafficLogWindow*>(
        rig.window->loadedWindow(zov::records::kTrafficLogWindow));
}

}  // namespace

class TrafficLogTest : public QObject {
    Q_OBJECT
private slots:
    void ringWrapsAndKeepsTheNewest();
    void tableFollowsFilterAndPause();
    void serialOutcomes();
    void tcpOutcomes();
    void windowSurvivesLinkChanges();
    void saveAsWritesTheRowsShown();
};

void TrafficLogTest::ringWrapsAndKeepsTheNewest() {
    TrafficLog log(10);
    for (int i = 0; i < 25; ++i) {
        log.append(entry(QByteArray::number(i), Outcome::Answered));
    }
    QCOMPARE(log.size(), std::size_t(10));
    QCOMPARE(log.firstSeq(), std::uint64_t(15));
    for (std::uint64_t seq = log.firstSeq(); seq < log.endSeq(); ++seq) {
        QCOMPARE(log.at(seq).bytes, QByteArray::number(qulonglong(seq)));
    }

    // A runaway frame keeps its length, not its bytes.
    log.append(entry(QByteArray(70000, 'x'), Outcome::Late));
    QCOMPARE(last(log).bytes.size(), TrafficEntry::kBytesKept);
    QCOMPARE(last(log).size, qsizetype(70000));
    QVERIFY(zov::records::frameText(last(log)).endsWith(QStringLiteral("... (70000 bytes)")));

    log.clear();
    QCOMPARE(log.size(), std::size_t(0));
    log.append(entry("after", Outcome::Sent));
    QCOMPARE(log.size(), std::size_t(1));
    QCOMPARE(last(log).bytes, QByteArray("after"));
    QCOMPARE(log.firstSeq(), std::uint64_t(26));
}

void TrafficLogTest::tableFollowsFilterAndPause() {
    TrafficLog log(5);
    TrafficTable table(log);
    log.append(entry("\x02MODR;\r\n", Outcome::Sent));
    log.append(entry("\x02ZOV;\r\n", Outcome::Answered));
    log.append(entry("", Outcome::NoReply, QStringLiteral("TCP 127.0.0.1:4000")));
    table.refresh();
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.index(0, TrafficTable::Frame).data().toString(),
             QStringLiteral("<STX>MODR;<CR><LF>"));
    QCOMPARE(table.index(0, TrafficTable::Direction).data().toString(), QStringLiteral("sent"));
    QCOMPARE(table.index(2, TrafficTable::Result).data().toString(), QStringLiteral("no reply"));

    // The frame as shown, the outcome and the link, in any case.
    table.setFilter(QStringLiteral("<stx>modr"));
    QCOMPARE(table.rowCount(), 1);
    table.setFilter(QStringLiteral("NO REPLY"));
    QCOMPARE(table.rowCount(), 1);
    table.setFilter(QStringLiteral("tcp"));
    QCOMPARE(table.rowCount(), 1);
    table.setFilter(QString());
    QCOMPARE(table.rowCount(), 3);

    // Paused, the rows stay, except those the full ring let go.
    table.setPaused(true);
    for (int i = 0; i < 4; ++i) {
        log.append(entry("\x02STAT;\r\n", Outcome::Sent));
    }
    table.refresh();
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(table.entryAt(0).outcome, Outcome::NoReply);
    table.setFilter(QStringLiteral("stat"));  // filters what was shown when paused
    QCOMPARE(table.rowCount(), 0);
    table.setPaused(false);
    QCOMPARE(table.rowCount(), 4);
    table.setFilter(QString());
    QCOMPARE(table.rowCount(), 5);
    log.clear();
    table.refresh();
    QCOMPARE(table.rowCount(), 0);
}

void TrafficLogTest::serialOutcomes() {
    ConsoleRig rig;
    const TrafficLog& log = zov::records::installTrafficLog(*rig.window).log();
    auto& exchange = rig.exchange();

    // No port chosen yet: the command is logged as never having gone out.
    exchange.outputOutputString("MODR;");
    QCOMPARE(last(log).outcome, Outcome::NotSent);
    QCOMPARE(exchange.inputInputString(), QByteArray());
    QCOMPARE(last(log).outcome, Outcome::NoReply);
    QCOMPARE(last(log).link, QStringLiteral("no port"));

    rig.window->linkSelection().mnu_comm1_Click();
    std::uint64_t from = log.endSeq();
    exchange.outputOutputString("MODR;");
    const QByteArray reply = exchange.inputInputString();
    QCOMPARE(outcomesFrom(log, from), (QList<Outcome>{Outcome::Sent, Outcome::Answered}));
    QCOMPARE(log.at(from).bytes, exchange.ProcessOutputString("MODR;"));
    QCOMPARE(last(log).bytes, reply);
    QCOMPARE(last(log).link, rig.linkPath);
    QVERIFY(last(log).roundTripNs > 0);
    QVERIFY(log.at(from).roundTripNs == TrafficEntry::kNoRoundTrip);

    // Silence, then a reply that misses the limit but comes while the link
    // settles, then one that comes after that and is dropped when the next
    // command goes out: both late, as they follow a missed reply.
    rig.sim.script("HWVR;", ScriptedReply::silence());
    rig.sim.script("SOFT;", ScriptedReply::own().late(350ms));
    rig.sim.script("MODR;", ScriptedReply::own().late(600ms));
    from = log.endSeq();
    for (const char* command : {"HWVR;", "SOFT;", "MODR;"}) {
        exchange.outputOutputString(command);
        QCOMPARE(exchange.inputInputString(), QByteArray());
    }
    ConsoleRig::settle(400);
    exchange.outputOutputString("STAT;");
    QVERIFY(!exchange.inputInputString().isEmpty());
    QCOMPARE(outcomesFrom(log, from),
             (QList<Outcome>{Outcome::Sent, Outcome::NoReply, Outcome::Sent, Outcome::NoReply,
                             Outcome::Late, Outcome::Sent, Outcome::NoReply, Outcome::Late,
                             Outcome::Sent, Outcome::Answered}));
    QVERIFY(log.at(from + 1).roundTripNs >= (ConsoleRig::kReplyLimitMs - 5) * 1000000LL);
    QVERIFY(log.at(from + 4).bytes.startsWith('\x02'));
    QVERIFY(log.at(from + 7).bytes.contains("ZOV"));
    // A late row tells when its bytes came and how long after their command,
    // also when they lay waiting until the next command went out.
    const std::pair<std::uint64_t, std::chrono::milliseconds> lateRows[] = {{4, 350ms}, {7, 600ms}};
    for (const auto& [row, lateness] : lateRows) {
        const TrafficEntry& late = log.at(from + row);
        const TrafficEntry& command = log.at(from + row - 2);
        QVERIFY2(late.roundTripNs >= std::chrono::nanoseconds(lateness).count(),
                 qPrintable(zov::records::roundTripText(late)));
        QVERIFY(std::abs(late.wallMs - command.wallMs - late.roundTripNs / 1000000) <= 2);
    }
    QVERIFY(log.at(from + 7).wallMs + 100 <= log.at(from + 8).wallMs);

    // Part of a reply and then the end of the time: the part is what is logged.
    rig.sim.script("SOFT;", ScriptedReply::raw("\x02"
                                               "1.2"));
    from = log.endSeq();
    exchange.outputOutputString("SOFT;");
    QCOMPARE(exchange.inputInputString(), QByteArray("\x02"
                                                     "1.2"));
    QCOMPARE(outcomesFrom(log, from), (QList<Outcome>{Outcome::Sent, Outcome::Incomplete}));

    // A reply nobody waited for is dropped when the next command goes out.
    exchange.outputOutputString("WDTT;");
    exchange.outputOutputString("HWVR;");
    ConsoleRig::settle(100);
    from = log.endSeq();
    exchange.outputOutputString("SOFT;");
    QVERIFY(!exchange.inputInputString().isEmpty());
    QCOMPARE(outcomesFrom(log, from),
             (QList<Outcome>{Outcome::Dropped, Outcome::Sent, Outcome::Answered}));

    // Listening changed nothing on the wire.
    QCOMPARE(rig.sim.commands(), (QStringList{"MODR;", "HWVR;", "SOFT;", "MODR;", "STAT;", "SOFT;",
                                              "WDTT;", "HWVR;", "SOFT;"}));
}

void TrafficLogTest::tcpOutcomes() {
    ConsoleRig rig;
    const TrafficLog& log = zov::records::installTrafficLog(*rig.window).log();
    auto& exchange = rig.exchange();
    rig.window->linkSelection().mnu_ethernet_Click();
    QCOMPARE(exchange.tcp().socket().state(), QAbstractSocket::ConnectedState);
    exchange.resumeBackgroundTimers();
    const QString link = QStringLiteral("TCP 127.0.0.1:%1").arg(rig.sim.tcpPort());

    std::uint64_t from = log.endSeq();
    exchange.outputOutputString("STAT;");
    QCOMPARE(exchange.inputInputString(), QByteArray("\x02"
                                                     "0;\x03"));
    QCOMPARE(outcomesFrom(log, from), (QList<Outcome>{Outcome::Sent, Outcome::Answered}));
    QCOMPARE(last(log).link, link);

    // The unit's own status message, and a frame nobody asked for.
    from = log.endSeq();
    rig.sim.sendStatus();
    QTRY_COMPARE(outcomesFrom(log, from), QList<Outcome>{Outcome::Unsolicited});
    QVERIFY(
        last(log).bytes.startsWith("\x02"
                                   "22,"));
    rig.sim.sendStatus(ScriptedReply::text("99,stray;"));
    QTRY_COMPARE(last(log).outcome, Outcome::Dropped);
    QCOMPARE(last(log).bytes, QByteArray("\x02"
                                         "99,stray;\x03"));

    // A late reply is dropped while the link settles, and said to be late.
    rig.sim.script("SOFT;", ScriptedReply::own().late(350ms));
    from = log.endSeq();
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString("SOFT;");
    QCOMPARE(exchange.inputInputString(), QByteArray());
    QCOMPARE(outcomesFrom(log, from),
             (QList<Outcome>{Outcome::Sent, Outcome::NoReply, Outcome::Late}));
    QVERIFY(last(log).roundTripNs >= std::chrono::nanoseconds(350ms).count());

    // The link lost: a command for it never goes out.
    rig.sim.dropTcpConnections();
    QTRY_COMPARE(exchange.tcp().socket().state(), QAbstractSocket::UnconnectedState);
    exchange.outputOutputString("STAT;");
    QCOMPARE(last(log).outcome, Outcome::NotSent);
    QCOMPARE(rig.sim.commands(), (QStringList{"STAT;", "SOFT;"}));
}

void TrafficLogTest::windowSurvivesLinkChanges() {
    ConsoleRig rig;
    const TrafficLog& log = zov::records::installTrafficLog(*rig.window).log();
    auto& exchange = rig.exchange();
    QPointer<zov::records::TrafficLogWindow> window = openLogWindow(rig);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    auto* filter = window->findChild<QLineEdit*>(QStringLiteral("txt_FILTER"));
    QCOMPARE(filter->accessibleName(), QStringLiteral("Filter"));
    QCOMPARE(filter->accessibleDescription(), QStringLiteral("txt_FILTER"));

    const auto exchangeOnce = [&] {
        exchange.outputOutputString("STAT;");
        (void)exchange.inputInputString();
    };
    rig.window->linkSelection().mnu_comm1_Click();
    exchangeOnce();
    rig.window->linkSelection().mnu_ethernet_Click();
    exchangeOnce();
    rig.sim.dropTcpConnections();
    QTRY_COMPARE(exchange.tcp().socket().state(), QAbstractSocket::UnconnectedState);
    exchangeOnce();
    rig.window->linkSelection().mnu_ethernet_Click();
    exchangeOnce();
    rig.window->linkSelection().mnu_comm1_Click();
    exchangeOnce();
    QCOMPARE(openLogWindow(rig), window.data());  // one instance
    QTRY_COMPARE(window->table().rowCount(), int(log.size()));
    QCOMPARE(log.size(), std::size_t(10));

    // Paused, the window holds still; Clear empties the log itself.
    auto* pause = window->findChild<QPushButton*>(QStringLiteral("btn_PAUSE"));
    pause->click();
    QCOMPARE(pause->text(), QStringLiteral("Resume"));
    exchangeOnce();
    window->refresh();
    QCOMPARE(window->table().rowCount(), 10);
    pause->click();
    QCOMPARE(window->table().rowCount(), 12);

    // Closed, the window goes; opened again it shows the whole session.
    window->close();
    QTRY_VERIFY(!window);
    exchangeOnce();
    window = openLogWindow(rig);
    QCOMPARE(window->table().rowCount(), 14);
    window->findChild<QPushButton*>(QStringLiteral("btn_CLEAR"))->click();
    QCOMPARE(window->table().rowCount(), 0);
    QCOMPARE(log.size(), std::size_t(0));
    exchangeOnce();
    QTRY_COMPARE(window->table().rowCount(), 2);
    // The main window goes with the log window still open.
}

void TrafficLogTest::saveAsWritesTheRowsShown() {
    ConsoleRig rig;
    zov::records::installTrafficLog(*rig.window);
    auto& exchange = rig.exchange();
    rig.window->linkSelection().mnu_comm1_Click();
    rig.sim.script("HWVR;", ScriptedReply::silence());
    for (const char* command : {"MODR;", "HWVR;", "STAT;"}) {
        exchange.outputOutputString(command);
        (void)exchange.inputInputString();
    }
    auto* window = openLogWindow(rig);
    QTest::keyClicks(window->findChild<QLineEdit*>(QStringLiteral("txt_FILTER")),
                     QStringLiteral("received"));
    QTRY_COMPARE(window->table().rowCount(), 3);

    QString chosen = rig.directory.filePath(QStringLiteral("traffic.txt"));
    window->setFileChooser([&chosen](QWidget*, const QString& suggestion) {
        return suggestion.endsWith(QLatin1String(".txt")) ? chosen : QString();
    });
    window->findChild<QPushButton*>(QStringLiteral("btn_SAVEAS"))->click();
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    const QRegularExpression answered(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\t%1\treceived\t"
                       "<STX>ZOV.*<CR><LF>\t\\d+\\.\\d\\d ms\tanswered$")
            .arg(QRegularExpression::escape(rig.linkPath)));
    QVERIFY2(answered.match(lines[0]).hasMatch(), qPrintable(lines[0]));
    QVERIFY2(lines[1].endsWith(QLatin1String("\treceived\t\t") +
                               zov::records::roundTripText(window->table().entryAt(1)) +
                               QLatin1String("\tno reply")),
             qPrintable(lines[1]));
    QVERIFY2(lines[2].contains(QLatin1String("\tanswered")), qPrintable(lines[2]));

    // Nowhere to write: the operator is told, and nothing is left behind.
    chosen = rig.directory.filePath(QStringLiteral("gone/traffic.txt"));
    window->findChild<QPushButton*>(QStringLiteral("btn_SAVEAS"))->click();
    QVERIFY(!QFile::exists(chosen));
    QCOMPARE(rig.prompter.shown().back().icon, zov::app::Prompter::Icon::Warning);
    QVERIFY2(rig.prompter.shown().back().text.contains(chosen),
             qPrintable(rig.prompter.shown().back().text));
}

QTEST_MAIN(TrafficLogTest)
#include "test_traffic_log.moc"
