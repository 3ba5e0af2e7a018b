#include "factory_config_window.h"

#include <QGridLayout>
#include <QPointer>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "app/widgets/accessibility.h"
#include "config/access_code.h"
#include "config/typed_entry.h"
#include "config/window_parts.h"

namespace zov::config {
namespace {

// Rows of the left column; the middle and right columns hold one row per
// programming button.
constexpr int kUnlockRow = 0;
constexpr int kReadRow = 1;
constexpr int kOkRow = static_cast<int>(std::size(core::kProgrammingButtons)) - 1;

std::size_t indexOf(core::FactoryField which) {
    return static_cast<std::size_t>(which);
}

}  // namespace

FactoryConfigWindow::FactoryConfigWindow(app::MainWindow& window)
    : QDialog(&window), window_(window) {
    setUpServiceWindow(*this, "frm_config", QStringLiteral("Configure"), {430, 437});
    auto* grid = new QGridLayout(this);

    QPushButton* unlock = makeButton("Command2", QStringLiteral("UnLock"), this);
    QPushButton* read = makeButton("btn_getConf", QStringLiteral("Get Configuration"), this);
    QPushButton* ok = makeButton("Command1", QStringLiteral("OK"), this);
    grid->addWidget(unlock, kUnlockRow, 0);
    grid->addWidget(read, kReadRow, 0);
    grid->addWidget(ok, kOkRow, 0);
    functionButtons_.push_back(read);
    connect(unlock, &QPushButton::clicked, this, &FactoryConfigWindow::Command2_Click);
    connect(read, &QPushButton::clicked, this, &FactoryConfigWindow::btn_getConf_Click);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    int row = 0;
    for (const core::ProgrammingButton& entry : core::kProgrammingButtons) {
        QPushButton* button = makeButton(entry.name, QLatin1String(entry.caption), this);
        QLineEdit* field = app::makeReplyField(QLatin1String(entry.fieldName), QString(),
                                               QLatin1String(entry.fieldDescription), this);
        grid->addWidget(button, row, 1);
        grid->addWidget(field, row, 2);
        ++row;
        fields_[indexOf(entry.field)] = field;
        functionButtons_.push_back(button);
        connect(button, &QPushButton::clicked, this, [this, &entry] { program(entry); });
    }
    for (QPushButton* button : functionButtons_) {
        button->setEnabled(false);
    }
    app::applyProtocolNames(this);
}

QLineEdit* FactoryConfigWindow::field(core::FactoryField which) const {
    return fields_[indexOf(which)];
}

void FactoryConfigWindow::Command2_Click() {
    if (!unlockUnit(window_, kFactoryCode)) {
        close();
        return;
    }
    for (QPushButton* button : functionButtons_) {
        button->setEnabled(true);
    }
}

void FactoryConfigWindow::btn_getConf_Click() {
    const QPointer<FactoryConfigWindow> open(this);
    const auto read = window_.supply().readConfiguration();
    if (!open) {
        return;
    }
    // Whatever fields could be taken are shown, whole or not.
    for (const auto& [which, text] : read.value.shown) {
        field(which)->setText(app::fromReply(text));
    }
    kvVoltage_ = read.value.kvVoltage.value_or(kvVoltage_);
}

// The timers stay paused across the prompt, the command and any message.
// The scaling's current goes out even when the window was closed during the
// voltage's wait, so the unit is never left with half of the scaling asked for.
void FactoryConfigWindow::program(const core::ProgrammingButton& button) {
    core::Supply& supply = window_.supply();
    app::Prompter& prompter = window_.prompter();
    const core::Supply::ServicePause pause(supply);
    std::string entry;
    if (button.conversion == core::Conversion::AsTyped) {
        // Sent as typed, so refused whole when it could carry another command.
        const auto typed = askSendableEntry(prompter, QLatin1String(button.prompt));
        if (!typed) {
            return;
        }
        entry = *typed;
    } else {
        entry = prompter.input(QLatin1String(button.prompt))
                    .value_or(QString())
                    .toLatin1()
                    .toStdString();
    }
    field(button.field)->setText(app::fromReply(entry));
    const QPointer<FactoryConfigWindow> open(this);
    const auto programmed = supply.programFactoryField(button, entry, kvVoltage_);
    if (!open) {
        return;
    }
    kvVoltage_ = programmed.value.kvVoltage.value_or(kvVoltage_);
    if (programmed.value.scalingUnknown) {
        prompter.message(QStringLiteral("Please Set Unit Scaling!"));
    } else if (programmed.value.outOfRange && button.conversion == core::Conversion::Preheat) {
        reportOutsideConverter(prompter, QStringLiteral("filament preheat"), app::fromReply(entry),
                               core::kPreheatFullScaleAmps, QStringLiteral("A"));
    } else if (programmed.value.outOfRange) {
        reportOutsideConverter(prompter, QStringLiteral("filament turn-on voltage"),
                               app::fromReply(entry), programmed.value.fullScaleKv,
                               QStringLiteral("kV"));
    }
}

}  // namespace zov::config
