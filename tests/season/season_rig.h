// The console with its supply areas and the seasoning tools installed, on the
// simulated supply, with the timers' ticks driven by the test.
#pragma once

#include <QCoreApplication>

#include "season/cycle_test.h"
#include "season/install_seasoning.h"
#include "season/seasoning.h"
#include "supply/xray_enable_area.h"
#include "supply_rig.h"

namespace zov::test {

// Paths handed out instead of file dialogs; nothing for Cancel.
struct ScriptedPaths : season::ProfilePathChooser {
    std::optional<QString> save;
    std::optional<QString> load;
    int asked = 0;
    std::optional<QString> pathToSave(QWidget*) override {
        ++asked;
        return save;
    }
    std::optional<QString> pathToLoad(QWidget*) override {
        ++asked;
        return load;
    }
};

struct SeasonRig : SupplyRig {
    // The simulated unit's full scales: 60 kV and 0.5 mA over 4095 counts.
    static constexpr double kKvScale = 60.0 / 4095.0;
    static constexpr double kMaScale = 0.5 / 4095.0;
    // Long enough that no real tick comes while a test drives the ticks.
    static constexpr int kNoRealTicksMs = 3600 * 1000;

    SeasonRig() : tools(season::installSeasoning(*window, areas)) {
        seasoning().setPathChooser(&paths);
        window->extrasWindow();
    }

    season::Seasoning& seasoning() { return *tools.seasoning; }
    season::CycleTest& cycleTest() { return *tools.cycleTest; }
    app::InstrumentButton& xraySwitch() { return *areas.xrayEnable->btn_HVONOFF(); }

    // The link chosen and the scale as the unit would have it read.
    void connect() {
        choose(false);
        state().KvScaleFactor = kKvScale;
        state().mAScaleFactor = kMaScale;
    }

    // menu_Season; the profile window, its ticks left to the test.
    season::SeasoningWindow& openProfile() {
        item("menu_Season")->trigger();
        season::SeasoningWindow* profile = seasoning().profileWindow();
        if (profile == nullptr) {
            qFatal("no profile window");
        }
        seasonTimer().setInterval(kNoRealTicksMs);
        return *profile;
    }
    // The run's one-second timer.
    QTimer& seasonTimer() { return seasoning().run().Timer_Season(); }

    void setRow(int index, const char* kv, const char* ma, const char* minutes, bool cycle) {
        season::SeasoningWindow& profile = *seasoning().profileWindow();
        profile.combo_kv(index)->setEditText(QLatin1String(kv));
        profile.combo_ma(index)->setEditText(QLatin1String(ma));
        profile.combo_time(index)->setEditText(QLatin1String(minutes));
        profile.chk_cycle(index)->setChecked(cycle);
    }

    void start() { seasoning().profileWindow()->Command1()->click(); }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            seasoning().Timer_Season_Timer();
        }
    }
    // What a closed window left for deletion is gone.
    static void dropUnloaded() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QStringList takeCommands() {
        QStringList commands = sim.commands();
        sim.clearCommands();
        return commands;
    }

    QWidget* loaded(const char* name) { return window->loadedWindow(QLatin1String(name)); }

    season::SeasonTools tools;
    ScriptedPaths paths;
};

// The cycle test on a connected unit, its ticks driven by the test.
struct CycleTestRig : SeasonRig {
    CycleTestRig() {
        connect();
        cycleTest().CycleTimer().setInterval(kNoRealTicksMs);
    }
    QString caption() { return item("menu_cycleHv")->text(); }
    // menu_cycleHv with the ON time and period typed into its two boxes.
    void startWith(const QString& onTime, const QString& period) {
        prompter.answerInput(onTime);
        prompter.answerInput(period);
        item("menu_cycleHv")->trigger();
    }
    void tickCycle(int n = 1) {
        for (int i = 0; i < n; ++i) {
            cycleTest().CycleTimer_Timer();
        }
    }
    bool idle() {
        return caption() == QLatin1String("Cycle Test On") && cycleTest().cycleTestActive() == 0 &&
               !cycleTest().CycleTimer().isActive();
    }
};

}  // namespace zov::test
