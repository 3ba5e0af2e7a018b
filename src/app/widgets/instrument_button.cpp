#include "app/widgets/instrument_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace zov::app {

namespace {

constexpr int kLampDiameter = 18;
constexpr int kLeverWidth = 16;
constexpr int kLeverHeight = 32;
constexpr int kCaptionGap = 6;
const QColor kDefaultOnColor(40, 220, 60);

// An unlit lamp keeps a hint of its colour so it still reads as a lamp on a grey panel.
QColor unlit(const QColor& lit) {
    return lit.darker(350);
}

}  // namespace

InstrumentButton::InstrumentButton(Mode mode, QWidget* parent)
    : QAbstractButton(parent), mode_(mode), onColor_(kDefaultOnColor) {
    setCheckable(true);
    if (mode_ == Mode::Led) {
        setFocusPolicy(Qt::NoFocus);
    }
    connect(this, &QAbstractButton::toggled, this, &InstrumentButton::showFaceText);
    // clicked() comes after nextCheckState(), so the handler sees the flipped value.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (mode_ != Mode::Led) {
            emit operated();
        }
    });
}

void InstrumentButton::setTexts(const QString& offText, const QString& onText) {
    offText_ = offText;
    onText_ = onText;
    showFaceText();
    updateGeometry();
}

void InstrumentButton::setOnColor(const QColor& color) {
    onColor_ = color;
    update();
}

// The button's own text follows the face, so assistive tools name the control by what it shows
// unless an accessible name was set.
void InstrumentButton::showFaceText() {
    setText(value() ? onText_ : offText_);
}

void InstrumentButton::nextCheckState() {
    if (mode_ != Mode::Led) {
        QAbstractButton::nextCheckState();
    }
}

QSize InstrumentButton::captionSize() const {
    const QFontMetrics metrics = fontMetrics();
    return {qMax(metrics.horizontalAdvance(offText_), metrics.horizontalAdvance(onText_)),
            metrics.height()};
}

QSize InstrumentButton::sizeHint() const {
    const QSize caption = captionSize();
    switch (mode_) {
        case Mode::Led:
            return {kLampDiameter + 2, kLampDiameter + 2};
        case Mode::Switch: {
            const int gap = caption.width() > 0 ? kCaptionGap : 0;
            return {kLeverWidth + 2 + gap + caption.width(),
                    qMax(kLeverHeight + 2, caption.height())};
        }
        case Mode::PushButton: {
            QStyleOptionButton option;
            option.initFrom(this);
            return style()->sizeFromContents(QStyle::CT_PushButton, &option, caption, this);
        }
    }
    return {};
}

void InstrumentButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (mode_) {
        case Mode::Led:
            paintLamp(painter);
            break;
        case Mode::Switch:
            paintSwitch(painter);
            break;
        case Mode::PushButton:
            paintPushButton(painter);
            break;
    }
}

void InstrumentButton::paintLamp(QPainter& painter) const {
    const int diameter = qMin(width(), height()) - 2;
    QRectF lamp(0, 0, diameter, diameter);
    lamp.moveCenter(QRectF(rect()).center());
    painter.setPen(QPen(palette().color(QPalette::Shadow), 1.0));
    painter.setBrush(value() ? onColor_ : unlit(onColor_));
    painter.drawEllipse(lamp);
}

// A lever in a slot: up is on.
void InstrumentButton::paintSwitch(QPainter& painter) const {
    const int leverHeight = qMin(kLeverHeight, height() - 2);
    const QRectF slot(1, (height() - leverHeight) / 2.0, kLeverWidth, leverHeight);
    const qreal radius = kLeverWidth / 2.0;
    painter.setPen(QPen(palette().color(QPalette::Shadow), 1.0));
    painter.setBrush(value() ? onColor_ : palette().color(QPalette::Dark));
    painter.drawRoundedRect(slot, radius, radius);

    const qreal knobSize = kLeverWidth - 4;
    QRectF knob(0, 0, knobSize, knobSize);
    knob.moveCenter(
        QPointF(slot.center().x(), value() ? slot.top() + radius : slot.bottom() - radius));
    painter.setBrush(isEnabled() ? palette().color(QPalette::Button)
                                 : palette().color(QPalette::Disabled, QPalette::Button));
    painter.drawEllipse(knob);

    const QRect caption(kLeverWidth + 2 + kCaptionGap, 0, width(), height());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, text());
}

void InstrumentButton::paintPushButton(QPainter& painter) const {
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    if (isDown()) {
        option.state |= QStyle::State_Sunken;
    }
    if (value()) {
        option.state |= QStyle::State_On;
    }
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
}

}  // namespace zov::app
