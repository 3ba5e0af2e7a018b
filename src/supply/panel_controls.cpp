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

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QColor textColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

void Indicator::show(bool lit, const QString& caption) const {
    led->setValue(lit);
    label->setText(caption);
}

void Indicator::show(bool lit, const QString& caption, const QColor& colour) const {
    show(lit, caption);
    setTextColour(label, colour);
}

}  // namespace zov::supply
