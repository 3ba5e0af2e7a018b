#include "app/widgets/numeric_edit.h"

#include <QLocale>
#include <QString>

#include <cmath>
#include <initializer_list>

namespace zov::app {

namespace {

// Fewest decimals that write the number back within a rounding error of its own size.
int decimalsToHold(double number) {
    for (int decimals = 0; decimals < NumericEdit::kMaxDecimals; ++decimals) {
        const double held = QString::number(number, 'f', decimals).toDouble();
        if (std::abs(held - number) <= std::abs(number) * 1e-12) {
            return decimals;
        }
    }
    return NumericEdit::kMaxDecimals;
}

}  // namespace

NumericEdit::NumericEdit(QWidget* parent) : QDoubleSpinBox(parent) {
    setKeyboardTracking(false);
    setAccelerated(true);
    applyLimits();
}

void NumericEdit::setLowerBound(double lower) {
    lower_ = lower;
    applyLimits();
}

void NumericEdit::setUpperBound(double upper) {
    upper_ = upper;
    applyLimits();
}

void NumericEdit::setIncrement(double increment) {
    increment_ = increment;
    applyLimits();
}

// setDecimals() re-rounds the range it already holds, so the exact bounds are applied after it.
// Either step may move the value into the new limits, which emits valueChanged() as any change.
void NumericEdit::applyLimits() {
    int decimals = 0;
    for (const double number : {lower_, upper_, increment_}) {
        decimals = qMax(decimals, decimalsToHold(number));
    }
    setDecimals(decimals);
    setRange(lower_, qMax(lower_, upper_));
    setSingleStep(increment_);
}

// Trailing zeros of the fixed decimals are dropped: a count shows as "2048", a current as
// "1.396395", and a kV value with nine decimals of step does not show nine zeros.
QString NumericEdit::textFromValue(double value) const {
    QString text = QDoubleSpinBox::textFromValue(value);
    const QString point = locale().decimalPoint();
    if (decimals() > 0 && text.contains(point)) {
        while (text.endsWith(locale().zeroDigit())) {
            text.chop(1);
        }
        if (text.endsWith(point)) {
            text.chop(point.size());
        }
    }
    return text;
}

}  // namespace zov::app
