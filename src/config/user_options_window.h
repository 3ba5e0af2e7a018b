// frm_prog_conf, "Form1": the unit's user options (over-voltage, ramp time,
// over-current, arc handling). Loading reads them with "27,"; "Save
// Parameters" sends all nine with "09,", shows the unit's warning if it
// gives one, and closes the window.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <array>

#include "app/widgets/numeric_edit.h"
#include "core/user_options.h"

class QBoxLayout;

namespace zov::app {
class MainWindow;
}

namespace zov::config {

class UserOptionsWindow : public QDialog {
    Q_OBJECT
public:
    explicit UserOptionsWindow(app::MainWindow& window);

    // Reads the unit's options into the texts and, when all nine came, into
    // the controls. Runs before the window is shown.
    void load();
    // "Save Parameters".
    void Command1_Click();

    [[nodiscard]] const core::OptionTexts& texts() const { return texts_; }
    [[nodiscard]] QCheckBox* checkBox(core::Option option) const {
        return checks_[indexOf(option)];
    }
    [[nodiscard]] app::NumericEdit* edit(core::Option option) const {
        return edits_[indexOf(option)];
    }

private:
    QCheckBox* addCheckBox(core::Option option, const char* name, const QString& caption,
                           QBoxLayout* layout);
    app::NumericEdit* addEdit(core::Option option);
    void applyEnableRules();
    // Sets the controls from the texts in order, up to a text its control
    // cannot take.
    void showOptions();
    void showUnitValue(const core::NumericOption& option, double value);

    app::MainWindow& window_;
    core::OptionTexts texts_ = core::startTexts();
    // All nine options came from the unit; until then the window shows start
    // values that are not the unit's, and Save sends nothing.
    bool optionsRead_ = false;
    // By option; a check box or an edit for each.
    std::array<QCheckBox*, core::kOptionCount> checks_{};
    std::array<app::NumericEdit*, core::kOptionCount> edits_{};
};

}  // namespace zov::config
