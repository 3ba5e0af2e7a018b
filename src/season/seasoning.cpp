#include "seasoning.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "app/main_window.h"
#include "app/widgets/file_dialog.h"
#include "supply/xray_enable_area.h"

namespace zov::season {
namespace {

const QString kProfileWindowName = QStringLiteral("frm_seasoning");
const QString kProgressWindowName = QStringLiteral("frm_run_season");
const QString kMessageTitle = QStringLiteral("Tube Seasoning");
// A step's texts as far as a session record keeps them.
constexpr int kStepTextShown = 16;

// Asks with a Qt file dialog parented to the profile window. The dialog goes
// with its parent if a run's end unloads that window while it is open.
class DialogPathChooser : public ProfilePathChooser {
public:
    std::optional<QString> pathToSave(QWidget* parent) override {
        return ask(parent, QStringLiteral("Save Profile"), QFileDialog::AcceptSave);
    }
    std::optional<QString> pathToLoad(QWidget* parent) override {
        return ask(parent, QStringLiteral("Load Profile"), QFileDialog::AcceptOpen);
    }

private:
    static std::optional<QString> ask(QWidget* parent, const QString& title,
                                      QFileDialog::AcceptMode mode) {
        return app::askForCsvFile(parent, title, QStringLiteral("Seasoning profiles"), mode);
    }
};

}  // namespace

Seasoning::Seasoning(app::MainWindow& window, supply::XrayEnableArea& xray)
    : QObject(&window),
      window_(window),
      xray_(xray),
      dialogs_(std::make_unique<DialogPathChooser>()),
      chooser_(dialogs_.get()) {
    setObjectName(QStringLiteral("seasoning"));
    QObject::connect(window.menuItem(QStringLiteral("menu_Season")), &QAction::triggered, this,
                     &Seasoning::menu_Season_Click);
}

Seasoning::~Seasoning() = default;

void Seasoning::setPathChooser(ProfilePathChooser* chooser) {
    chooser_ = chooser != nullptr ? chooser : dialogs_.get();
}

SeasoningWindow& Seasoning::loadProfileWindow() {
    QWidget* loaded = window_.secondaryWindow(kProfileWindowName, [this] {
        auto* profile = new SeasoningWindow(&window_);
        // The load: the 30/60 rhythm afresh, the default profile (the window's own).
        cycle_ = core::Rhythm{0, core::kCycleOnTime, core::kCyclePeriod};
        connect(profile->Command1(), &QPushButton::clicked, this, &Seasoning::Command1_Click);
        connect(profile->btn_SaveProfile(), &QPushButton::clicked, this, &Seasoning::saveProfile);
        connect(profile->btn_LoadProfile(), &QPushButton::clicked, this, &Seasoning::loadProfile);
        connect(profile, &SeasoningWindow::closing, this, &Seasoning::onProfileClosing);
        window_.exchange().connectTimer(profile->Timer_Season(), profile,
                                        [this] { Timer_Season_Timer(); });
        return profile;
    });
    profile_ = static_cast<SeasoningWindow*>(loaded);
    return *profile_;
}

SeasonProgressWindow& Seasoning::loadProgressWindow() {
    QWidget* loaded = window_.secondaryWindow(kProgressWindowName, [this] {
        auto* progress = new SeasonProgressWindow(&window_);
        connect(progress->Command1(), &QPushButton::clicked, this, &Seasoning::Stop_Click);
        connect(progress, &SeasonProgressWindow::closing, this, &Seasoning::onProgressClosing);
        return progress;
    });
    progress_ = static_cast<SeasonProgressWindow*>(loaded);
    return *progress_;
}

void Seasoning::menu_Season_Click() {
    SeasoningWindow& profile = loadProfileWindow();
    profile.show();
    profile.raise();
    profile.activateWindow();
}

bool Seasoning::stillRunning(unsigned run) const {
    return running_ && run_ == run && profile_ != nullptr;
}

bool Seasoning::xrayOn() const {
    return xray_.btn_HVONOFF()->value();
}

bool Seasoning::beginCycling(unsigned run) {
    // Always from off to on: an output that is on is switched off and on again.
    if (xrayOn()) {
        xray_.toggleXray();
        if (!stillRunning(run)) {
            return false;
        }
    }
    xray_.toggleXray();
    if (!stillRunning(run)) {
        return false;
    }
    cycle_.count = 0;
    return true;
}

void Seasoning::Command1_Click() {
    if (!profile_) {
        return;
    }
    const core::MainState& state = window_.state();
    const core::Profile profile = profile_->profile();
    if (const auto problem = core::checkRun(profile, state.KvScaleFactor, state.mAScaleFactor)) {
        window_.prompter().message(
            describe(*problem) + QStringLiteral("\nThe run was not started; nothing was sent."),
            kMessageTitle, app::Prompter::Icon::Warning);
        return;
    }
    // A restart during a run: no tick of the old run inside the new one's start.
    window_.exchange().stopTimer(profile_->Timer_Season());
    const unsigned run = ++run_;
    running_ = true;
    clock_ = core::SeasonClock{0, std::get<std::int16_t>(core::checkedMinutes(profile[0], 0)), 0};
    if (profile_->chk_cycle(0)->isChecked() && !beginCycling(run)) {
        return;
    }
    if (const auto problem = applySeasonStep(0)) {
        endRunBecause(*problem);
        return;
    }
    if (!stillRunning(run)) {
        return;
    }
    profile_->Timer_Season().start();
    SeasonProgressWindow& progress = loadProgressWindow();
    progress.showPosition(clock_.CurrentStep + 1, clock_.CurrentTime);
    profile_->hide();
    progress.show();
    progress.raise();
}

std::optional<core::Problem> Seasoning::applySeasonStep(int index) {
    if (!profile_) {
        return std::nullopt;
    }
    const core::MainState& state = window_.state();
    const auto counts =
        core::checkedCounts(profile_->row(index), index, state.KvScaleFactor, state.mAScaleFactor);
    if (const auto* problem = std::get_if<core::Problem>(&counts)) {
        return *problem;
    }
    const core::StepCounts& step = std::get<core::StepCounts>(counts);
    const core::StepText text = profile_->row(index);
    // Both replies are read and left unexamined: the run never looks at the
    // unit's answers, and a silent unit is not counted here.
    core::CommandExchange& exchange = window_.exchange();
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(core::vrefCommand(step.kv));
    (void)exchange.inputInputString();
    exchange.outputOutputString(core::irefCommand(step.ma));
    (void)exchange.inputInputString();
    emit window_.sessionEvents().supplyEvent(
        core::SupplyEvent::SeasoningStep,
        QStringLiteral("step %1: %2 kV, %3 mA, %4 min")
            .arg(index + 1)
            .arg(text.kv.left(kStepTextShown), text.ma.left(kStepTextShown),
                 text.minutes.left(kStepTextShown)));
    exchange.resumeBackgroundTimers();
    return std::nullopt;
}

void Seasoning::seasonCycleTick() {
    if (cycle_.tick()) {
        xray_.toggleXray();
    }
}

void Seasoning::Timer_Season_Timer() {
    if (!running_ || !profile_) {
        return;
    }
    const unsigned run = run_;
    if (progress_) {
        progress_->showPosition(clock_.CurrentStep + 1, clock_.CurrentTime);
    }
    if (profile_->chk_cycle(clock_.CurrentStep)->isChecked()) {
        seasonCycleTick();
        if (!stillRunning(run)) {
            return;
        }
    }
    if (clock_.countSecond()) {
        stepChange(run);
    }
}

void Seasoning::stepChange(unsigned run) {
    // No tick while the step change's exchanges wait.
    profile_->Timer_Season().stop();
    clock_.CurrentStep = static_cast<std::int16_t>(clock_.CurrentStep + 1);
    if (clock_.CurrentStep >= core::kSteps) {
        endRun();
        return;
    }
    const auto minutes =
        core::checkedMinutes(profile_->row(clock_.CurrentStep), clock_.CurrentStep);
    if (const auto* problem = std::get_if<core::Problem>(&minutes)) {
        endRunBecause(*problem);
        return;
    }
    if (std::get<std::int16_t>(minutes) == 0) {
        endRun();
        return;
    }
    clock_.CurrentTime = std::get<std::int16_t>(minutes);
    // Already 0 after a whole minute; after a first step of 0 minutes it is
    // 1, and the next step would be a second short.
    clock_.timeSec = 0;
    if (const auto problem = applySeasonStep(clock_.CurrentStep)) {
        endRunBecause(*problem);
        return;
    }
    if (!stillRunning(run)) {
        return;
    }
    if (profile_->chk_cycle(clock_.CurrentStep)->isChecked() && !beginCycling(run)) {
        return;
    }
    profile_->Timer_Season().start();
}

void Seasoning::endRun() {
    running_ = false;
    if (SeasoningWindow* profile = profile_) {
        profile_ = nullptr;
        window_.exchange().stopTimer(profile->Timer_Season());
        profile->close();
    }
    if (SeasonProgressWindow* progress = progress_) {
        progress_ = nullptr;
        progress->close();
    }
}

void Seasoning::endRunBecause(const core::Problem& problem) {
    const int step = problem.step;
    endRun();
    window_.prompter().message(
        QStringLiteral("The seasoning run ended before step %1. ").arg(step) + describe(problem) +
            QStringLiteral("\nNothing of step %1 was sent.").arg(step),
        kMessageTitle, app::Prompter::Icon::Warning);
}

void Seasoning::Stop_Click() {
    endRun();
}

void Seasoning::onProfileClosing() {
    // Unloading the profile window ends the run at once; the progress
    // window stays until "Stop".
    running_ = false;
    profile_ = nullptr;
}

void Seasoning::onProgressClosing() {
    progress_ = nullptr;
    // However the progress window closes, it ends the run like "Stop".
    endRun();
}

void Seasoning::saveProfile() {
    if (!profile_) {
        return;
    }
    const core::MainState& state = window_.state();
    const core::Profile profile = profile_->profile();
    if (const auto problem =
            core::checkForSaving(profile, state.KvScaleFactor, state.mAScaleFactor)) {
        window_.prompter().message(
            describe(*problem) + QStringLiteral("\nThe profile was not saved."), kMessageTitle,
            app::Prompter::Icon::Warning);
        return;
    }
    const std::optional<QString> path = chooser_->pathToSave(profile_);
    if (!path || path->isEmpty()) {
        return;
    }
    // Written beside the target and renamed over it only when complete.
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly)) {
        window_.prompter().message(QStringLiteral("Cannot save the profile to %1: %2")
                                       .arg(QDir::toNativeSeparators(*path), file.errorString()),
                                   kMessageTitle, app::Prompter::Icon::Warning);
        return;
    }
    const QByteArray csv = core::profileCsv(profile);
    if (file.write(csv) != csv.size() || !file.commit()) {
        window_.prompter().message(QStringLiteral("Cannot save the profile to %1: %2")
                                       .arg(QDir::toNativeSeparators(*path), file.errorString()),
                                   kMessageTitle, app::Prompter::Icon::Warning);
    }
}

