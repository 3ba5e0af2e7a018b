// The HV cycle test (menu_cycleHv): asks for the ON time and the period,
// then runs the core's CycleRun (core/cycle_run.h), which switches the X-ray
// output on for the ON time and off for the rest of the period until the
// menu item is chosen again.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

#include "core/cycle_run.h"

class QAction;

namespace zov::app {
class MainWindow;
}

namespace zov::season {

class CycleTest : public QObject {
    Q_OBJECT
public:
    explicit CycleTest(app::MainWindow& window);

    // Starts the test when none runs (two input boxes), stops it otherwise.
    void menu_cycleHv_Click();
    // One second of the test.
    void CycleTimer_Timer() { run_->CycleTimer_Timer(); }

    // The test's variables by their protocol names (True is -1).
    [[nodiscard]] std::int16_t cycleTestActive() const {
        return asking_ || run_->running() ? -1 : 0;
    }
    [[nodiscard]] std::int16_t cycleTestOnTime() const { return run_->rhythm().onTime; }
    [[nodiscard]] std::int16_t cycleTestPeriod() const { return run_->rhythm().period; }
    [[nodiscard]] std::int16_t cycleTestCount() const { return run_->rhythm().count; }
    QTimer& CycleTimer() { return run_->CycleTimer(); }
    core::CycleRun& run() { return *run_; }

private:
    void start();
    void stop();
    // Back to idle after an entry that cannot run.
    void refuse(const QString& text);
    // Nothing when the entry is refused (the test is then idle again).
    std::optional<std::int16_t> ask(const QString& prompt, const QString& what);

    app::MainWindow& window_;
    QAction* item_;
    core::CycleRun* run_;
    // The two input boxes are being asked: the test counts as active.
    bool asking_ = false;
};

}  // namespace zov::season
