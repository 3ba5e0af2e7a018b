#include "user_options_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "app/widgets/accessibility.h"
#include "config/typed_entry.h"
#include "config/window_parts.h"
#include "protocol/numbers.h"
#include "supply/panel_controls.h"

namespace zov::config {
namespace {

QLabel* textCaption(int index, const QString& text, QWidget* buddy = nullptr) {
    return supply::makeCaption(text, buddy, QStringLiteral("Text1(%1)").arg(index));
}

QString shownText(double value) {
    return QString::fromStdString(protocol::plainNumber(value));
}

}  // namespace

UserOptionsWindow::UserOptionsWindow(app::MainWindow& window) : QDialog(&window), window_(window) {
    setUpServiceWindow(*this, "frm_prog_conf", QStringLiteral("Form1"), {241, 499});
    auto* column = new QVBoxLayout(this);

    auto* overVoltage = new QGroupBox(QStringLiteral("OverVoltage"), this);
    auto* overVoltageRow = new QHBoxLayout(overVoltage);
    addCheckBox(core::Option::Rov, "check_rov", QStringLiteral("ROV"), overVoltageRow);
    overVoltageRow->addWidget(addEdit(core::Option::OverVoltage));
    overVoltageRow->addWidget(textCaption(0, QStringLiteral("%")));

    auto* ramp = new QGroupBox(QStringLiteral("Ramp Rate"), this);
    auto* rampRow = new QHBoxLayout(ramp);
    rampRow->addWidget(addEdit(core::Option::Ramp));
    rampRow->addWidget(textCaption(1, QStringLiteral("Sec")));

    auto* overCurrent = new QGroupBox(QStringLiteral("OverCurrent"), this);
    addCheckBox(core::Option::Aol, "check_aol", QStringLiteral("AOL"),
                new QHBoxLayout(overCurrent));

    auto* arc = new QGroupBox(QStringLiteral("ARC"), this);
    auto* arcColumn = new QVBoxLayout(arc);
    auto* arcEdits = new QGridLayout;
    arcColumn->addLayout(arcEdits);
    int captionIndex = 2;
    for (const core::Option option :
         {core::Option::ArcCount, core::Option::ArcPeriod, core::Option::QuenchTime}) {
        app::NumericEdit* edit = addEdit(option);
        const int row = captionIndex - 2;
        arcEdits->addWidget(
            textCaption(captionIndex, QLatin1String(core::numericOptionFor(option)->description),
                        edit),
            row, 0);
        arcEdits->addWidget(edit, row, 1);
        ++captionIndex;
    }
    addCheckBox(core::Option::ReRamp, "Check1", QStringLiteral("Re-Ramp"), arcColumn);
    addCheckBox(core::Option::NoArcDetect, "Check2", QStringLiteral("No Arc Detect mode"),
                arcColumn);

    QPushButton* save = makeButton("Command1", QStringLiteral("Save Parameters"), this);
    connect(save, &QPushButton::clicked, this, &UserOptionsWindow::Command1_Click);
    for (QWidget* part :
         std::initializer_list<QWidget*>{overVoltage, ramp, overCurrent, arc, save}) {
        column->addWidget(part);
    }
    applyEnableRules();
    app::applyProtocolNames(this);
}

QCheckBox* UserOptionsWindow::addCheckBox(core::Option option, const char* name,
                                          const QString& text, QBoxLayout* layout) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QLatin1String(name));
    layout->addWidget(box);
    checks_[indexOf(option)] = box;
    connect(box, &QCheckBox::toggled, this, [this, option](bool checked) {
        texts_[indexOf(option)] = checked ? "1" : "0";
        applyEnableRules();
    });
    return box;
}

