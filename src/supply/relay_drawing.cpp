#include "relay_drawing.h"

#include <QGridLayout>

#include "supply/panel_controls.h"

namespace zov::supply {
namespace {

struct RelayPins {
    const char* common;
    const char* normallyClosed;
    const char* normallyOpen;
    const char* aux;
};

constexpr RelayPins kPins[] = {
    {"COM JB5-14", "NC    JB5-11", "NO    JB5-13", "AUX  JB8-10 To GND"},
    {"COM JB8-7", "NC    JB8-8", "NO    JB8-6", "AUX:  JB8-9 To GND"},
    {"COM JB8-3", "NC    JB8-4", "NO    JB8-2", "AUX:  JB8-5 To GND"},
};

QFrame* makeLine(const QString& name, QFrame::Shape shape, bool shown) {
    auto* line = new QFrame;
    line->setObjectName(name);
    line->setFrameShape(shape);
    line->setLineWidth(2);
    line->setVisible(shown);
    return line;
}

}  // namespace

RelayDrawing::RelayDrawing(int number, QWidget* parent)
    : QGroupBox(QStringLiteral("INTERLOCK %1").arg(number), parent) {
    const QString n = QString::number(number);
    const RelayPins& pins = kPins[number - 1];
    const QString relay = QStringLiteral("Interlock %1 ").arg(number);
    setObjectName(QStringLiteral("fra_INTRLK") + n);

    state_ = makeCaption(QStringLiteral("De-Energized"), nullptr, QStringLiteral("lbl_INTRLK") + n);
    coil_ = makeLed(QStringLiteral("led_INTRLK") + n, relay + QStringLiteral("relay energized"));
    normallyClosed_ = makeLed(QStringLiteral("led_I") + n + QStringLiteral("NC"),
                              relay + QStringLiteral("normally-closed contact"));
    common_ = makeLed(QStringLiteral("led_I") + n + QStringLiteral("COM"),
                      relay + QStringLiteral("common contact"));
    normallyOpen_ = makeLed(QStringLiteral("led_I") + n + QStringLiteral("NO"),
                            relay + QStringLiteral("normally-open contact"));
    sense_ = makeLed(QStringLiteral("led_RS") + n, relay + QStringLiteral("relay sense"));
    closedLines_[0] =
        makeLine(QStringLiteral("line_NC") + n + QLatin1Char('1'), QFrame::HLine, true);
    closedLines_[1] =
        makeLine(QStringLiteral("line_NC") + n + QLatin1Char('2'), QFrame::VLine, true);
    commonLine_ = makeLine(QStringLiteral("line_COM") + n, QFrame::HLine, true);
    openLines_[0] =
        makeLine(QStringLiteral("line_NO") + n + QLatin1Char('1'), QFrame::HLine, false);
    openLines_[1] =
        makeLine(QStringLiteral("line_NO") + n + QLatin1Char('2'), QFrame::VLine, false);
    senseCaption_ = makeCaption(QStringLiteral("Relay Sense:         High"), nullptr,
                                QStringLiteral("lbl_RS") + n);
    auxCaption_ = makeCaption(QLatin1String(pins.aux), nullptr, QStringLiteral("lbl_AUX") + n);

    // The contacts stacked NC, COM, NO; the common line meets whichever path
    // the relay has closed.
    auto* grid = new QGridLayout(this);
    grid->addWidget(state_, 0, 0, 1, 2);
    grid->addWidget(coil_, 0, 2);
    grid->addWidget(makeCaption(QLatin1String(pins.normallyClosed)), 1, 0);
    grid->addWidget(normallyClosed_, 1, 1);
    grid->addWidget(closedLines_[0], 1, 2);
    grid->addWidget(closedLines_[1], 1, 3, 2, 1);
    grid->addWidget(makeCaption(QLatin1String(pins.common)), 2, 0);
    grid->addWidget(common_, 2, 1);
    grid->addWidget(commonLine_, 2, 2);
    grid->addWidget(makeCaption(QLatin1String(pins.normallyOpen)), 3, 0);
    grid->addWidget(normallyOpen_, 3, 1);
    grid->addWidget(openLines_[0], 3, 2);
    grid->addWidget(openLines_[1], 2, 3, 2, 1);
    grid->addWidget(senseCaption_, 4, 0, 1, 2);
    grid->addWidget(sense_, 4, 2);
    grid->addWidget(auxCaption_, 5, 0, 1, 4);
}

}  // namespace zov::supply
