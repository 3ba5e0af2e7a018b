// The supply worker: client threads reach the core only through its queue.
//
// Why it exists. Before it, another thread reached the core with
// QMetaObject::invokeMethod(object in the exchange's thread, call,
// Qt::QueuedConnection). A queued call is delivered by whatever event loop
// that thread runs, and while a reply is awaited that is the wait's own local
// loop: a client's supply.send("STAT;") ran inside the wait for "VMON;" and
// went out before VMON's late reply came. On the serial link the replies
// then went to the wrong callers ("VMON;"'s caller got STAT's answer); on TCP
// they may come back in an order that hides it, but the command still went
// out while another's reply was awaited. Calling the exchange straight from a
// std::thread fails with Qt's timer and socket-notifier warnings.
// So every call below checks on entry that no reply wait is running on the
// worker's thread, every caller checks that it got its own command's answer
// (aCallArrivingDuringAWaitWaitsItsTurn stages the case above), and a message
// handler fails a case on any such warning. Run the old way, the first two
// cases fail on both links.
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "core/supply_worker.h"
#include "sim/simulator.h"

using namespace std::chrono_literals;
using zov::core::CallFate;
using zov::core::Supply;
using zov::core::SupplyWorker;

namespace {
enum class Link { Serial, Tcp };
}  // namespace
Q_DECLARE_METATYPE(Link)

namespace {

constexpr int kClients = 4;
constexpr int kCallsEach = 100;
// Generous bounds that only keep a broken build from hanging.
constexpr auto kCallDeadline = 60s;
constexpr int kAwaitMs = 120000;

// Qt's complaints about objects used from a thread not their own.
std::mutex warningsMutex;
QStringList threadWarnings;
QtMessageHandler previousHandler = nullptr;

void watchThreadWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    for (const char* mark : {"QObject", "QSocketNotifier", "Timers cannot"}) {
        if (text.contains(QLatin1String(mark))) {
            std::lock_guard lock(warningsMutex);
            threadWarnings << text;
        }
    }
    previousHandler(type, context, text);
}

// The body of a reply frame on either link: from after the STX to the ";".
QString body(const QByteArray& reply) {
    const qsizetype end = reply.indexOf(';');
    return end < 1 ? QStringLiteral("<%1>").arg(QString::fromLatin1(reply.toPercentEncoding()))
                   : QString::fromLatin1(reply.mid(1, end));
}

// Spins the test thread's event loop (the simulator's) until `done` holds.
bool spinUntil(const std::function<bool()>& done) {
    QDeadlineTimer limit(kAwaitMs);
    while (!done() && !limit.hasExpired()) {
        QTest::qWait(2);
    }
    return done();
}

template <typename T>
bool await(const std::future<T>& future) {
    return spinUntil([&future] { return future.wait_for(0ms) == std::future_status::ready; });
}

// What a call saw, or why it must not have run at all.
QString checked(Supply& supply, const std::function<QString(Supply&)>& work) {
    if (supply.exchange().isWaiting()) {
        return QStringLiteral("ran inside a reply wait");
    }
    return work(supply);
}

// One kind of call a client makes: the commands it sends and what its caller
// must get back.
struct Ask {
    const char* name;
    QStringList sends;
    QString expected;
    std::function<QString(Supply&)> work;
};

QString raw(const zov::core::SupplyReadings& readings, zov::core::Monitor monitor) {
    const auto& reading = readings.monitor(monitor);
    return reading.value ? QString::fromStdString(reading.value->raw) : QStringLiteral("-");
}

QString flag(const std::optional<bool>& value) {
    return value ? QString::number(*value) : QStringLiteral("-");
}

