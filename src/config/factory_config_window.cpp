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
    core::CommandExchange& exchange = window_.exchange();
    const QPointer<FactoryConfigWindow> open(this);
    exchange.suspendBackgroundTimers();
    exchange.outputOutputString(core::kReadConfiguration);
    const QByteArray reply = exchange.inputInputString();
    if (open) {
        const core::Configuration configuration = core::configurationFrom(core::textOf(reply));
        for (const auto& [which, text] : configuration.shown) {
            field(which)->setText(app::fromReply(text));
        }
        kvVoltage_ = configuration.kvVoltage.value_or(kvVoltage_);
    }
    exchange.resumeBackgroundTimers();
}

void FactoryConfigWindow::program(const core::ProgrammingButton& button) {
    core::CommandExchange& exchange = window_.exchange();
    app::Prompter& prompter = window_.prompter();
    exchange.suspendBackgroundTimers();
    if (button.conversion == core::Conversion::AsTyped) {
        // Sent as typed, so refused whole when it could carry another command.
        if (const auto entry = askSendableEntry(prompter, QLatin1String(button.prompt))) {
            showEntry(button.field, *entry);
            send(core::textCommand(button.mnemonic, *entry));
        }
    } else {
        const std::string entry = prompter.input(QLatin1String(button.prompt))
                                      .value_or(QString())
                                      .toLatin1()
                                      .toStdString();
        showEntry(button.field, entry);
        if (button.conversion == core::Conversion::Scaling) {
            programScaling(entry);
        } else if (button.conversion == core::Conversion::Preheat) {
            programPreheat(entry);
        } else {
            programTurnOn(entry);
        }
    }
    exchange.resumeBackgroundTimers();
}

void FactoryConfigWindow::send(const std::string& command) {
    window_.exchange().outputOutputString(QByteArray::fromStdString(command));
}

void FactoryConfigWindow::showEntry(core::FactoryField which, const std::string& entry) {
    field(which)->setText(app::fromReply(entry));
}

// The voltage command's reply is awaited before the current follows; the
// current goes out even when the window was closed meanwhile, so the unit is
// never left with half of the scaling asked for.
void FactoryConfigWindow::programScaling(const std::string& entry) {
    const core::ScalingEntry scaling = core::scalingFrom(entry);
    kvVoltage_ = scaling.kvVoltage.value_or(kvVoltage_);
    if (!scaling.commands) {
        return;
    }
    core::CommandExchange& exchange = window_.exchange();
    exchange.outputOutputString(QByteArray::fromStdString(scaling.commands->first));
    (void)exchange.inputInputString();
    exchange.outputOutputString(QByteArray::fromStdString(scaling.commands->second));
}

void FactoryConfigWindow::programPreheat(const std::string& entry) {
    const core::Preheat preheat = core::preheatCommand(entry);
    if (preheat.outOfRange) {
        reportOutsideConverter(window_.prompter(), QStringLiteral("filament preheat"),
                               app::fromReply(entry), core::kPreheatFullScaleAmps,
                               QStringLiteral("A"));
    } else if (preheat.command) {
        send(*preheat.command);
    }
}

void FactoryConfigWindow::programTurnOn(const std::string& entry) {
    const core::TurnOn turnOn =
        core::turnOnCommand(entry, window_.state().KvScaleFactor, kvVoltage_);
    if (turnOn.scalingUnknown) {
        window_.prompter().message(QStringLiteral("Please Set Unit Scaling!"));
    } else if (turnOn.outOfRange) {
        reportOutsideConverter(window_.prompter(), QStringLiteral("filament turn-on voltage"),
                               app::fromReply(entry), turnOn.fullScaleKv, QStringLiteral("kV"));
    } else if (turnOn.command) {
        send(*turnOn.command);
    }
}

}  // namespace zov::config
