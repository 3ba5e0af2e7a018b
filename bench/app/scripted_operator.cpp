#include "scripted_operator.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include "app/link_selection.h"
#include "app/main_window.h"
#include "bench_console.h"
#include "raw_floor.h"
#include "season/cycle_test.h"
#include "season/seasoning.h"
#include "supply/dac_editor_area.h"
#include "supply/xray_enable_area.h"

namespace zov::bench {
namespace {

// Seconds of the cycle test and the seasoning run pass this fast, so their
// steps and switchings interleave with the operator and the faults.
constexpr int kCycleSecondMs = 100;
constexpr int kSeasonSecondMs = 25;
constexpr int kShortestPauseMs = 150;
constexpr int kLongestPauseMs = 1500;

struct SeasonStep {
    const char* kv;
    const char* ma;
    const char* minutes;
    bool cycling;
};
// Within the simulated unit's 60 kV and 0.5 mA; a step of no minutes ends the run.
constexpr SeasonStep kShortProfile[] = {
    {"10", "0.1", "1", false},
    {"20", "0.2", "1", true},
    {"30", "0.3", "1", false},
    {"0", "0", "0", false},
};

}  // namespace

const char* actionName(Action action) {
    static const char* const kNames[kActionKinds] = {
        "program",   "cancel",     "xray",      "request-status", "update", "manual",
        "automatic", "cycle-test", "seasoning", "link",           "door"};
    return kNames[static_cast<int>(action)];
}

ScriptedOperator::ScriptedOperator(app::MainWindow& window, const supply::SupplyAreas& areas,
                                   SilentPrompter& prompter, SimulatorThread& supply, quint32 seed)
    : window_(window),
      areas_(areas),
      tools_(season::installSeasoning(window, areas)),
      prompter_(prompter),
      supply_(supply),
      random_(seed) {
    tools_.cycleTest->CycleTimer().setInterval(kCycleSecondMs);
    next_.setSingleShot(true);
    connect(&next_, &QTimer::timeout, this, [this] {
        window_.exchange().whenIdle(this, [this] {
            if (stopped_) {
                return;
            }
            // Back to automatic update half the time, so that the update
            // cycle (and the faults it meets) runs most of the soak.
            const bool resume = !automatic() && random_.bounded(2) == 0;
            act(resume ? Action::Automatic : static_cast<Action>(random_.bounded(kActionKinds)));
        });
    });
}

void ScriptedOperator::start(std::function<void(Action, bool)> acted) {
    acted_ = std::move(acted);
    schedule();
}

void ScriptedOperator::schedule() {
    next_.start(random_.bounded(kShortestPauseMs, kLongestPauseMs));
}

void ScriptedOperator::stop() {
    stopped_ = true;
    next_.stop();
    window_.exchange().whenIdle(this, [this] {
        if (!automatic()) {
            window_.menuItem(QStringLiteral("mnu_AUTOUPDATE"))->trigger();
        }
    });
}

bool ScriptedOperator::automatic() const {
    return window_.menuItem(QStringLiteral("mnu_AUTOUPDATE"))->isChecked();
}

bool ScriptedOperator::mayRequest(Request request) const {
    const bool cycling = tools_.cycleTest->cycleTestActive() != 0;
    const bool seasoning = tools_.seasoning->running();
    switch (request) {
        case Request::Read:
            return true;
        case Request::Setpoint:
            return permits_.setpoint || seasoning;
        case Request::XrayOn:
            return permits_.on || cycling || seasoning;
        case Request::XrayOff:
            return permits_.off || cycling || seasoning;
        case Request::Other:
            break;
    }
    return false;
}

SteadyTime ScriptedOperator::unrefreshedSince(SteadyTime now,
                                              std::chrono::milliseconds reach) const {
    if (!automatic() || now - automaticSince_ < reach) {
        return std::min(now, manualSince_) - reach;
    }
    return now - reach;
}

void ScriptedOperator::act(Action action) {
    bool stoppedCycleTest = false;
    switch (action) {
        case Action::Program:
        case Action::Cancel:
            editChannel(action == Action::Program);
            break;
        case Action::Xray: {
            const bool on = areas_.xrayEnable->btn_HVONOFF()->value();
            permits_ = {false, !on, on};
            areas_.xrayEnable->btn_HVONOFF()->click();
            break;
        }
        case Action::RequestStatus:
            window_.findChild<QAbstractButton*>(QStringLiteral("btn_REQSTAT"))->click();
            break;
        case Action::Update:
            window_.findChild<QAbstractButton*>(QStringLiteral("btn_UPDATEDATA"))->click();
            break;
        case Action::Manual:
            if (automatic()) {
                manualSince_ = std::chrono::steady_clock::now();
            }
            window_.menuItem(QStringLiteral("mnu_MANUAL"))->trigger();
            break;
        case Action::Automatic:
            window_.menuItem(QStringLiteral("mnu_AUTOUPDATE"))->trigger();
            automaticSince_ = std::chrono::steady_clock::now();
            break;
        case Action::CycleTest:
            stoppedCycleTest = cycleTest();
            break;
        case Action::Seasoning:
            seasoning();
            break;
        case Action::Link:
            // A link choice starts the automatic update.
            if (window_.state().portType == QLatin1String("ethernet")) {
                window_.linkSelection().mnu_comm1_Click();
            } else {
                window_.linkSelection().mnu_ethernet_Click();
            }
            automaticSince_ = std::chrono::steady_clock::now();
            break;
        case Action::Door:
            supply_.configure([](sim::Simulator& sim) {
                sim.model().setInterlockOpen(!sim.model().interlockOpen());
            });
            break;
    }
    permits_ = {};
    if (acted_) {
        acted_(action, stoppedCycleTest);
    }
    if (!stopped_) {
        schedule();
    }
}

void ScriptedOperator::editChannel(bool program) {
    supply::DacEditorArea& editor = *areas_.dacEditor;
    const auto channel = static_cast<core::Channel>(random_.bounded(4));
    editor.option(channel)->click();
    permits_.setpoint = true;
    if (program) {
        editor.ctrl_BITVAL()->setValue(random_.bounded(4096));
        editor.btn_ACCEPT()->click();
    } else {
        editor.btn_CANCEL()->click();
    }
}

// True when it stopped a running test.
bool ScriptedOperator::cycleTest() {
    season::CycleTest& test = *tools_.cycleTest;
    const bool running = test.cycleTestActive() != 0;
    if (!running) {
        prompter_.answerInput(QStringLiteral("2"));
        prompter_.answerInput(QStringLiteral("5"));
        permits_.on = true;
    }
    permits_.off = true;
    window_.menuItem(QStringLiteral("menu_cycleHv"))->trigger();
    return running;
}

void ScriptedOperator::seasoning() {
    season::Seasoning& run = *tools_.seasoning;
    if (run.running() && run.progressWindow() != nullptr) {
        run.progressWindow()->Command1()->click();  // Stop: sends nothing
        return;
    }
    window_.menuItem(QStringLiteral("menu_Season"))->trigger();
    season::SeasoningWindow* profile = run.profileWindow();
    if (profile == nullptr) {
        return;
    }
    run.run().Timer_Season().setInterval(kSeasonSecondMs);
    for (int i = 0; i < int(std::size(kShortProfile)); ++i) {
        const SeasonStep& step = kShortProfile[i];
        profile->combo_kv(i)->setEditText(QLatin1String(step.kv));
        profile->combo_ma(i)->setEditText(QLatin1String(step.ma));
        profile->combo_time(i)->setEditText(QLatin1String(step.minutes));
        profile->chk_cycle(i)->setChecked(step.cycling);
    }
    permits_ = {true, true, true};
    profile->Command1()->click();
}

}  // namespace zov::bench