const std::vector<Ask>& asks() {
    using zov::core::Channel;
    using zov::core::Monitor;
    static const std::vector<Ask> table{
        {"send VMON",
         {"VMON;"},
         "done 1111;",
         [](Supply& s) {
             const auto out = s.send("VMON;");
             return QStringLiteral("%1 %2").arg(answerName(out.answer), body(out.reply));
         }},
        {"send STAT",
         {"STAT;"},
         "done 0;",
         [](Supply& s) {
             const auto out = s.send("STAT;");
             return QStringLiteral("%1 %2").arg(answerName(out.answer), body(out.reply));
         }},
        {"send IMON",
         {"IMON;"},
         "done 2222;",
         [](Supply& s) {
             const auto out = s.send("IMON;");
             return QStringLiteral("%1 %2").arg(answerName(out.answer), body(out.reply));
         }},
        {"readMonitors HV",
         {"VMON;", "IMON;", "FMON;"},
         "done 1111 2222 3333 3333;",
         [](Supply& s) {
             const auto out = s.readMonitors(zov::core::kHvMonitors);
             const auto& r = s.readings();
             return QStringLiteral("%1 %2 %3 %4 %5")
                 .arg(answerName(out.answer), raw(r, Monitor::Voltage), raw(r, Monitor::Current),
                      raw(r, Monitor::Filament), body(out.reply));
         }},
        {"readStatus",
         {"STAT;", "FLT;"},
         "done xray 0 interlock 0",
         [](Supply& s) {
             const auto out = s.readStatus();
             return QStringLiteral("%1 xray %2 interlock %3")
                 .arg(answerName(out.answer), flag(out.value.xrayOn),
                      flag(out.value.interlockOpen));
         }},
        {"program A",
         {"VREF 1000;"},
         "done 1000",
         [](Supply& s) {
             const auto out = s.program(Channel::A, 1000);
             return QStringLiteral("%1 %2").arg(answerName(out.answer)).arg(out.value.count);
         }},
        {"readSetpoint A",
         {"VSET;"},
         "done 1000",
         [](Supply& s) {
             const auto out = s.readSetpoint(Channel::A);
             return QStringLiteral("%1 %2").arg(answerName(out.answer)).arg(out.value.count);
         }},
    };
    return table;
}

struct Rig {
    explicit Rig(Link link) {
        QVERIFY2(directory.isValid(), "temporary directory");
        const QString linkPath = directory.filePath(QStringLiteral("zov-port"));
        QVERIFY2(sim.startPty(linkPath), qPrintable(sim.errorString()));
        QVERIFY2(sim.startTcp(0), qPrintable(sim.errorString()));
        sim.setUnsolicitedStatus(false);
        auto& model = sim.model();
        model.setMonitorNoise(false);
        model.pinMonitor(zov::sim::Monitor::Voltage, 1111);
        model.pinMonitor(zov::sim::Monitor::Current, 2222);
        model.pinMonitor(zov::sim::Monitor::Filament, 3333);
        model.setSetpoint(zov::sim::Channel::Voltage, 1000);

        worker = std::make_unique<SupplyWorker>();
        QObject::connect(worker.get(), &SupplyWorker::readingsChanged, [this] { ++changes; });
        QObject::connect(worker.get(), &SupplyWorker::supplyEvent, &here,
                         [this](zov::core::SupplyEvent kind, const QString&) {
                             programmed += kind == zov::core::SupplyEvent::SetpointProgrammed;
                         });
        const quint16 port = sim.tcpPort();
        auto opened = worker->call(
            [link, linkPath, port](Supply& supply) {
                auto& exchange = supply.exchange();
                if (link == Link::Serial) {
                    supply.state().portType = QStringLiteral("comm1");
                    exchange.serial().setDevice(linkPath);
                    if (!exchange.serial().open()) {
                        return QStringLiteral("the serial port did not open");
                    }
                } else {
                    supply.state().portType = QStringLiteral("ethernet");
                    exchange.setRemote(QStringLiteral("127.0.0.1"), port);
                    exchange.connectTcpAndWait();
                    if (exchange.tcp().socket().state() != QAbstractSocket::ConnectedState) {
                        return QStringLiteral("no TCP connection");
                    }
                }
                const auto scaling = supply.readScaling();
                return scaling.done() ? QString() : QStringLiteral("no scaling");
            },
            SupplyWorker::kNoDeadline);
        QVERIFY(await(opened));
        const auto result = opened.get();
        QVERIFY(result.ran());
        QVERIFY2(result.value->isEmpty(), qPrintable(*result.value));
        sim.clearCommands();
        // Every reply comes late, so each caller's wait runs its event loop.
        sim.faults().delay = 3ms;
    }

    QTemporaryDir directory;
    zov::sim::Simulator sim;
    std::atomic<int> changes{0};  // readingsChanged, counted on the worker's thread
    QObject here;                 // the test's thread, where supply events are queued to
    int programmed = 0;
    std::unique_ptr<SupplyWorker> worker;
};

// Holds the worker in a call until opened, so others queue up behind it.
struct Gate {
    struct Latches {
        std::promise<void> entered;
        std::promise<void> opened;
        std::shared_future<void> open = opened.get_future().share();
    };

    explicit Gate(SupplyWorker& worker)
        : held(worker.call(
              [latches = latches](Supply&) {
                  latches->entered.set_value();
                  latches->open.wait();
              },
              SupplyWorker::kNoDeadline)) {}
    ~Gate() {
        if (!isOpen) {
            open();
        }
    }
    bool awaitEntered() { return await(entered); }
    void open() {
        isOpen = true;
        latches->opened.set_value();
    }

