// Tube seasoning (menu_Season): opens the profile window, runs the profile
// one second at a time on Timer_Season, programs each step's setpoints and
// switches the X-ray output for marked steps only through toggleXray, and
// ends the run on its last step, on "Stop" or when a window is closed.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "core/season_profile.h"
#include "season/season_windows.h"

namespace zov::app {
class MainWindow;
}
namespace zov::supply {
class XrayEnableArea;
}

namespace zov::season {

// Where a profile file goes to or comes from. The console asks with a file
// dialog; tests answer with a path.
class ProfilePathChooser {
public:
    virtual ~ProfilePathChooser() = default;
    // Nothing when the operator cancels.
    virtual std::optional<QString> pathToSave(QWidget* parent) = 0;
    virtual std::optional<QString> pathToLoad(QWidget* parent) = 0;

protected:
    ProfilePathChooser() = default;
    ProfilePathChooser(const ProfilePathChooser&) = default;
    ProfilePathChooser& operator=(const ProfilePathChooser&) = default;
};

class Seasoning : public QObject {
    Q_OBJECT
public:
    Seasoning(app::MainWindow& window, supply::XrayEnableArea& xray);
    ~Seasoning() override;

    // --- the handlers, by their protocol names ---
    // Click of menu_Season: shows the profile window modally, loading it
    // (default profile) when it is not loaded; during a run, the running one.
    void menu_Season_Click();
    // "Start Season": refuses a profile it cannot run (message, nothing
    // sent), else starts from step 1.
    void Command1_Click();
    // One second of the run.
    void Timer_Season_Timer();
    // "Stop": ends the run, nothing sent.
    void Stop_Click();
    // Sends step `index`'s "VREF" and "IREF"; sends nothing and returns the
    // problem when its texts cannot be sent.
    std::optional<core::Problem> applySeasonStep(int index);
    void seasonCycleTick();

    // "Save Profile..." and "Load Profile...".
    void saveProfile();
    void loadProfile();

    // --- state, for the windows and tests ---
    [[nodiscard]] bool running() const { return running_; }
    [[nodiscard]] const core::SeasonClock& clock() const { return clock_; }
    [[nodiscard]] const core::Rhythm& cycle() const { return cycle_; }
    // The loaded windows, or null.
    SeasoningWindow* profileWindow() const { return profile_; }
    SeasonProgressWindow* progressWindow() const { return progress_; }

    // Replaces the file dialogs (not owned; null restores them).
    void setPathChooser(ProfilePathChooser* chooser);

private:
    SeasoningWindow& loadProfileWindow();
    SeasonProgressWindow& loadProgressWindow();
    // Whether the run this handler belongs to still goes on after an exchange.
    [[nodiscard]] bool stillRunning(unsigned run) const;
    [[nodiscard]] bool xrayOn() const;
    // Switches the output off (if the switch is on) and on; false when the
    // run ended meanwhile.
    bool beginCycling(unsigned run);
    void stepChange(unsigned run);
    // Unloads the profile window, then the progress window.
    void endRun();
    void endRunBecause(const core::Problem& problem);
    void onProfileClosing();
    void onProgressClosing();

    app::MainWindow& window_;
    supply::XrayEnableArea& xray_;
    QPointer<SeasoningWindow> profile_;
    QPointer<SeasonProgressWindow> progress_;
    core::SeasonClock clock_;
    core::Rhythm cycle_{0, core::kCycleOnTime, core::kCyclePeriod};
    bool running_ = false;
    // Counts the runs started, so a handler that waited knows whether its run
    // is the one still going.
    unsigned run_ = 0;
    std::unique_ptr<ProfilePathChooser> dialogs_;
    ProfilePathChooser* chooser_;
};

}  // namespace zov::season
