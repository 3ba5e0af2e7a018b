// Small builders for the lamps and captions of the supply's panels.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

#include "app/widgets/instrument_button.h"

namespace zov::supply {

// An indicator lamp named `name`, off.
app::InstrumentButton* makeLed(const QString& name, const QString& accessibleName,
                               QWidget* parent = nullptr);

// A caption named `name` (empty: unnamed) that also names `buddy` for assistive tools.
QLabel* makeCaption(const QString& text, QWidget* buddy = nullptr, const QString& name = {},
                    QWidget* parent = nullptr);

// Status captions are black, or red for the states that call for attention
// ("X-RAY ON", "Interlock Open", "P.S. FAULT").
inline const QColor kNormalText{0, 0, 0};
inline const QColor kAlarmText{255, 0, 0};
void setTextColour(QLabel* label, const QColor& colour);
[[nodiscard]] QColor textColour(const QLabel* label);

// A lamp with its caption beside it.
struct Indicator {
    app::InstrumentButton* led = nullptr;
    QLabel* label = nullptr;

    // Lamp and caption; the caption's colour stays as it is.
    void show(bool lit, const QString& caption) const;
    void show(bool lit, const QString& caption, const QColor& colour) const;
};

}  // namespace zov::supply