    std::shared_ptr<Latches> latches = std::make_shared<Latches>();
    std::future<void> entered = latches->entered.get_future();
    bool isOpen = false;
    std::future<zov::core::CallResult<zov::core::Nothing>> held;
};

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

void addLinks() {
    QTest::addColumn<Link>("link");
    QTest::newRow("serial") << Link::Serial;
    QTest::newRow("tcp") << Link::Tcp;
}

}  // namespace

class SupplyWorkerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(watchThreadWarnings); }
    void cleanup() {
        std::lock_guard lock(warningsMutex);
        const QStringList seen = std::exchange(threadWarnings, {});
        QVERIFY2(seen.isEmpty(), qPrintable(seen.join(QLatin1Char('\n'))));
    }

    void manyClientsEachGetTheirOwnAnswer_data() { addLinks(); }
    void manyClientsEachGetTheirOwnAnswer();
    void aCallArrivingDuringAWaitWaitsItsTurn_data() { addLinks(); }
    void aCallArrivingDuringAWaitWaitsItsTurn();
    void expiredCallsAreNotSent();
    void stoppingDropsWhatIsQueued();
};

void SupplyWorkerTest::manyClientsEachGetTheirOwnAnswer() {
    QFETCH(Link, link);
    Rig rig(link);
    if (QTest::currentTestFailed()) {
        return;
    }
    const auto& table = asks();
    std::mutex resultsMutex;
    QStringList wrong;
    QStringList expectedCommands;
    int programs = 0;
    std::atomic<int> answered{0};
    std::atomic<int> finished{0};
    std::vector<std::thread> clients;
    for (int client = 0; client < kClients; ++client) {
        clients.emplace_back([&, client] {
            for (int i = 0; i < kCallsEach; ++i) {
                const Ask& ask = table[static_cast<std::size_t>(client * 7 + i) % table.size()];
                const auto result = rig.worker->callAndWait(
                    [&ask](Supply& supply) { return checked(supply, ask.work); }, kCallDeadline);
                // What a device server serves between calls: never a half-made copy.
                const QString voltage = raw(rig.worker->latest(), zov::core::Monitor::Voltage);
                std::lock_guard lock(resultsMutex);
                expectedCommands += ask.sends;
                programs += ask.sends.front().startsWith(QLatin1String("VREF"));
                if (!result.ran()) {
                    wrong << QStringLiteral("%1: %2").arg(ask.name, callFateName(result.fate));
                    continue;
                }
                ++answered;
                if (*result.value != ask.expected) {
                    wrong << QStringLiteral("%1 got \"%2\"").arg(ask.name, *result.value);
                }
                if (voltage != QLatin1String("-") && voltage != QLatin1String("1111")) {
                    wrong << QStringLiteral("latest voltage %1").arg(voltage);
                }
            }
            ++finished;
        });
    }
    const bool allFinished = spinUntil([&finished] { return finished.load() == kClients; });
    for (auto& client : clients) {
        client.join();
    }
    QVERIFY(allFinished);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.mid(0, 10).join(QLatin1Char('\n'))));
    QCOMPARE(answered.load(), kClients * kCallsEach);
    // Each command went out once for its own call, nothing else did.
    QCOMPARE(sorted(rig.sim.commands()), sorted(expectedCommands));
    QVERIFY(rig.changes.load() > 0);
    QVERIFY(programs > 0);
    QTRY_COMPARE_WITH_TIMEOUT(rig.programmed, programs, kAwaitMs);
    QCOMPARE(raw(rig.worker->latest(), zov::core::Monitor::Voltage), QStringLiteral("1111"));
}

