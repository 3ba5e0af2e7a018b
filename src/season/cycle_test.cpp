#include "cycle_test.h"

#include <QAction>

#include "app/main_window.h"

namespace zov::season {
namespace {

const QString kCaptionIdle = QStringLiteral("Cycle Test On");
const QString kCaptionRunning = QStringLiteral("Cycle Test Off");
const QString kOnTimePrompt = QStringLiteral("Enter the ON time in seconds....");
const QString kPeriodPrompt = QStringLiteral("Enter the period.... (> ON time)");

}  // namespace

CycleTest::CycleTest(app::MainWindow& window)
    : QObject(&window),
      window_(window),
      item_(window.menuItem(QStringLiteral("menu_cycleHv"))),
      run_(new core::CycleRun(window.supply(), this)) {
    setObjectName(QStringLiteral("cycleTest"));
    item_->setText(kCaptionIdle);
    connect(item_, &QAction::triggered, this, &CycleTest::menu_cycleHv_Click);
}

void CycleTest::menu_cycleHv_Click() {
    if (cycleTestActive() != 0) {
        stop();
    } else {
        start();
    }
}

std::optional<std::int16_t> CycleTest::ask(const QString& prompt, const QString& what) {
    const std::optional<QString> entry = window_.prompter().input(prompt);
    if (!entry) {
        refuse({});
        return std::nullopt;
    }
    if (entry->trimmed().isEmpty()) {
        refuse(QStringLiteral("No %1 was entered; the cycle test did not start.").arg(what));
        return std::nullopt;
    }
    const auto seconds = core::secondsFrom(*entry);
    if (!seconds) {
        refuse(QStringLiteral("The %1 \"%2\" is not a number of seconds from -32768 to 32767; "
                              "the cycle test did not start.")
                   .arg(what, *entry));
    }
    return seconds;
}

void CycleTest::start() {
    asking_ = true;
    item_->setText(kCaptionRunning);
    const auto onTime = ask(kOnTimePrompt, QStringLiteral("ON time"));
    if (!onTime) {
        return;
    }
    const auto period = ask(kPeriodPrompt, QStringLiteral("period"));
    if (!period) {
        return;
    }
    asking_ = false;
    if (const auto refusal = run_->start(*onTime, *period)) {
        refuse(*refusal);
    }
}

void CycleTest::refuse(const QString& text) {
    if (!text.isEmpty()) {
        window_.prompter().message(text);
    }
    asking_ = false;
    item_->setText(kCaptionIdle);
}

void CycleTest::stop() {
    item_->setText(kCaptionIdle);
    // Leaves the output off, also when the last off went unconfirmed.
    run_->stop();
}

}  // namespace zov::season
