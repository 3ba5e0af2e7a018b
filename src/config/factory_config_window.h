// frm_config, "Configure": programs the unit's factory data (hardware
// revision, model, scaling, filament preheat, ramp, arc mode, filament
// turn-on) and reads it all back with "CONF;". Every function button waits
// for the factory access code.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <string>

#include "core/factory_data.h"

namespace zov::app {
class MainWindow;
}

namespace zov::config {

class FactoryConfigWindow : public QDialog {
    Q_OBJECT
public:
    explicit FactoryConfigWindow(app::MainWindow& window);

    // "UnLock": the right code enables the function buttons, any other entry
    // closes the window.
    void Command2_Click();
    // "Get Configuration".
    void btn_getConf_Click();
    // One of the seven programming buttons.
    void program(const core::ProgrammingButton& button);

    [[nodiscard]] QLineEdit* field(core::FactoryField which) const;
    // The full-scale voltage in kV this window knows ("0" until read or programmed).
    [[nodiscard]] const std::string& kvVoltage() const { return kvVoltage_; }

private:
    app::MainWindow& window_;
    std::array<QLineEdit*, std::size(core::kProgrammingButtons)> fields_{};
    std::vector<QPushButton*> functionButtons_;
    std::string kvVoltage_ = "0";
};

}  // namespace zov::config
