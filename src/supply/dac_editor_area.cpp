#include "dac_editor_area.h"

#include <QGridLayout>
#include <QSignalBlocker>

#include "app/extras_window.h"
#include "app/main_window.h"
#include "app/reply_field.h"
#include "protocol/numbers.h"
#include "supply/dac_settings_area.h"
#include "supply/panel_controls.h"
#include "supply/raw_data_window.h"

namespace zov::supply {
namespace {

// The first selected of these is the channel, in this order.
constexpr std::array<core::Channel, 4> kSelectionOrder{core::Channel::A, core::Channel::B,
                                                       core::Channel::D, core::Channel::C};

QPushButton* makeButton(const char* name, const QString& caption, const QString& toolTip,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    return button;
}

}  // namespace

DacEditorArea::DacEditorArea(app::MainWindow& window, DacSettingsArea& displays)
    : QGroupBox(QStringLiteral("SET DAC CHANNELS")), window_(window), displays_(displays) {
    setObjectName(QStringLiteral("fra_SETDAC"));
    auto* channels = new QGroupBox(QStringLiteral("Program Setpoints"), this);
    channels->setObjectName(QStringLiteral("fra_PROGSETPOINTS"));
    auto* channelColumn = new QVBoxLayout(channels);
    for (const core::SetpointChannel& row : core::kSetpointChannels) {
        auto* option = new QRadioButton(QLatin1String(row.editorCaption), channels);
        option->setObjectName(QLatin1String(row.editorOption));
        channelColumn->addWidget(option);
        options_[index(row.channel)] = option;
        const core::Channel channel = row.channel;
        connect(option, &QRadioButton::clicked, this, [this, channel] { selectChannel(channel); });
        if (row.startsHidden) {
            window_.markStartsHidden(option);
        }
    }

    modifying_ = makeCaption(QLatin1String(core::editorChannel(core::Channel::A).modifyingCaption),
                             nullptr, QStringLiteral("lbl_CHMOD"), this);
    scaled_ = new app::NumericEdit(this);
    scaled_->setObjectName(QStringLiteral("ctrl_SCALVAL"));
    count_ = new app::NumericEdit(this);
    count_->setObjectName(QStringLiteral("ctrl_BITVAL"));
    count_->setLowerBound(0);
    count_->setUpperBound(core::kMaxCount);
    count_->setIncrement(1);
    QLabel* scaledCaption = makeCaption(QStringLiteral("Scaled Value"), scaled_, {}, this);
    QLabel* countCaption = makeCaption(QStringLiteral("Bit Value"), count_, {}, this);
    scaleNotice_ = makeCaption(QStringLiteral("The unit's scale is not read yet: value not taken"),
                               nullptr, QStringLiteral("lbl_scaleNotRead"), this);
    scaleNotice_->setWordWrap(true);
    scaleNotice_->hide();
    connect(count_, &QDoubleSpinBox::valueChanged, this, &DacEditorArea::countChanged);
    connect(scaled_, &QDoubleSpinBox::valueChanged, this, &DacEditorArea::scaledChanged);

    accept_ = makeButton("btn_ACCEPT", QStringLiteral("PROGRAM"),
                         QStringLiteral("Accept Current Value"), this);
    cancel_ = makeButton("btn_CANCEL", QStringLiteral("CANCEL"),
                         QStringLiteral("Revert to Original Value"), this);
    transmit_ = makeButton("btn_UPDATE", QStringLiteral("TRY OUT"),
                           QStringLiteral("Transmit New Value to DSP"), this);
    connect(accept_, &QPushButton::clicked, this, &DacEditorArea::btn_ACCEPT_Click);
    connect(cancel_, &QPushButton::clicked, this, &DacEditorArea::btn_CANCEL_Click);
    connect(transmit_, &QPushButton::clicked, this, &DacEditorArea::btn_UPDATE_Click);
    for (QWidget* hidden : std::initializer_list<QWidget*>{count_, countCaption, transmit_}) {
        window_.markStartsHidden(hidden);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(channels, 0, 0, 1, 2);
    grid->addWidget(modifying_, 1, 0, 1, 2);
    grid->addWidget(scaledCaption, 2, 0);
    grid->addWidget(scaled_, 2, 1);
    grid->addWidget(countCaption, 3, 0);
    grid->addWidget(count_, 3, 1);
    grid->addWidget(scaleNotice_, 4, 0, 1, 2);
    grid->addWidget(accept_, 5, 0);
    grid->addWidget(cancel_, 5, 1);
    grid->addWidget(transmit_, 6, 0, 1, 2);

    connect(&window_, &app::MainWindow::scaleFactorsChanged, this, &DacEditorArea::showScale);

    options_[index(core::Channel::A)]->setChecked(true);
    selectChannel(core::Channel::A);
}

std::optional<core::Channel> DacEditorArea::selectedChannel() const {
    for (const core::Channel channel : kSelectionOrder) {
        if (options_[index(channel)]->isChecked()) {
            return channel;
        }
    }
    return std::nullopt;
}

double DacEditorArea::scale(const core::EditorChannel& row) const {
    return core::scaleOf(core::setpointChannel(row.channel), window_.state());
}

void DacEditorArea::selectChannel(core::Channel channel) {
    const core::EditorChannel& row = core::editorChannel(channel);
    scaleNotice_->hide();
    modifying_->setText(QLatin1String(row.modifyingCaption));
    {
        // The old value may not fit the new bounds; the count below decides it.
        const QSignalBlocker quiet(scaled_);
        scaled_->setLowerBound(row.lowerBound);
        scaled_->setUpperBound(row.upperBound);
        scaled_->setIncrement(scale(row));
    }
    count_->setValue(window_.state().*row.accepted);
    // The links only run on a change; the accepted count may already stand.
    countChanged(count_->value());
}

// A scale read from the unit changes what the count stands for and the
// step of one count; the count itself stays.
void DacEditorArea::showScale() {
    const auto channel = selectedChannel();
    if (!channel) {
        return;
    }
    const double channelScale = scale(core::editorChannel(*channel));
    const QSignalBlocker quiet(scaled_);
    scaled_->setIncrement(channelScale);
    scaled_->setValue(count_->value() * channelScale);
    scaleNotice_->hide();
}

void DacEditorArea::countChanged(double count) {
    const auto channel = selectedChannel();
    if (!channel) {
        return;
    }
    const core::EditorChannel& row = core::editorChannel(*channel);
    scaled_->setValue(count * scale(row));
    if (const auto edited = protocol::roundHalfEvenToInt16(count)) {
        window_.state().*row.edited = *edited;
    }
}

void DacEditorArea::scaledChanged(double scaled) {
    const auto channel = selectedChannel();
    if (!channel) {
        return;
    }
    const core::EditorChannel& row = core::editorChannel(*channel);
    const auto count = core::countFor(scaled, scale(row));
    if (!count) {
        // Nothing to divide by: the count stays, and the edit says so.
        const QSignalBlocker quiet(scaled_);
        scaled_->setValue(count_->value() * scale(row));
        scaleNotice_->show();
        return;
    }
    scaleNotice_->hide();
    count_->setValue(*count);
}

void DacEditorArea::btn_UPDATE_Click() {
    const auto channel = selectedChannel();
    if (!channel) {
        return;
    }
    const core::EditorChannel& row = core::editorChannel(*channel);
    const std::int16_t count = window_.state().*row.edited;
    QLineEdit* display = displays_.displayBox(*channel);
    app::setFieldBackground(display, app::kAnswerColour);
    display->setText(QStringLiteral("Not Set"));
    window_.staleMarks().noReading(display);
    displays_.drawnOver(*channel);
    const auto programmed = window_.supply().program(*channel, count);
    switch (programmed.answer) {
        case core::Answer::Done:
            rawDataWindow(window_).rawDacBox(*channel)->setText(QString::number(count));
            app::showAnswer(display, app::fromReply(programmed.value.display));
            window_.staleMarks().fresh(display);
            break;
        case core::Answer::Refused:
            display->setText(QStringLiteral("Invalid"));
            app::setFieldBackground(display, app::kRefusedColour);
            window_.extrasWindow().setLastError(QStringLiteral("1"));
            break;
        case core::Answer::NoAnswer:
        case core::Answer::Unreadable:
            display->setText(QStringLiteral("No Comms"));
            app::setFieldBackground(display, app::kNoReplyColour);
            break;
    }
    window_.extrasWindow().setCommErrors(window_.state().CommErrors);
}

void DacEditorArea::btn_ACCEPT_Click() {
    btn_UPDATE_Click();
    const auto channel = selectedChannel();
    if (!channel) {
        return;
    }
    const core::EditorChannel& row = core::editorChannel(*channel);
    core::MainState& state = window_.state();
    state.*row.accepted = state.*row.edited;
    rawDataWindow(window_).rawDacBox(*channel)->setText(QString::number(state.*row.accepted));
}

void DacEditorArea::btn_CANCEL_Click() {
    const auto channel = selectedChannel();
    if (!channel) {
        return;
    }
    const core::EditorChannel& row = core::editorChannel(*channel);
    const std::int16_t accepted = window_.state().*row.accepted;
    count_->setValue(accepted);
    // No display changes for the unit's answer.
    window_.supply().revert(*channel, accepted);
}

}  // namespace zov::supply