app::NumericEdit* UserOptionsWindow::addEdit(core::Option option) {
    const core::NumericOption& numeric = *core::numericOptionFor(option);
    auto* edit = new app::NumericEdit(this);
    edit->setObjectName(QLatin1String(numeric.editName));
    edit->setAccessibleName(QLatin1String(numeric.description));
    edit->setLowerBound(numeric.limits.minimum);
    edit->setUpperBound(numeric.limits.maximum);
    edit->setIncrement(numeric.limits.increment);
    edits_[indexOf(option)] = edit;
    connect(edit, &QDoubleSpinBox::valueChanged, this, [this, &numeric, edit](double value) {
        // A value set here replaces whatever out-of-range value the unit had.
        edit->setSpecialValueText(QString());
        edit->setToolTip(QString());
        texts_[indexOf(numeric.option)] = core::textFor(numeric, value);
    });
    return edit;
}

void UserOptionsWindow::applyEnableRules() {
    edit(core::Option::OverVoltage)->setEnabled(checkBox(core::Option::Rov)->isChecked());
    const bool arcDetection = !checkBox(core::Option::NoArcDetect)->isChecked();
    edit(core::Option::ArcCount)->setEnabled(arcDetection);
    edit(core::Option::ArcPeriod)->setEnabled(arcDetection);
}

void UserOptionsWindow::load() {
    const QPointer<UserOptionsWindow> open(this);
    const auto read = window_.supply().readUserOptions();
    if (!open) {
        return;
    }
    // The options that could be taken replace the start texts, in order.
    std::copy(read.value.begin(), read.value.end(), texts_.begin());
    optionsRead_ = read.done();
    if (optionsRead_) {
        showOptions();
    }
}

void UserOptionsWindow::showOptions() {
    for (std::size_t i = 0; i < core::kOptionCount; ++i) {
        const auto option = static_cast<core::Option>(i);
        if (QCheckBox* box = checks_[i]) {
            const auto checked = core::checkedFrom(texts_[i]);
            if (!checked) {
                return;
            }
            box->setChecked(*checked);
            continue;
        }
        const core::NumericOption& numeric = *core::numericOptionFor(option);
        const auto value = core::shownValue(numeric, texts_[i]);
        if (!value) {
            return;
        }
        showUnitValue(numeric, *value);
    }
}

// A value the edit cannot hold is shown as it came and its text kept, so a
// save sends the unit's own value back rather than the edit's nearest one.
void UserOptionsWindow::showUnitValue(const core::NumericOption& option, double value) {
    app::NumericEdit* target = edit(option.option);
    if (core::editCanHold(option.limits, value)) {
        target->setValue(value);
        return;
    }
    const QSignalBlocker keepText(target);
    target->setSpecialValueText(QStringLiteral("%1 (out of range)").arg(shownText(value)));
    target->setToolTip(
        QStringLiteral("The unit holds %1, which this edit cannot set (%2 to %3 in steps of %4). "
                       "Saving sends it back unchanged unless a new value is set here.")
            .arg(shownText(value), shownText(option.limits.minimum),
                 shownText(option.limits.maximum), shownText(option.limits.increment)));
    target->setValue(target->minimum());
}

void UserOptionsWindow::Command1_Click() {
    app::Prompter& prompter = window_.prompter();
    // Partly read options would go back mixed with start values the window
    // does not show (a short reply), or as zeros in place of the unit's.
    if (!optionsRead_) {
        prompter.message(
            QStringLiteral("The unit's options could not be read (no reply to \"27,\" or fewer "
                           "than nine options), so the window does not show them.\r\nNothing "
                           "was sent; the unit keeps its options."),
            QStringLiteral("User Configs"), app::Prompter::Icon::Warning);
        return;
    }
    for (const std::string& text : texts_) {
        if (!checkSendable(prompter, app::fromReply(text))) {
            return;
        }
    }
    const QPointer<UserOptionsWindow> open(this);
    {
        // The unit's warning shows while the timers are still paused.
        core::Supply& supply = window_.supply();
        const core::Supply::ServicePause pause(supply);
        const core::SaveVerdict verdict = supply.saveUserOptions(texts_).value;
        if (verdict != core::SaveVerdict::None) {
            prompter.message(QLatin1String(core::warningFor(verdict)),
                             QStringLiteral("User Configs"), app::Prompter::Icon::Warning);
        }
    }
    if (open) {
        close();
    }
}

}  // namespace zov::config
