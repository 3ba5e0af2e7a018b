// The instrument-style numeric entry used by the setpoint and option editors.
#pragma once

#include <QDoubleSpinBox>

namespace zov::app {

// A spin box whose bounds and arrow step may change at run time.
//
// It keeps as many decimals as the bounds and the step need to be held exactly (at most
// kMaxDecimals), so a step such as 0.000341 is neither lost nor rounded into its neighbour.
// The inherited valueChanged(double) fires after every change of the held value, by the
// operator or by code, and never when a write leaves the held value as it was: two edits that
// write each other from their handlers settle after one pass each way. Typed text is taken when
// the operator presses Enter or leaves the field, not at every keystroke.
//
// Set the limits through setLowerBound/setUpperBound/setIncrement rather than the inherited
// setters, which would round them to the decimals in force at that moment.
class NumericEdit : public QDoubleSpinBox {
    Q_OBJECT
public:
    static constexpr int kMaxDecimals = 9;

    explicit NumericEdit(QWidget* parent = nullptr);

    double lowerBound() const { return lower_; }
    double upperBound() const { return upper_; }
    double increment() const { return increment_; }

    void setLowerBound(double lower);
    void setUpperBound(double upper);
    void setIncrement(double increment);

    QString textFromValue(double value) const override;

private:
    void applyLimits();

    double lower_ = 0.0;
    double upper_ = 100.0;
    double increment_ = 1.0;
};

}  // namespace zov::app
