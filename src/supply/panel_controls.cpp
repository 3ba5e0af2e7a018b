#include "panel_controls.h"

namespace zov::supply {

app::InstrumentButton* makeLed(const QString& name, const QString& accessibleName,
                               QWidget* parent) {
    auto* led = new app::InstrumentButton(app::InstrumentButton::Mode::Led, parent);
    led->setObjectName(name);
    led->setAccessibleName(accessibleName);
    return led;
}

QLabel* makeCaption(const QString& text, QWidget* buddy, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

}  // namespace zov::supply
