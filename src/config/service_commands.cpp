#include "service_commands.h"

#include "app/identity_area.h"
#include "app/main_window.h"
#include "config/typed_entry.h"
#include "protocol/reply.h"
#include "supply/system_status_area.h"

namespace zov::config {
namespace {

constexpr std::size_t kRevisionLength = 3;
constexpr int kDonePosition = 5;

}  // namespace

std::optional<std::string> hardwareRevisionCommand(std::string_view answer) {
    if (answer.size() != kRevisionLength) {
        return std::nullopt;
    }
    return "40," + std::string(answer) + ',';
}

bool revisionTaken(std::string_view reply) {
    return protocol::echoesCommand(reply, "40,") && protocol::charAt(reply, kDonePosition) == '$';
}

const char* watchdogToggleCommand(bool enabled) {
    return enabled ? "WDTE 0;" : "WDTE 1;";
}

// The background timers keep running here: an update step that falls due
// during the wait runs right after it.
void mnu_HWREV_Click(app::MainWindow& window, app::IdentityArea& identity) {
    app::Prompter& prompter = window.prompter();
    if (!prompter.confirm(QStringLiteral("Are you sure you want to change the Rev Number?"),
                          QStringLiteral("Decide Now!"))) {
        return;
    }
    const auto answer = askSendableEntry(prompter, QStringLiteral("Enter the new HW Rev Number"),
                                         QStringLiteral("Change Hardware Revision Number"),
                                         window.state().HwRevDefault);
    if (!answer) {
        return;
    }
    const auto command = hardwareRevisionCommand(*answer);
    if (command) {
        core::CommandExchange& exchange = window.exchange();
        exchange.outputOutputString(QByteArray::fromStdString(*command));
        if (revisionTaken(core::textOf(exchange.inputInputString()))) {
            identity.btn_HWREV_Click();
            return;
        }
    }
    identity.txt_HWREV()->setText(QStringLiteral("Change Failed"));
}

void mnu_Reset_total_hrs_Click(app::MainWindow& window) {
    core::CommandExchange& exchange = window.exchange();
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(QByteArrayLiteral("30,"));
    (void)exchange.inputInputString();
    exchange.resumeBackgroundTimers();
}

void enableWdt_Click(app::MainWindow& window, supply::SystemStatusArea& status) {
    core::CommandExchange& exchange = window.exchange();
    const bool enabled = window.state().wdtEnabled;
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(watchdogToggleCommand(enabled));
    (void)exchange.inputInputString();
    status.showWatchdog(!enabled);
    exchange.resumeBackgroundTimers();
}

}  // namespace zov::config