void Seasoning::loadProfile() {
    if (!profile_) {
        return;
    }
    const std::optional<QString> path = chooser_->pathToLoad(profile_);
    if (!path || path->isEmpty()) {
        return;
    }
    const QString shown = QDir::toNativeSeparators(*path);
    const auto refuse = [this](const QString& text) {
        window_.prompter().message(text + QStringLiteral("\nNothing of the file was loaded."),
                                   kMessageTitle, app::Prompter::Icon::Warning);
    };
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(QStringLiteral("Cannot read %1: %2").arg(shown, file.errorString()));
        return;
    }
    const QByteArray bytes = file.read(core::kProfileFileByteLimit + 1);
    if (bytes.size() > core::kProfileFileByteLimit) {
        refuse(QStringLiteral("%1 is too long to be a profile.").arg(shown));
        return;
    }
    const core::MainState& state = window_.state();
    const auto read = core::profileFromCsv(bytes, state.KvScaleFactor, state.mAScaleFactor);
    if (const auto* problem = std::get_if<core::FileProblem>(&read)) {
        refuse(QStringLiteral("Line %1 of %2: %3").arg(problem->line).arg(shown, problem->reason));
        return;
    }
    // The window may have gone while the file was chosen.
    if (profile_) {
        profile_->setProfile(std::get<core::Profile>(read));
    }
}

}  // namespace zov::season
