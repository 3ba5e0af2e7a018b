#include "dac_settings_area.h"

#include <QGridLayout>

#include "app/main_window.h"
#include "app/reply_field.h"
#include "supply/raw_data_window.h"

namespace zov::supply {

DacSettingsArea::DacSettingsArea(app::MainWindow& window)
    : QGroupBox(QStringLiteral("DAC SETTINGS")), window_(window) {
    setObjectName(QStringLiteral("fra_DACSETTINGS"));
    auto* grid = new QGridLayout(this);
    for (const core::SetpointChannel& row : core::kSetpointChannels) {
        auto* button = new QPushButton(QLatin1String(row.readCaption), this);
        button->setObjectName(QLatin1String(row.readButton));
        const core::Channel channel = row.channel;
        connect(button, &QPushButton::clicked, this, [this, channel] { readSetpoint(channel); });
        QLineEdit* box =
            app::makeReplyField(QLatin1String(row.displayBox), QLatin1String(row.displayStartText),
                                QLatin1String(row.displayName), this);
        box->setToolTip(QLatin1String(row.displayToolTip));
        boxes_[static_cast<std::size_t>(channel)] = box;
        // The update cycle reads the kV and mA setpoints; the filament ones only on request.
        window_.staleMarks().watch(box,
                                   row.startsHidden ? app::StaleMarks::Refresh::OnRequest
                                                    : app::StaleMarks::Refresh::ByCycle,
                                   {QLatin1String(row.readCommand)});
        const int line = static_cast<int>(channel);
        grid->addWidget(button, line, 0);
        grid->addWidget(box, line, 1);
        if (row.startsHidden) {
            window_.markStartsHidden(button);
            window_.markStartsHidden(box);
        }
    }
    connect(&window_.supply(), &core::Supply::changed, this, &DacSettingsArea::showReadings);
}

void DacSettingsArea::readSetpoint(core::Channel channel) {
    window_.supply().readSetpoint(channel);
}

void DacSettingsArea::drawnOver(core::Channel channel) {
    drawn_[static_cast<std::size_t>(channel)].forget();
}

void DacSettingsArea::showReadings() {
    const core::SupplyReadings& readings = window_.supply().readings();
    for (const core::SetpointChannel& row : core::kSetpointChannels) {
        const core::Reading<core::SetpointValue>& setpoint = readings.setpoint(row.channel);
        if (!drawn_[static_cast<std::size_t>(row.channel)].isNew(setpoint)) {
            continue;
        }
        QLineEdit* box = displayBox(row.channel);
        app::showAnswer(box, app::fromReply(setpoint.value->display));
        rawDataWindow(window_).rawDacBox(row.channel)->setText(app::fromReply(setpoint.value->raw));
        window_.staleMarks().fresh(box);
    }
}

}  // namespace zov::supply
