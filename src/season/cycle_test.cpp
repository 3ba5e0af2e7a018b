#include "cycle_test.h"

#include <QAction>

#include "app/main_window.h"
#include "supply/xray_enable_area.h"

namespace zov::season {
namespace {

const QString kCaptionIdle = QStringLiteral("Cycle Test On");
const QString kCaptionRunning = QStringLiteral("Cycle Test Off");
const QString kOnTimePrompt = QStringLiteral("Enter the ON time in seconds....");
const QString kPeriodPrompt = QStringLiteral("Enter the period.... (> ON time)");
const QString kPeriodRefused = QStringLiteral("Period has to be greater than the On time");
// The count reaches a period below one second only by running through all 16
// bits: the output would stay as switched for 65 535 s.
const QString kPeriodTooShort =
    QStringLiteral("The period has to be at least 1 second; the cycle test did not start.");

}  // namespace

CycleTest::CycleTest(app::MainWindow& window, supply::XrayEnableArea& xray)
    : QObject(&window),
      window_(window),
      xray_(xray),
      item_(window.menuItem(QStringLiteral("menu_cycleHv"))),
      timer_(new QTimer(&window)) {
    setObjectName(QStringLiteral("cycleTest"));
    timer_->setObjectName(QStringLiteral("CycleTimer"));
    timer_->setInterval(core::kTickMs);
    window.exchange().connectTimer(*timer_, this, [this] { CycleTimer_Timer(); });
    item_->setText(kCaptionIdle);
    connect(item_, &QAction::triggered, this, &CycleTest::menu_cycleHv_Click);
}

void CycleTest::menu_cycleHv_Click() {
    if (active_) {
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
    active_ = true;
    item_->setText(kCaptionRunning);
    const auto onTime = ask(kOnTimePrompt, QStringLiteral("ON time"));
    if (!onTime) {
        return;
    }
    const auto period = ask(kPeriodPrompt, QStringLiteral("period"));
    if (!period) {
        return;
    }
    if (!(*period > *onTime)) {
        refuse(kPeriodRefused);
        return;
    }
    if (*period < 1) {
        refuse(kPeriodTooShort);
        return;
    }
    rhythm_.onTime = *onTime;
    rhythm_.period = *period;
    // The test always begins with the output switched on, from off.
    if (xray_.btn_HVONOFF()->value()) {
        xray_.toggleXray();
    }
    xray_.toggleXray();
    rhythm_.count = 0;
    // Stopped while the start's exchanges waited: nothing more to begin.
    if (active_) {
        timer_->start();
    }
}

void CycleTest::refuse(const QString& text) {
    if (!text.isEmpty()) {
        window_.prompter().message(text);
    }
    active_ = false;
    item_->setText(kCaptionIdle);
}

void CycleTest::CycleTimer_Timer() {
    if (active_ && rhythm_.tick()) {
        xray_.toggleXray();
    }
}

void CycleTest::stop() {
    item_->setText(kCaptionIdle);
    // A tick held back by a running exchange must not run inside the next
    // start's input box.
    window_.exchange().stopTimer(*timer_);
    active_ = false;
    // A stopped test leaves the output off: also when the switch shows off
    // but the unit refused or missed the last "ENBL 0;", or has since
    // reported the output on.
    if (xray_.btn_HVONOFF()->value() || !xray_.offConfirmed()) {
        xray_.requestXrayOff();
    }
}

}  // namespace zov::season
