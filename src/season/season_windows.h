// The two windows of a seasoning run: frm_seasoning, where the operator edits
// and starts the profile, and frm_run_season, which shows the running step
// and offers "Stop". They hold controls only; Seasoning (seasoning.h) runs them.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "core/season_profile.h"

namespace zov::season {

// frm_seasoning, "Seansoning Profile" (the caption as the unit's software has it).
class SeasoningWindow : public QWidget {
    Q_OBJECT
public:
    explicit SeasoningWindow(QWidget* parent = nullptr);

    // The texts in the boxes now, and the marks.
    [[nodiscard]] core::Profile profile() const;
    [[nodiscard]] core::StepText row(int index) const;
    void setProfile(const core::Profile& profile);

    // Arrays keep their index in the objectName: "combo_kv(0)", "chk_cycle(14)".
    QComboBox* combo_kv(int i) const { return kv_.at(static_cast<std::size_t>(i)); }
    QComboBox* combo_ma(int i) const { return ma_.at(static_cast<std::size_t>(i)); }
    QComboBox* combo_time(int i) const { return time_.at(static_cast<std::size_t>(i)); }
    QCheckBox* chk_cycle(int i) const { return cycle_.at(static_cast<std::size_t>(i)); }
    QLineEdit* Text1(int i) const { return captions_.at(static_cast<std::size_t>(i)); }
    QPushButton* Command1() const { return start_; }
    QPushButton* btn_SaveProfile() const { return save_; }
    QPushButton* btn_LoadProfile() const { return load_; }

signals:
    // The window is being unloaded (its frame's close button, or by the run).
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::array<QComboBox*, core::kSteps> kv_{};
    std::array<QComboBox*, core::kSteps> ma_{};
    std::array<QComboBox*, core::kSteps> time_{};
    std::array<QCheckBox*, core::kSteps> cycle_{};
    std::array<QLineEdit*, core::kSteps + 5> captions_{};
    QPushButton* start_;
    QPushButton* save_;
    QPushButton* load_;
};

// frm_run_season, "Season": the running step and its minutes left.
class SeasonProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit SeasonProgressWindow(QWidget* parent = nullptr);

    void showPosition(int stepNumber, int minutesLeft);

    QLineEdit* txt_name() const { return name_; }
    QLineEdit* txt_step1() const { return step_; }
    QLineEdit* txt_time() const { return time_; }
    QPushButton* Command1() const { return stop_; }

signals:
    // Closed by "Stop", by its frame's close button or by the end of the run.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* name_;
    QLineEdit* step_;
    QLineEdit* time_;
    QPushButton* stop_;
};

}  // namespace zov::season
