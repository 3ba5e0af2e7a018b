// The HV cycle test (menu_cycleHv): the X-ray output on for an on time and
// off for the rest of a period, again and again until stopped, switched
// only through toggleXray.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

#include "core/season_profile.h"

class QAction;

namespace zov::app {
class MainWindow;
}
namespace zov::supply {
class XrayEnableArea;
}

namespace zov::season {

class CycleTest : public QObject {
    Q_OBJECT
public:
    CycleTest(app::MainWindow& window, supply::XrayEnableArea& xray);

    // Starts the test when none runs (two input boxes), stops it otherwise.
    void menu_cycleHv_Click();
    // One second of the test.
    void CycleTimer_Timer();

    // The test's variables by their protocol names (True is -1).
    [[nodiscard]] std::int16_t cycleTestActive() const { return active_ ? -1 : 0; }
    [[nodiscard]] std::int16_t cycleTestOnTime() const { return rhythm_.onTime; }
    [[nodiscard]] std::int16_t cycleTestPeriod() const { return rhythm_.period; }
    [[nodiscard]] std::int16_t cycleTestCount() const { return rhythm_.count; }
    QTimer& CycleTimer() { return *timer_; }

private:
    void start();
    void stop();
    // Back to idle after an entry that cannot run.
    void refuse(const QString& text);
    // Nothing when the entry is refused (the test is then idle again).
    std::optional<std::int16_t> ask(const QString& prompt, const QString& what);

    app::MainWindow& window_;
    supply::XrayEnableArea& xray_;
    QAction* item_;
    QTimer* timer_;
    core::Rhythm rhythm_;
    bool active_ = false;
};

}  // namespace zov::season
