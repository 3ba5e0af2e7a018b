// The instrument-style Boolean control used across the console's panels.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

class QPainter;

namespace zov::app {

// One control that is drawn as a toggle switch, a push button or a round indicator lamp.
//
// The value is the button's checked state, so assistive tools read it as a check box with a
// checked flag. Writing the value from code repaints but never emits operated(). When the
// operator clicks it or presses Space, the value flips first and operated() follows, so a
// handler already sees the new value. A disabled control, and a lamp always, ignore the operator.
class InstrumentButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Mode { Switch, PushButton, Led };

    explicit InstrumentButton(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return mode_; }

    bool value() const { return isChecked(); }
    void setValue(bool on) { setChecked(on); }

    // The face shows offText while the value is off and onText while it is on.
    void setTexts(const QString& offText, const QString& onText);
    const QString& offText() const { return offText_; }
    const QString& onText() const { return onText_; }

    // Colour of a lit lamp and of a switch that is on.
    void setOnColor(const QColor& color);
    const QColor& onColor() const { return onColor_; }

    QSize sizeHint() const override;

signals:
    void operated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;

private:
    void showFaceText();
    QSize captionSize() const;
    void paintLamp(QPainter& painter) const;
    void paintSwitch(QPainter& painter) const;
    void paintPushButton(QPainter& painter) const;

    Mode mode_;
    QString offText_;
    QString onText_;
    QColor onColor_;
};

}  // namespace zov::app
