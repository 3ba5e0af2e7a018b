// What a failing cable or a chattering supply costs the console: CPU of the
// console's thread and resident memory while the far end of the serial link
// hangs up, and while a device floods the serial port or the TCP connection
// between exchanges. The far ends run on threads of their own, so the
// console's thread is measured alone. Prints; asserts nothing.

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"
#include "bench_console.h"
#include "far_end.h"

namespace {

using zov::test::FarEndPty;
using zov::test::Flooder;
using zov::test::residentKb;

constexpr int kSeconds = 5;

void measure(const char* what) {
    const long residentBefore = residentKb();
    const double cpuBefore = zov::bench::threadCpuSeconds();
    QEventLoop loop;
    QTimer::singleShot(kSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = zov::bench::threadCpuSeconds() - cpuBefore;
    std::printf("  %-40s %6.3f s CPU = %6.2f %% of one core, resident %ld -> %ld kB\n", what, cpu,
                100.0 * cpu / kSeconds, residentBefore, residentKb());
}

void openSerial(zov::core::CommandExchange& exchange, const FarEndPty& far) {
    exchange.serial().setDevice(far.linkPath());
    exchange.serial().open();
}

void serialHangUp(zov::core::CommandExchange& exchange, const QTemporaryDir& directory) {
    FarEndPty far(directory.filePath(QStringLiteral("hang-up")));
    openSerial(exchange, far);
    far.hangUp();
    measure("serial far end hung up");
    std::printf("  port still open after the hang-up: %s\n",
                exchange.serial().isOpen() ? "yes" : "no");
    exchange.serial().release();
}

void serialFlood(zov::core::CommandExchange& exchange, const QTemporaryDir& directory) {
    FarEndPty far(directory.filePath(QStringLiteral("chatter")));
    openSerial(exchange, far);
    Flooder flooder(far.masterFd(), std::string(4096, 'x'));
    measure("serial idle, device chattering");
    flooder.stop();
    std::printf("  bytes the device got out: %lld\n", flooder.sent());
    exchange.serial().release();
}

void tcpFlood(zov::app::MainWindow& window, const char* what, const std::string& chatter) {
    zov::core::CommandExchange& exchange = window.exchange();
    Flooder flooder(chatter);
    window.state().portType = QStringLiteral("ethernet");
    exchange.setRemote(QStringLiteral("127.0.0.1"), flooder.port());
    exchange.connectTcpAndWait();
    exchange.setNetPollEnabled(true);
    measure(what);
    flooder.stop();
    std::printf("  bytes the peer got out: %lld\n", flooder.sent());
    exchange.closeTcp();
    window.state().portType.clear();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QTemporaryDir directory;
    zov::bench::SilentPrompter prompter;
    // The whole window, so what a reply costs on screen is counted too.
    zov::app::MainWindow window(prompter);
    window.show();
    std::printf("Console thread under link faults, %d s each:\n", kSeconds);
    measure("idle, no link");
    serialHangUp(window.exchange(), directory);
    serialFlood(window.exchange(), directory);
    tcpFlood(window, "tcp idle, peer streaming text", std::string(4096, 'x'));
    tcpFlood(window, "tcp idle, peer streaming terminators", std::string(4096, '\x03'));
    std::string statusMessages;
    while (statusMessages.size() < 4000) {
        statusMessages +=
            "\x02"
            "22,1,0,0,0,0,0,0,0,\x03";
    }
    tcpFlood(window, "tcp idle, peer streaming status messages", statusMessages);
    return 0;
}
