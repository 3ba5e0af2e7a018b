// Tube seasoning (menu_Season): the profile window, where the operator edits,
// saves, loads and starts a profile, and the progress window, which shows the
// running step and offers "Stop". The run itself is the core's SeasoningRun
// (core/seasoning_run.h): "Start Season" hands it the profile the boxes hold,
// the windows draw its progress, and "Stop" or a window closed ends it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "core/season_profile.h"
#include "core/seasoning_run.h"
#include "season/season_windows.h"

namespace zov::app {
class MainWindow;
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
    explicit Seasoning(app::MainWindow& window);
    ~Seasoning() override;

    // --- the handlers, by their protocol names ---
    // Click of menu_Season: shows the profile window modally, loading it
    // (default profile) when it is not loaded; during a run, the running one.
    void menu_Season_Click();
    // "Start Season": refuses a profile it cannot run (message, nothing
    // sent), else starts the boxes' profile from step 1.
    void Command1_Click();
    // One second of the run.
    void Timer_Season_Timer() { run_->Timer_Season_Timer(); }
    // "Stop": ends the run, nothing sent; the output stays as it is.
    void Stop_Click();

    // "Save Profile..." and "Load Profile...".
    void saveProfile();
    void loadProfile();

    // --- state, for the windows and tests ---
    [[nodiscard]] bool running() const { return run_->running(); }
    [[nodiscard]] const core::SeasonClock& clock() const { return run_->clock(); }
    [[nodiscard]] const core::Rhythm& cycle() const { return run_->cycle(); }
    core::SeasoningRun& run() { return *run_; }
    // The loaded windows, or null.
    SeasoningWindow* profileWindow() const { return profile_; }
    SeasonProgressWindow* progressWindow() const { return progress_; }

    // Replaces the file dialogs (not owned; null restores them).
    void setPathChooser(ProfilePathChooser* chooser);

private:
    SeasoningWindow& loadProfileWindow();
    SeasonProgressWindow& loadProgressWindow();
    // Stops the run, then unloads the profile window and the progress window.
    void endRun();
    void unloadWindows();
    // The run ended by itself: on its last step, or on a step it could not send.
    void onFinished(core::SeasoningRun::End end);
    void onProfileClosing();
    void onProgressClosing();

    app::MainWindow& window_;
    core::SeasoningRun* run_;
    QPointer<SeasoningWindow> profile_;
    QPointer<SeasonProgressWindow> progress_;
    std::unique_ptr<ProfilePathChooser> dialogs_;
    ProfilePathChooser* chooser_;
};

}  // namespace zov::season
