#include "seasoning.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "app/main_window.h"
#include "app/widgets/file_dialog.h"

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

Seasoning::Seasoning(app::MainWindow& window)
    : QObject(&window),
      window_(window),
      run_(new core::SeasoningRun(window.supply(), this)),
      dialogs_(std::make_unique<DialogPathChooser>()),
      chooser_(dialogs_.get()) {
    setObjectName(QStringLiteral("seasoning"));
    QObject::connect(window.menuItem(QStringLiteral("menu_Season")), &QAction::triggered, this,
                     &Seasoning::menu_Season_Click);
    connect(run_, &core::SeasoningRun::progress, this,
            [this](int step, const QString&, const QString&, int minutesLeft) {
                if (progress_) {
                    progress_->showPosition(step, minutesLeft);
                }
            });
    connect(run_, &core::SeasoningRun::stepSent, this,
            [this](int step, const core::StepText& text) {
                emit window_.sessionEvents().supplyEvent(
                    core::SupplyEvent::SeasoningStep,
                    QStringLiteral("step %1: %2 kV, %3 mA, %4 min")
                        .arg(step)
                        .arg(text.kv.left(kStepTextShown), text.ma.left(kStepTextShown),
                             text.minutes.left(kStepTextShown)));
            });
    connect(run_, &core::SeasoningRun::finished, this, &Seasoning::onFinished);
}

Seasoning::~Seasoning() = default;

void Seasoning::setPathChooser(ProfilePathChooser* chooser) {
    chooser_ = chooser != nullptr ? chooser : dialogs_.get();
}

SeasoningWindow& Seasoning::loadProfileWindow() {
    QWidget* loaded = window_.secondaryWindow(kProfileWindowName, [this] {
        // The load: the default profile (the window's own).
        auto* profile = new SeasoningWindow(&window_);
        connect(profile->Command1(), &QPushButton::clicked, this, &Seasoning::Command1_Click);
        connect(profile->btn_SaveProfile(), &QPushButton::clicked, this, &Seasoning::saveProfile);
        connect(profile->btn_LoadProfile(), &QPushButton::clicked, this, &Seasoning::loadProfile);
        connect(profile, &SeasoningWindow::closing, this, &Seasoning::onProfileClosing);
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

void Seasoning::Command1_Click() {
    if (!profile_) {
        return;
    }
    if (const auto problem = run_->start(profile_->profile())) {
        window_.prompter().message(
            describe(*problem) + QStringLiteral("\nThe run was not started; nothing was sent."),
            kMessageTitle, app::Prompter::Icon::Warning);
        return;
    }
    // Ended or stopped (a window closed) while step 1 was sent.
    if (!run_->running() || !profile_) {
        return;
    }
    SeasonProgressWindow& progress = loadProgressWindow();
    progress.showPosition(run_->clock().CurrentStep + 1, run_->clock().CurrentTime);
    profile_->hide();
    progress.show();
    progress.raise();
}

void Seasoning::onFinished(core::SeasoningRun::End end) {
    // A stop comes from here (Stop, a window closed), which unloads what it must.
    if (end == core::SeasoningRun::End::Stopped) {
        return;
    }
    unloadWindows();
    if (end == core::SeasoningRun::End::Problem && run_->problem()) {
        const core::Problem& problem = *run_->problem();
        window_.prompter().message(
            QStringLiteral("The seasoning run ended before step %1. ").arg(problem.step) +
                describe(problem) +
                QStringLiteral("\nNothing of step %1 was sent.").arg(problem.step),
            kMessageTitle, app::Prompter::Icon::Warning);
    }
}

void Seasoning::endRun() {
    run_->stop();
    unloadWindows();
}

void Seasoning::unloadWindows() {
    if (SeasoningWindow* profile = profile_) {
        profile_ = nullptr;
        profile->close();
    }
    if (SeasonProgressWindow* progress = progress_) {
        progress_ = nullptr;
        progress->close();
    }
}

void Seasoning::Stop_Click() {
    endRun();
}

void Seasoning::onProfileClosing() {
    // Unloading the profile window ends the run at once; the progress
    // window stays until "Stop".
    profile_ = nullptr;
    run_->stop();
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
