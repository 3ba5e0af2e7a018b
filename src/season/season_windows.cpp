#include "season_windows.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/widgets/accessibility.h"

namespace zov::season {
namespace {

constexpr int kHeadsFirst = core::kSteps;  // Text1(20) .. Text1(24) head the columns

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// A flat, borderless, centred box on the button face, used as a caption.
QLineEdit* captionBox(const QString& name, const QString& text, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFrame(false);
    box->setAlignment(Qt::AlignCenter);
    box->setFocusPolicy(Qt::NoFocus);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    box->setPalette(palette);
    return box;
}

QComboBox* editableCombo(const QString& name, const QStringList& entries,
                         const QString& accessibleName, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    // A typed text is the row's value; it does not join the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(entries);
    combo->setAccessibleName(accessibleName);
    return combo;
}

void select(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    if (index >= 0) {
        combo->setCurrentIndex(index);
    } else {
        combo->setEditText(text);
    }
}

}  // namespace

SeasoningWindow::SeasoningWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frm_seasoning"));
    setWindowTitle(QStringLiteral("Seansoning Profile"));
    setWindowModality(Qt::WindowModal);

    auto* grid = new QGridLayout;
    const char* const heads[] = {"Step", "kV", "mA", "Time", "Cycle(30 sec)"};
    for (int c = 0; c < 5; ++c) {
        const int index = kHeadsFirst + c;
        captions_[static_cast<std::size_t>(index)] =
            captionBox(arrayName("Text1", index), QLatin1String(heads[c]), this);
        grid->addWidget(captions_[static_cast<std::size_t>(index)], 0, c);
    }
    const QStringList kvList = core::kvEntries();
    const QStringList maList = core::maEntries();
    const QStringList timeList = core::minuteEntries();
    for (int i = 0; i < core::kSteps; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const QString step = QStringLiteral("Step %1 ").arg(i + 1);
        captions_[at] = captionBox(arrayName("Text1", i), QString::number(i + 1), this);
        kv_[at] =
            editableCombo(arrayName("combo_kv", i), kvList, step + QStringLiteral("kV"), this);
        ma_[at] =
            editableCombo(arrayName("combo_ma", i), maList, step + QStringLiteral("mA"), this);
        time_[at] = editableCombo(arrayName("combo_time", i), timeList,
                                  step + QStringLiteral("minutes"), this);
        cycle_[at] = new QCheckBox(this);
        cycle_[at]->setObjectName(arrayName("chk_cycle", i));
        cycle_[at]->setAccessibleName(step + QStringLiteral("cycling 30 s on, 30 s off"));
        const int line = i + 1;
        grid->addWidget(captions_[at], line, 0);
        grid->addWidget(kv_[at], line, 1);
        grid->addWidget(ma_[at], line, 2);
        grid->addWidget(time_[at], line, 3);
        grid->addWidget(cycle_[at], line, 4, Qt::AlignCenter);
    }

    start_ = new QPushButton(QStringLiteral("Start Season"), this);
    start_->setObjectName(QStringLiteral("Command1"));
    save_ = new QPushButton(QStringLiteral("Save Profile..."), this);
    save_->setObjectName(QStringLiteral("btn_SaveProfile"));
    load_ = new QPushButton(QStringLiteral("Load Profile..."), this);
    load_->setObjectName(QStringLiteral("btn_LoadProfile"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(load_);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);

    setProfile(core::defaultProfile());
    app::applyProtocolNames(this);
}

core::StepText SeasoningWindow::row(int index) const {
    return {combo_kv(index)->currentText(), combo_ma(index)->currentText(),
            combo_time(index)->currentText(), chk_cycle(index)->isChecked()};
}

core::Profile SeasoningWindow::profile() const {
    core::Profile profile;
    for (int i = 0; i < core::kSteps; ++i) {
        profile[static_cast<std::size_t>(i)] = row(i);
    }
    return profile;
}

void SeasoningWindow::setProfile(const core::Profile& profile) {
    for (int i = 0; i < core::kSteps; ++i) {
        const core::StepText& row = profile[static_cast<std::size_t>(i)];
        select(combo_kv(i), row.kv);
        select(combo_ma(i), row.ma);
        select(combo_time(i), row.minutes);
        chk_cycle(i)->setChecked(row.cycle);
    }
}

// An unloaded window waits for its deletion under another name, so that a
// load in the meantime makes a new one.
void SeasoningWindow::closeEvent(QCloseEvent* event) {
    setObjectName(QStringLiteral("frm_seasoning (unloaded)"));
    emit closing();
    event->accept();
}

SeasonProgressWindow::SeasonProgressWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frm_run_season"));
    setWindowTitle(QStringLiteral("Season"));

    name_ = captionBox(QStringLiteral("txt_name"), QStringLiteral("Season Profile Running"), this);
    QLineEdit* stepCaption =
        captionBox(QStringLiteral("txt_step(0)"), QStringLiteral("Step"), this);
    QLineEdit* timeCaption =
        captionBox(QStringLiteral("txt_timRemain(0)"), QStringLiteral("Time Remaing(Min)"), this);
    step_ = new QLineEdit(this);
    step_->setObjectName(QStringLiteral("txt_step1"));
    step_->setAlignment(Qt::AlignCenter);
    step_->setAccessibleName(QStringLiteral("Step"));
    time_ = new QLineEdit(this);
    time_->setObjectName(QStringLiteral("txt_time"));
    time_->setAlignment(Qt::AlignCenter);
    time_->setAccessibleName(QStringLiteral("Minutes remaining"));
    stop_ = new QPushButton(QStringLiteral("Stop"), this);
    stop_->setObjectName(QStringLiteral("Command1"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(name_, 0, 0, 1, 2);
    grid->addWidget(stepCaption, 1, 0);
    grid->addWidget(timeCaption, 1, 1);
    grid->addWidget(step_, 2, 0);
    grid->addWidget(time_, 2, 1);
    grid->addWidget(stop_, 3, 0, 1, 2);
    app::applyProtocolNames(this);
}

void SeasonProgressWindow::showPosition(int stepNumber, int minutesLeft) {
    step_->setText(QString::number(stepNumber));
    time_->setText(QString::number(minutesLeft));
}

void SeasonProgressWindow::closeEvent(QCloseEvent* event) {
    setObjectName(QStringLiteral("frm_run_season (unloaded)"));
    emit closing();
    event->accept();
}

}  // namespace zov::season