void SupplyWorkerTest::aCallArrivingDuringAWaitWaitsItsTurn() {
    QFETCH(Link, link);
    Rig rig(link);
    if (QTest::currentTestFailed()) {
        return;
    }
    // Well inside the reply time limit, long enough for a call to arrive meanwhile.
    rig.sim.script("VMON;", zov::sim::ScriptedReply::own().late(200ms));
    std::promise<void> whileWaiting;
    const auto sendFrom = [&rig](const char* command, std::shared_future<void> go,
                                 std::promise<QString>& answer) {
        return std::thread([&rig, command, go, &answer] {
            go.wait();
            // Sent even inside a wait, so such a call also shows as crossed replies.
            const auto out = rig.worker->callAndWait(
                [command](Supply& supply) {
                    const bool inside = supply.exchange().isWaiting();
                    return body(supply.send(command).reply) +
                           (inside ? QStringLiteral(" inside a reply wait") : QString());
                },
                kCallDeadline);
            answer.set_value(out.ran() ? *out.value : QString(callFateName(out.fate)));
        });
    };
    std::promise<void> now;
    now.set_value();
    std::promise<QString> vmonAnswer;
    std::promise<QString> statAnswer;
    auto vmon = vmonAnswer.get_future();
    auto stat = statAnswer.get_future();
    std::thread vmonClient = sendFrom("VMON;", now.get_future().share(), vmonAnswer);
    std::thread statClient = sendFrom("STAT;", whileWaiting.get_future().share(), statAnswer);
    // VMON's reply is on its way back 200 ms late: STAT arrives during the wait.
    const bool vmonSent =
        spinUntil([&rig] { return rig.sim.commands().contains(QLatin1String("VMON;")); });
    whileWaiting.set_value();
    const bool answered = await(vmon) && await(stat);
    vmonClient.join();
    statClient.join();
    QVERIFY(vmonSent);
    QVERIFY(answered);
    QCOMPARE(vmon.get(), QStringLiteral("1111;"));
    QCOMPARE(stat.get(), QStringLiteral("0;"));
    QCOMPARE(rig.sim.commands(), (QStringList{"VMON;", "STAT;"}));
}

void SupplyWorkerTest::expiredCallsAreNotSent() {
    Rig rig(Link::Serial);
    if (QTest::currentTestFailed()) {
        return;
    }
    Gate gate(*rig.worker);
    struct Row {
        const char* command;
        std::chrono::milliseconds deadline;
        CallFate fate;
    };
    const std::vector<Row> rows{
        {"SNUR;", 1ms, CallFate::Expired},  {"MODR;", kCallDeadline, CallFate::Ran},
        {"HWVR;", 0ms, CallFate::Expired},  {"SOFT;", SupplyWorker::kNoDeadline, CallFate::Ran},
        {"FREV;", -5ms, CallFate::Expired},
    };
    std::vector<std::future<zov::core::CallResult<zov::core::Outcome<QByteArray>>>> futures(
        rows.size() * kClients);
    std::vector<std::thread> clients;
    for (int client = 0; client < kClients; ++client) {
        clients.emplace_back([&, client] {
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const char* command = rows[i].command;
                futures[static_cast<std::size_t>(client) * rows.size() + i] = rig.worker->call(
                    [command](Supply& supply) { return supply.send(command); }, rows[i].deadline);
            }
        });
    }
    for (auto& client : clients) {
        client.join();
    }
    QTest::qWait(20);  // past the short deadlines, whatever the clock's grain
    gate.open();
    QVERIFY(await(gate.held));
    QStringList sent;
    for (std::size_t n = 0; n < futures.size(); ++n) {
        const Row& row = rows[n % rows.size()];
        QVERIFY(await(futures[n]));
        const auto result = futures[n].get();
        QCOMPARE(result.fate, row.fate);
        if (row.fate == CallFate::Ran) {
            QVERIFY2(result.value->done(), row.command);
            sent << row.command;
        } else {
            QCOMPARE(outcomeOf(result).answer, zov::core::Answer::NoAnswer);
        }
    }
    QCOMPARE(sorted(rig.sim.commands()), sorted(sent));
}

void SupplyWorkerTest::stoppingDropsWhatIsQueued() {
    Rig rig(Link::Tcp);
    if (QTest::currentTestFailed()) {
        return;
    }
    Gate gate(*rig.worker);
    QVERIFY(gate.awaitEntered());
    std::vector<std::future<zov::core::CallResult<zov::core::Outcome<QByteArray>>>> queued;
    for (const char* command : {"VMON;", "STAT;", "MODR;"}) {
        queued.push_back(
            rig.worker->call([command](Supply& s) { return s.send(command); }, kCallDeadline));
    }
    // stop() settles the queued calls at once, then waits for the held one.
    std::thread opener([&] {
        for (auto& future : queued) {
            future.wait();
        }
        gate.open();
    });
    rig.worker->stop();
    opener.join();
    QCOMPARE(gate.held.get().fate, CallFate::Ran);
    for (auto& future : queued) {
        QCOMPARE(future.get().fate, CallFate::NotTaken);
    }
    const auto late = rig.worker->callAndWait([](Supply& s) { return s.send("STAT;"); }, 1s);
    QCOMPARE(late.fate, CallFate::NotTaken);
    QTest::qWait(20);  // anything sent would have reached the simulator by now
    QCOMPARE(rig.sim.commands(), QStringList());
}

QTEST_GUILESS_MAIN(SupplyWorkerTest)
#include "test_supply_worker.moc"
